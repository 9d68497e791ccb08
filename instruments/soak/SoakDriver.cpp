// The long run of the notice: starts a stand-in viewer and the program, forces paints and watch
// checks on the notice from outside, and compares what the program holds before and after:
//   soak_driver.exe [--paints N] [--checks N] [--program NAME.exe]
// Prints the counts and exits 0 when none of them grew, 1 when one did, 2 when the run went wrong.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "NoticeDriving.h"
#include "ServiceMarkers.h"

namespace {

const char kNoticeCaption[] = "Tarvolin";
// Heap and window-system caches settle within the first rounds; growth is measured after them.
constexpr int kWarmUpRounds = 100;
// Committed private memory moves in pages and heap chunks: growth below this is not a leak.
constexpr long long kPrivateBytesSlack = 64 * 1024;

std::string SiblingPath(const char* fileName) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  folder.resize(folder.find_last_of("\\/") + 1);
  return folder + fileName;
}

bool Start(const char* exeName, const std::string& arguments, PROCESS_INFORMATION* info) {
  const std::string exe = SiblingPath(exeName);
  std::string commandLine = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        info) != FALSE;
}

struct Search {
  DWORD pid;
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hWnd, &pid);
  char text[256] = "";
  GetWindowTextA(hWnd, text, sizeof text);
  if (pid != search->pid || !IsWindowVisible(hWnd) || strcmp(text, search->caption) != 0) return TRUE;
  search->found = hWnd;
  return FALSE;
}

HWND WaitForWindow(DWORD pid, const char* caption) {
  for (int i = 0; i < 300; ++i) {
    Search search{pid, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(50);
  }
  return nullptr;
}

void End(PROCESS_INFORMATION& info) {
  if (info.hProcess == nullptr) return;
  if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  info = PROCESS_INFORMATION();
}

void Print(const char* label, const ProcessCounts& counts) { printf("%-7s %s\n", label, DescribeCounts(counts).c_str()); }

}  // namespace

int main(int argc, char** argv) {
  int paints = 10000, checks = 10000;
  const char* program = "Tarvolin.exe";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--paints") == 0) paints = atoi(argv[i + 1]);
    else if (strcmp(argv[i], "--checks") == 0) checks = atoi(argv[i + 1]);
    else if (strcmp(argv[i], "--program") == 0) program = argv[i + 1];
  }
  setvbuf(stdout, nullptr, _IONBF, 0);

  PROCESS_INFORMATION viewer = {}, notice = {};
  const std::string viewerCaption = std::string("Soak - ") + kViewerMarker;
  if (!Start("viewer_standin.exe", viewerCaption, &viewer) || WaitForWindow(viewer.dwProcessId, viewerCaption.c_str()) == nullptr) {
    printf("the stand-in viewer did not open\n");
    End(viewer);
    return 2;
  }
  HWND window = nullptr;
  if (Start(program, "", &notice)) window = WaitForWindow(notice.dwProcessId, kNoticeCaption);
  if (window == nullptr) {
    printf("%s showed no notice\n", program);
    End(notice);
    End(viewer);
    return 2;
  }

  DriveNotice(window, kWarmUpRounds, kWarmUpRounds);
  const ProcessCounts before = SettledCountsOfWindowOwner(window);
  const DWORD start = GetTickCount();
  const SoakRun run = DriveNotice(window, paints, checks);
  const DWORD took = GetTickCount() - start;
  const ProcessCounts after = SettledCountsOfWindowOwner(window);

  printf("%s: %d paints and %d checks in %lu ms (slowest catch-up %.1f ms), notice %s\n", program, run.paints, run.checks,
         static_cast<unsigned long>(took), run.slowestCatchUpMs, run.answered ? "kept up throughout" : "STOPPED HANDLING ITS QUEUE");
  Print("before", before);
  Print("after", after);

  // The checks were real: with the viewer gone, one more check ends the notice at once.
  PostMessageA(WaitForWindow(viewer.dwProcessId, viewerCaption.c_str()), WM_CLOSE, 0, 0);
  WaitForSingleObject(viewer.hProcess, 10000);
  PostWatchCheck(window);
  const bool endedByCheck = WaitForSingleObject(notice.hProcess, 5000) == WAIT_OBJECT_0;
  printf("after the viewer closed, one check %s the notice\n", endedByCheck ? "ended" : "did NOT end");
  End(notice);
  End(viewer);

  const bool counted = before.gdiObjects >= 0 && before.userObjects >= 0 && before.kernelHandles >= 0 &&
                       before.privateBytes >= 0;
  const bool grew = after.gdiObjects > before.gdiObjects || after.userObjects > before.userObjects ||
                    after.kernelHandles > before.kernelHandles ||
                    after.privateBytes > before.privateBytes + kPrivateBytesSlack;
  if (!counted || !run.answered || run.paints != paints || run.checks != checks || !endedByCheck) return 2;
  printf("%s\n", grew ? "GREW" : "no growth");
  return grew ? 1 : 0;
}
