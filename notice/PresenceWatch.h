// The presence watch: is the service in use, judged by the captions of the top-level windows?
#pragma once

#include <windows.h>

// The watch's timer lives on the notice window.
constexpr UINT_PTR WATCH_TIMER_ID = 100;
constexpr UINT WATCH_PERIOD_MS = 5000;

// The viewer's caption, "쿠델 B2B 뷰어", as code page 949 bytes (captions are read in the ANSI code page).
extern const char kViewerMarker[];
// The address of the service's B2B site as a browser shows it in a caption.
extern const char kSiteMarker[];

// True when the zero-terminated caption holds either marker anywhere: a plain, case-sensitive byte
// search, viewer marker first.
bool CaptionHasServiceMarker(const char* caption);

// The per-window test of the enumeration: FALSE (stop) for a visible window whose non-empty caption,
// as far as its first 254 bytes, holds a marker; TRUE (go on) for every other window.
BOOL CALLBACK EnumViewerWindowsProc(HWND hWnd, LPARAM lParam);

// One check over all top-level windows. Only an enumeration that visited every window without a
// match says "absent"; a failed enumeration counts as present, so it never ends the notice.
bool IsViewerPresent();
