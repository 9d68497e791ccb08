// One run of a notice program (ours or the floor) watched from outside, as the benchmarks need it:
// when its window shows up, when the banner is on the screen, what it costs, when it is gone.
#pragma once

#include <windows.h>

#include <string>

#include "TestSupport.h"

// A screen point of the banner whose colour tells a painted notice from an unpainted one.
struct BannerProbe {
  POINT client = {};   // in the notice's client area
  COLORREF colour = 0;  // the banner's colour there
};

// Picks a pixel of the banner (the program's own bitmap resource, linked into the benchmark) whose
// colour differs from the dialog background, so that seeing it on the screen means "painted".
BannerProbe ChooseBannerProbe();

class NoticeProcess {
 public:
  // Starts the program from the build folder; false if it could not be started.
  bool Start(const std::string& exeName);
  // Waits for the notice's visible window. Milliseconds since Start, or a negative value on timeout.
  double WaitForWindow(DWORD timeoutMs);
  // Waits until the probe pixel shows on the screen at the notice's place. Milliseconds since
  // Start, or a negative value on timeout.
  double WaitForBanner(const BannerProbe& probe, DWORD timeoutMs);
  // Runs `count` checks now, by posting the watch's timer message, and returns once all were handled.
  void RunChecks(int count);
  // Peak working set and private bytes, in KiB; false once the process has ended.
  bool MemoryKiB(double* peakWorkingSet, double* privateBytes) const;
  // User plus kernel CPU time used so far, in milliseconds.
  double CpuMs() const;
  // Moves the notice (to keep the bottom-right corner free for other runs).
  void MoveTo(int left, int top);
  // Asks the notice to close (a close request, as the window's owner would) and waits for the
  // process to end; ends it by force after timeoutMs.
  bool Close(DWORD timeoutMs);

  HWND Window() const { return m_hWnd; }
  HANDLE Process() const { return m_process.Handle(); }
  double StartedAtMs() const { return m_startedAt; }

 private:
  tarvolin_test::ChildProcess m_process;
  HWND m_hWnd = nullptr;
  double m_startedAt = 0;
};
