// A crowd of ordinary top-level windows for the check-cost benchmark:
//   window_crowd.exe COUNT EVENT_PREFIX
// Creates COUNT visible top-level windows with plain document captions (none of the service's),
// sets the event EVENT_PREFIX-ready once they all exist, and keeps them until EVENT_PREFIX-quit is set.
// The windows live in a process of their own on purpose: for a window of the calling process,
// GetWindowTextA sends WM_GETTEXT to it, while for another program's window it reads the caption
// without a message. The notice only ever looks at other programs' windows.
#include <windows.h>

#include <stdio.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  char prefix[100] = "";
  int count = 0;
  if (sscanf(commandLine, "%d %99s", &count, prefix) != 2 || count <= 0) return 2;
  char readyName[128], quitName[128];
  snprintf(readyName, sizeof readyName, "%s-ready", prefix);
  snprintf(quitName, sizeof quitName, "%s-quit", prefix);
  const HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, quitName);
  if (quit == nullptr) return 2;

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "TarvolinBenchCrowd";
  RegisterClassA(&windowClass);
  int created = 0;
  for (int i = 0; i < count; ++i) {
    // A caption of a typical length, and tiny windows spread over the screen: each visible window
    // costs the display server a little, their size costs nothing to the check.
    char caption[96];
    snprintf(caption, sizeof caption, "Quarterly report %05d.xlsx - Spreadsheet", i);
    const HWND window = CreateWindowExA(0, windowClass.lpszClassName, caption, WS_POPUP | WS_VISIBLE,
                                        (i * 7) % 1000, (i * 13) % 600, 4, 4, nullptr, nullptr, instance, nullptr);
    if (window != nullptr) ++created;
  }
  const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName);
  if (ready != nullptr) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  // Windows stay responsive (their messages are handled) until the benchmark is done with them.
  while (MsgWaitForMultipleObjects(1, &quit, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  CloseHandle(quit);
  return created == count ? 0 : 1;
}
