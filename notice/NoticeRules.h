// The notice window's fixed rules, kept free of any window so they can be checked on their own.
#pragma once

#include <windows.h>

// The banner's size (the bitmap's own), at which the notice draws it.
constexpr int kBannerWidth = 242;
constexpr int kBannerHeight = 65;
// The notice's outer size: as wide as the banner, and as high as the banner with the caption above it
// (the frame takes a few pixels of the width, so the banner is clipped at the right, never scaled).
constexpr int kNoticeWidth = kBannerWidth;
constexpr int kNoticeHeight = 90;
// Between the notice's bottom and the screen's bottom. The place is reckoned on the whole primary
// screen, not on its work area, so it is the same wherever the taskbar is.
constexpr int kNoticeBottomMargin = 60;

// Outer rectangle of the notice on a screen of the given size: kNoticeWidth x kNoticeHeight, against the
// right edge, its bottom kNoticeBottomMargin above the bottom of the screen.
RECT ComputeNoticeRect(int screenWidth, int screenHeight);

// True for the keys that must not dismiss the notice (Alt+F4, Escape, Enter): they are swallowed.
bool FilterNoticeKey(const MSG& msg);

// True for a window-menu command that opens the About box (the low four bits are ignored).
bool IsAboutCommand(WPARAM command);
