// Drives a running notice from another process as a long run would: forced paints and watch checks.
#pragma once

#include <windows.h>

#include "ProcessCounters.h"

// Counts of the process that owns the window (see ProcessCounters.h); all -1 if it cannot be opened.
ProcessCounts CountWindowOwner(HWND window);

// The least of three samples, each taken once the window's thread has answered a message (so no paint
// or check of its own is running): what the process holds for good, without the device contexts and
// buffers that a paint or a check holds only while it runs (the watch's own timer may start one during
// a sample).
ProcessCounts SettledCountsOfWindowOwner(HWND window);

// Has the window painted now: invalidates its whole client area (with erase) and asks for the update
// at once, which sends it WM_PAINT before the call returns.
bool ForcePaint(HWND window);

// Invalidates the window without asking for the update, and waits until it has been painted and its
// paint handler has returned. A window is painted only when its thread has no posted message left, so
// on return every message posted to it before has been handled. False if the window hid or went first
// (a message posted before ended it: it is not painted again), or nothing of that came within timeoutMs.
bool PaintAfterQueue(HWND window, DWORD timeoutMs);

// One check of the presence watch: the watch timer's message, posted as the timer would post it.
bool PostWatchCheck(HWND window);

// True when the window's thread handles a message within timeoutMs.
bool Answers(HWND window, DWORD timeoutMs);

struct SoakRun {
  int paints = 0;     // paints forced (besides one per batch, see below)
  int checks = 0;     // checks posted and handled
  bool answered = true;  // the notice caught up after every batch
  double slowestCatchUpMs = 0;
};

// Forces `paints` paints and posts `checks` checks, interleaved; after every `batch` of them waits
// until the notice has handled everything posted so far (PaintAfterQueue), so the queue never piles
// up and the counts taken afterwards include every check.
SoakRun DriveNotice(HWND notice, int paints, int checks, int batch = 50);
