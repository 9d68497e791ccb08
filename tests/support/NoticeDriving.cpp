#include "NoticeDriving.h"

#include "PresenceWatch.h"
#include "TestSupport.h"

using tarvolin_test::kHangGuardMs;
using tarvolin_test::NowMs;

ProcessCounts CountWindowOwner(HWND window) {
  DWORD pid = 0;
  const DWORD tid = GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE, FALSE, pid);
  HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, tid);
  ProcessCounts counts;
  if (process != nullptr && thread != nullptr) counts = CountProcess(process, thread);
  if (thread != nullptr) CloseHandle(thread);
  if (process != nullptr) CloseHandle(process);
  return counts;
}

ProcessCounts SettledCountsOfWindowOwner(HWND window) {
  Answers(window, kHangGuardMs);
  ProcessCounts settled = CountWindowOwner(window);
  for (int sample = 1; sample < 3; ++sample) {
    Answers(window, kHangGuardMs);
    const ProcessCounts counts = CountWindowOwner(window);
    if (counts.gdiObjects < settled.gdiObjects) settled.gdiObjects = counts.gdiObjects;
    if (counts.userObjects < settled.userObjects) settled.userObjects = counts.userObjects;
    if (counts.kernelHandles < settled.kernelHandles) settled.kernelHandles = counts.kernelHandles;
    if (counts.privateBytes < settled.privateBytes) settled.privateBytes = counts.privateBytes;
  }
  return settled;
}

bool ForcePaint(HWND window) {
  return RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW) != FALSE;
}

bool PaintAfterQueue(HWND window, DWORD timeoutMs) {
  if (!RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE)) return false;
  const DWORD start = GetTickCount();
  while (GetUpdateRect(window, nullptr, FALSE)) {
    if (!IsWindow(window) || GetTickCount() - start >= timeoutMs) return false;
    Sleep(1);
  }
  // The update region empties when the paint begins (or when the window hides on its way out): the
  // window has painted once it is still shown and its thread answers, the paint handler having returned.
  return IsWindowVisible(window) && Answers(window, timeoutMs);
}

bool PostWatchCheck(HWND window) { return PostMessageA(window, WM_TIMER, WATCH_TIMER_ID, 0) != FALSE; }

bool Answers(HWND window, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

SoakRun DriveNotice(HWND notice, int paints, int checks, int batch) {
  SoakRun run;
  const int rounds = paints > checks ? paints : checks;
  for (int i = 0; i < rounds; ++i) {
    if (i < paints && ForcePaint(notice)) ++run.paints;
    if (i < checks && PostWatchCheck(notice)) ++run.checks;
    if ((i + 1) % batch == 0 || i + 1 == rounds) {
      const double start = NowMs();
      if (!PaintAfterQueue(notice, kHangGuardMs)) {
        run.answered = false;
        break;
      }
      const double took = NowMs() - start;
      if (took > run.slowestCatchUpMs) run.slowestCatchUpMs = took;
    }
  }
  return run;
}
