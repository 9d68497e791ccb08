#include "NoticeProcess.h"

#include <psapi.h>

#include "PresenceWatch.h"
#include "NoticeDriving.h"
#include "ProcessCounters.h"
#include "resource.h"

using tarvolin_test::NowMs;

BannerProbe ChooseBannerProbe() {
  BannerProbe probe;
  const HBITMAP banner = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (banner == nullptr) return probe;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HGDIOBJ previous = SelectObject(memory, banner);
  const COLORREF background = GetSysColor(COLOR_BTNFACE);
  // Well inside the client area whatever the frame and caption take; the darkest pixel stands out
  // most against the grey dialog background.
  int best = 3 * 256;
  for (int y = 8; y < 40; ++y) {
    for (int x = 8; x < 180; ++x) {
      const COLORREF colour = GetPixel(memory, x, y);
      if (colour == background || colour == RGB(255, 0, 255)) continue;
      const int brightness = GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
      if (brightness < best) {
        best = brightness;
        probe.client = {x, y};
        probe.colour = colour;
      }
    }
  }
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DeleteObject(banner);
  return probe;
}

bool NoticeProcess::Start(const std::string& exeName) {
  m_startedAt = NowMs();
  return m_process.Start(exeName);
}

double NoticeProcess::WaitForWindow(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    const auto windows = tarvolin_test::TopLevelWindowsOf(m_process.Id(), "Tarvolin");
    if (!windows.empty()) {
      m_hWnd = windows.front();
      return NowMs() - m_startedAt;
    }
    Sleep(1);
  }
  return -1;
}

double NoticeProcess::WaitForBanner(const BannerProbe& probe, DWORD timeoutMs) {
  if (m_hWnd == nullptr && WaitForWindow(timeoutMs) < 0) return -1;
  const HDC screen = GetDC(nullptr);
  const DWORD start = GetTickCount();
  double seen = -1;
  while (GetTickCount() - start < timeoutMs) {
    POINT point = probe.client;
    ClientToScreen(m_hWnd, &point);
    if (GetPixel(screen, point.x, point.y) == probe.colour) {
      seen = NowMs() - m_startedAt;
      break;
    }
    Sleep(1);
  }
  ReleaseDC(nullptr, screen);
  return seen;
}

void NoticeProcess::RunChecks(int count) {
  // All posted at once, then one wait until the notice has painted after them: a window paints only
  // once its queue is empty, so by then every check has been handled.
  DriveNotice(m_hWnd, 0, count, count);
}

bool NoticeProcess::MemoryKiB(double* peakWorkingSet, double* privateBytes) const {
  // Only a running process has counters (Wine reports zeros for one that has ended).
  if (!m_process.IsRunning()) return false;
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(m_process.Handle(), &counters, sizeof counters)) return false;
  // Wine's PrivateUsage is the swap size: private bytes are summed over the committed private
  // regions of the address space instead, as the soak counts do (no thread given: no GDI count).
  const ProcessCounts counts = CountProcess(m_process.Handle(), nullptr);
  if (counts.privateBytes < 0) return false;
  *peakWorkingSet = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
  *privateBytes = static_cast<double>(counts.privateBytes) / 1024.0;
  return true;
}

double NoticeProcess::CpuMs() const {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(m_process.Handle(), &created, &exited, &kernel, &user)) return -1;
  const auto ticks = [](const FILETIME& time) {
    return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 10000.0;
}

void NoticeProcess::MoveTo(int left, int top) {
  SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool NoticeProcess::Close(DWORD timeoutMs) {
  if (m_hWnd != nullptr) PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
  if (m_process.WaitForExit(timeoutMs)) return true;
  TerminateProcess(m_process.Handle(), 99);
  m_process.WaitForExit(5000);
  return false;
}
