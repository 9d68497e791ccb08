// The notice window's fixed rules, kept free of any window so they can be checked on their own.
#pragma once

#include <windows.h>

// Outer rectangle of the notice on a screen of the given size: 242 x 90, against the right edge,
// its bottom 60 pixels above the bottom of the screen.
RECT ComputeNoticeRect(int screenWidth, int screenHeight);

// True for the keys that must not dismiss the notice (Alt+F4, Escape, Enter): they are swallowed.
bool FilterNoticeKey(const MSG& msg);

// True for a window-menu command that opens the About box (the low four bits are ignored).
bool IsAboutCommand(WPARAM command);
