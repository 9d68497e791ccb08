/* A program linked and loading its libraries the unsafe way, against which the hardening tests show
   that their probes find each fault: msimg32 and comctl32 imported by name, the library search left as
   the system sets it, no random base, no relocations, not NX compatible, and a section that is both
   writable and executable. It opens one window and ends when that window is closed. */
#include <windows.h>
#include <commctrl.h>

/* Writable and executable at once, as some old tools produced. */
__asm__(".section .wxdata,\"wx\"\n\t.long 0\n\t.text\n");

static LRESULT CALLBACK ControlWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)previous, (void)commandLine, (void)show;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  HDC screen = GetDC(NULL);
  HDC memory = CreateCompatibleDC(screen);
  TransparentBlt(screen, 0, 0, 1, 1, memory, 0, 0, 1, 1, RGB(255, 0, 255));
  DeleteDC(memory);
  ReleaseDC(NULL, screen);

  WNDCLASSA windowClass = {0};
  windowClass.lpfnWndProc = ControlWindowProc;
  windowClass.hInstance = hInstance;
  windowClass.lpszClassName = "UnhardenedControl";
  RegisterClassA(&windowClass);
  CreateWindowA("UnhardenedControl", "Unhardened control", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, NULL,
                NULL, hInstance, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
