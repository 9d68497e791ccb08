// The two title markers of the service and the byte-level caption test. Plain bytes in, yes or no
// out: no window and no platform call, so it can be checked (and fuzzed) anywhere.
#pragma once

// The viewer's caption, "쿠델 B2B 뷰어", as code page 949 bytes (captions are read in the ANSI code page).
extern const char kViewerMarker[];
// The address of the service's B2B site as a browser shows it in a caption.
extern const char kSiteMarker[];

// True when the zero-terminated caption holds either marker anywhere: a plain, case-sensitive byte
// search, viewer marker first, with no regard to double-byte character boundaries.
bool CaptionHasServiceMarker(const char* caption);
