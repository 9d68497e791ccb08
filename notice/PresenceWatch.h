// The presence watch: is the service in use, judged by the captions of the top-level windows?
#pragma once

#include <windows.h>

#include "ServiceMarkers.h"

// The watch's timer lives on the notice window.
constexpr UINT_PTR WATCH_TIMER_ID = 100;
constexpr UINT WATCH_PERIOD_MS = 5000;

// The per-window test of the enumeration: FALSE (stop) for a visible window whose non-empty caption,
// as far as its first 254 bytes, holds a marker; TRUE (go on) for every other window.
BOOL CALLBACK EnumViewerWindowsProc(HWND hWnd, LPARAM lParam);

// One check over all top-level windows. Only an enumeration that visited every window without a
// match says "absent"; a failed enumeration counts as present, so it never ends the notice.
bool IsViewerPresent();
