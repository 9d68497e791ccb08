// A crowd of ordinary top-level windows for the check-cost benchmark:
//   window_crowd.exe EVENT_PREFIX COUNT...
// Grows to each COUNT in turn (counts in increasing order): creates visible top-level windows with
// plain document captions (none of the service's) until there are COUNT of them, sets the event
// EVENT_PREFIX-ready, and waits for EVENT_PREFIX-next before growing to the next count. It keeps
// its windows (and handles their messages) until EVENT_PREFIX-next comes after the last count.
// The windows live in a process of their own on purpose: for a window of the calling process,
// GetWindowTextA sends WM_GETTEXT to it, while for another program's window it reads the caption
// without a message. The notice only ever looks at other programs' windows.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Handles this thread's messages until the event is set.
void ServeUntil(HANDLE event) {
  while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  char prefix[100] = "";
  int used = 0;
  if (sscanf(commandLine, "%99s%n", prefix, &used) != 1) return 2;
  const char* counts = commandLine + used;
  char name[128];
  snprintf(name, sizeof name, "%s-ready", prefix);
  const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
  snprintf(name, sizeof name, "%s-next", prefix);
  const HANDLE next = OpenEventA(SYNCHRONIZE, FALSE, name);
  if (ready == nullptr || next == nullptr) return 2;

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "TarvolinBenchCrowd";
  RegisterClassA(&windowClass);

  int created = 0;
  char* end = nullptr;
  for (long target = strtol(counts, &end, 10); end != counts; target = strtol(counts, &end, 10)) {
    counts = end;
    for (; created < target; ++created) {
      // A caption of a typical length, and tiny windows spread over the screen: each visible window
      // costs the display server a little, their size costs nothing to the check.
      char caption[96];
      snprintf(caption, sizeof caption, "Quarterly report %05d.xlsx - Spreadsheet", created);
      if (CreateWindowExA(0, windowClass.lpszClassName, caption, WS_POPUP | WS_VISIBLE, (created * 7) % 1000,
                          (created * 13) % 600, 4, 4, nullptr, nullptr, instance, nullptr) == nullptr)
        return 1;
    }
    SetEvent(ready);
    ServeUntil(next);
  }
  return 0;
}
