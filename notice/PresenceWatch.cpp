#include "PresenceWatch.h"

BOOL CALLBACK EnumViewerWindowsProc(HWND hWnd, LPARAM) {
  // A fixed buffer: the check allocates nothing, and only the first 254 bytes of a caption count.
  char title[256] = "";
  GetWindowTextA(hWnd, title, 255);
  const int length = GetWindowTextLengthA(hWnd);
  if (!IsWindowVisible(hWnd) || length <= 0) return TRUE;
  return CaptionHasServiceMarker(title) ? FALSE : TRUE;
}

bool IsViewerPresent() { return EnumWindows(EnumViewerWindowsProc, 0) != 1; }
