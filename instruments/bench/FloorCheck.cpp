#include "FloorCheck.h"

BOOL CALLBACK FloorEnumWindowsProc(HWND hWnd, LPARAM) {
  char title[256] = "";
  GetWindowTextA(hWnd, title, 255);
  const int length = GetWindowTextLengthA(hWnd);
  const BOOL visible = IsWindowVisible(hWnd);
  // The results feed a branch the compiler cannot drop; the calls are the cost being measured.
  return (visible && length < 0 && title[0] == '\x01') ? FALSE : TRUE;
}

BOOL RunFloorCheck() { return EnumWindows(FloorEnumWindowsProc, 0); }

namespace {
BOOL CALLBACK CountWindow(HWND, LPARAM lParam) {
  ++*reinterpret_cast<int*>(lParam);
  return TRUE;
}
}  // namespace

int CountTopLevelWindows() {
  int count = 0;
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}
