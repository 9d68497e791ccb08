// Caption tests with faults a careful-looking rewrite could bring in. The fuzzer must catch each one,
// which shows that it checks what it claims to.
#include <string.h>

#include "ServiceMarkers.h"

namespace {

// Lead bytes of code page 949.
bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

bool MarkerAt(const char* text, const char* marker) { return strncmp(text, marker, strlen(marker)) == 0; }

}  // namespace

// Steps over double-byte characters, and so over the terminator after a lone lead byte.
bool OverreadingCaptionTest(const char* caption) {
  bool found = false;
  for (const char* p = caption; *p != '\0'; p += IsLeadByte(static_cast<unsigned char>(*p)) ? 2 : 1)
    found = found || MarkerAt(p, kViewerMarker) || MarkerAt(p, kSiteMarker);
  return found;
}

// Stops at the terminator, but looks for the markers only where a character starts: a marker right
// after a lone lead byte is missed.
bool CharacterBoundCaptionTest(const char* caption) {
  for (const char* p = caption; *p != '\0'; p += (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ? 2 : 1)
    if (MarkerAt(p, kViewerMarker) || MarkerAt(p, kSiteMarker)) return true;
  return false;
}
