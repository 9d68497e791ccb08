// The floor: the least a program can do for the notice's job, written straight against the platform.
// It shows the notice's dialog template at the same place, paints the same banner the same way
// (load, transparent copy, delete), arms the same 5 s timer at the first paint, and at each tick
// runs one enumeration with the same caption test, ending at the first tick that finds no service
// window. No framework, no C++ runtime beyond the start-up code, built for size.
#include <windows.h>
#ifdef FLOOR_WITH_COMMON_CONTROLS
#include <commctrl.h>
#endif

#include "ServiceMarkers.h"
#include "resource.h"

namespace {

bool g_armed = false;

BOOL CALLBACK FloorServiceWindowProc(HWND window, LPARAM) {
  char title[256] = "";
  GetWindowTextA(window, title, 255);
  if (!IsWindowVisible(window) || GetWindowTextLengthA(window) <= 0) return TRUE;
  return CaptionHasServiceMarker(title) ? FALSE : TRUE;
}

void PaintFloorBanner(HWND window) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  const HBITMAP banner = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  const HDC source = CreateCompatibleDC(dc);
  const HGDIOBJ previous = SelectObject(source, banner);
  GdiTransparentBlt(dc, 0, 0, 242, 65, source, 0, 0, 242, 65, RGB(255, 0, 255));
  SelectObject(source, previous);
  DeleteDC(source);
  DeleteObject(banner);
  if (!g_armed) SetTimer(window, 100, 5000, nullptr);
  g_armed = true;
  EndPaint(window, &paint);
}

INT_PTR CALLBACK FloorNoticeProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
#ifdef FLOOR_WITH_ICON
    {
      const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
      SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
      SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
#endif
      MoveWindow(window, GetSystemMetrics(SM_CXSCREEN) - 242, GetSystemMetrics(SM_CYSCREEN) - 150, 242, 90, FALSE);
      return TRUE;
    case WM_PAINT:
      PaintFloorBanner(window);
      return TRUE;
    case WM_TIMER:
      if (wParam == 100 && EnumWindows(FloorServiceWindowProc, 0) == 1) EndDialog(window, IDOK);
      return TRUE;
    case WM_CLOSE:
      EndDialog(window, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef FLOOR_WITH_COMMON_CONTROLS
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
#endif
  return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_NOTICE), nullptr, FloorNoticeProc, 0));
}
