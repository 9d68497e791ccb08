// Fuzz target: the caption test gets every buffer the watch could hand it, and must read nothing
// outside that buffer and answer as a plain reference search does.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "ServiceMarkers.h"

#ifdef CAPTION_TEST
bool CAPTION_TEST(const char* caption);
#else
#define CAPTION_TEST CaptionHasServiceMarker
#endif

namespace {

// The watch's caption buffer, char title[256], filled by GetWindowTextA(hWnd, title, 255): at most
// 254 bytes of caption and a terminator, the rest of the zero-initialised buffer untouched.
constexpr size_t kBufferSize = 256;
constexpr size_t kMaxCaptionBytes = 254;

// The reference: does marker occur at any byte position of the first length bytes of text?
bool Contains(const char* text, size_t length, const char* marker) {
  size_t markerLength = 0;
  while (marker[markerLength] != '\0') ++markerLength;
  for (size_t start = 0; start + markerLength <= length; ++start) {
    size_t matched = 0;
    while (matched < markerLength && text[start + matched] == marker[matched]) ++matched;
    if (matched == markerLength) return true;
  }
  return false;
}

}  // namespace

// The first input byte chooses how the buffer is filled: even, as the watch fills it from a caption
// (the caption ends at its first NUL, is cut after 254 bytes, zeros follow); odd, with any 256 bytes
// at all, of which only the last is forced to be a terminator.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool anyContent = (data[0] & 1) != 0;
  ++data;
  --size;
  // Exactly the buffer's size on the heap: AddressSanitizer reports any read before or after it.
  char* title = static_cast<char*>(malloc(kBufferSize));
  memset(title, 0, kBufferSize);
  size_t length = 0;
  if (!anyContent) {
    while (length < size && length < kMaxCaptionBytes && data[length] != 0) ++length;
    memcpy(title, data, length);
  } else {
    memcpy(title, data, size < kBufferSize ? size : kBufferSize);
    title[kBufferSize - 1] = '\0';
    while (title[length] != '\0') ++length;
  }
  const bool expected = Contains(title, length, kViewerMarker) || Contains(title, length, kSiteMarker);
  if (CAPTION_TEST(title) != expected) abort();
  free(title);
  return 0;
}
