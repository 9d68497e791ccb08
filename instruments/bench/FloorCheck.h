// The floor of one presence check: the same enumeration and the same three platform queries per
// window as the watch, with no caption search. Nothing can check the captions for less.
#pragma once

#include <windows.h>

BOOL CALLBACK FloorEnumWindowsProc(HWND hWnd, LPARAM lParam);

// One floor pass over all top-level windows; returns what EnumWindows returned.
BOOL RunFloorCheck();

// How many top-level windows a pass visits.
int CountTopLevelWindows();
