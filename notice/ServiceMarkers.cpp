#include "ServiceMarkers.h"

#include <string.h>

// 쿠 델 (space) B 2 B (space) 뷰 어
const char kViewerMarker[] = "\xC4\xED\xB5\xA8 B2B \xBA\xE4\xBE\xEE";
const char kSiteMarker[] = "http://b2b.kudel.example/";

bool CaptionHasServiceMarker(const char* caption) {
  return strstr(caption, kViewerMarker) != nullptr || strstr(caption, kSiteMarker) != nullptr;
}
