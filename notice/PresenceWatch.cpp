#include "PresenceWatch.h"

#include <string.h>

// 쿠 델 (space) B 2 B (space) 뷰 어
const char kViewerMarker[] = "\xC4\xED\xB5\xA8 B2B \xBA\xE4\xBE\xEE";
const char kSiteMarker[] = "http://b2b.kudel.example/";

bool CaptionHasServiceMarker(const char* caption) {
  return strstr(caption, kViewerMarker) != nullptr || strstr(caption, kSiteMarker) != nullptr;
}

BOOL CALLBACK EnumViewerWindowsProc(HWND hWnd, LPARAM) {
  // A fixed buffer: the check allocates nothing, and only the first 254 bytes of a caption count.
  char title[256] = "";
  GetWindowTextA(hWnd, title, 255);
  const int length = GetWindowTextLengthA(hWnd);
  if (!IsWindowVisible(hWnd) || length <= 0) return TRUE;
  return CaptionHasServiceMarker(title) ? FALSE : TRUE;
}

bool IsViewerPresent() { return EnumWindows(EnumViewerWindowsProc, 0) != 1; }
