// Drives a running notice from outside for the run command and the checks of the shipped program,
// one step per call:
//   notice_driver.exe open-viewer    starts the stand-in viewer and waits until its window is shown
//   notice_driver.exe wait-notice    waits until the notice is shown (exit 0) or 20 s pass (exit 1)
//   notice_driver.exe where-notice   prints the screen point at the middle of the notice's client area
//   notice_driver.exe notice-rect    prints the notice's left, top, width and height (exit 1: none shown)
//   notice_driver.exe where-menu     waits until the notice's context menu is shown, prints its middle
//   notice_driver.exe wait-about     waits until the About box is shown
//   notice_driver.exe close-about    presses OK in the About box and waits until it is gone
//   notice_driver.exe check          posts the notice one check of its watch and waits until it is gone
//   notice_driver.exe close-viewer   closes the stand-in viewer and reports when the notice went
// It only finds windows and posts them messages; the run command clicks where it points (xdotool).
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "PresenceWatch.h"
#include "resource.h"

namespace {

const char kNoticeCaption[] = "Tarvolin";
const char kAboutCaption[] = "Tarvolin 정보";
const char kStandInClass[] = "TarvolinViewerStandIn";
const char kPopupMenuClass[] = "#32768";
const char kViewerCaption[] = "주문 목록 - 쿠델 B2B 뷰어";

struct Search {
  const char* caption;
  const char* className;
  HWND found;
};

BOOL CALLBACK Match(HWND hWnd, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  if (!IsWindowVisible(hWnd)) return TRUE;
  char text[256] = "";
  if (search->caption != nullptr) {
    GetWindowTextA(hWnd, text, sizeof text);
    if (strcmp(text, search->caption) != 0) return TRUE;
  }
  if (search->className != nullptr) {
    GetClassNameA(hWnd, text, sizeof text);
    if (strcmp(text, search->className) != 0) return TRUE;
  }
  search->found = hWnd;
  return FALSE;
}

HWND Find(const char* caption, const char* className = nullptr) {
  Search search{caption, className, nullptr};
  EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitFor(const char* caption, DWORD timeoutMs, const char* className = nullptr) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND found = Find(caption, className)) return found;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(20);
  }
}

bool WaitGone(HWND hWnd, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (IsWindow(hWnd)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

// The viewer's caption is handed over from here, in the ANSI code page: Hangul on a Unix command line
// reaches a Windows program through the Unix locale, which may not be able to carry it.
int OpenViewer() {
  char exe[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  char* name = strrchr(exe, '\\');
  if (name == nullptr) return 1;
  strcpy(name + 1, "viewer_standin.exe");
  char commandLine[2 * MAX_PATH];
  snprintf(commandLine, sizeof commandLine, "\"%s\" %s", exe, kViewerCaption);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    fprintf(stderr, "notice_driver: cannot start %s\n", exe);
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return WaitFor(kViewerCaption, 10000, kStandInClass) != nullptr ? 0 : 1;
}

int PrintMiddle(HWND window) {
  if (window == nullptr) return 1;
  RECT rect;
  GetWindowRect(window, &rect);
  printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  return 0;
}

int PrintRect(HWND window) {
  if (window == nullptr) return 1;
  RECT rect;
  GetWindowRect(window, &rect);
  printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  return 0;
}

int CloseViewer() {
  HWND notice = Find(kNoticeCaption);
  HWND viewer = Find(nullptr, kStandInClass);
  if (notice == nullptr || viewer == nullptr) {
    fprintf(stderr, "notice_driver: %s is not open\n", notice == nullptr ? "the notice" : "the stand-in viewer");
    return 1;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(notice, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  LARGE_INTEGER frequency, closed, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&closed);
  PostMessageA(viewer, WM_CLOSE, 0, 0);
  auto secondsSinceClose = [&] {
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - closed.QuadPart) / static_cast<double>(frequency.QuadPart);
  };
  if (!WaitGone(notice, 15000)) {
    fprintf(stderr, "notice_driver: the notice is still open 15 s after the viewer closed\n");
    return 1;
  }
  const double windowGone = secondsSinceClose();
  if (process != nullptr) WaitForSingleObject(process, 15000);
  const double processGone = secondsSinceClose();
  printf("The notice closed %.1f s after the viewer closed (checks run every 5 s); its process ended after %.1f s.\n",
         windowGone, processGone);
  return windowGone <= 5.5 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const char* step = argc > 1 ? argv[1] : "";
  if (strcmp(step, "open-viewer") == 0) return OpenViewer();
  if (strcmp(step, "wait-notice") == 0) return WaitFor(kNoticeCaption, 20000) != nullptr ? 0 : 1;
  if (strcmp(step, "where-notice") == 0) return PrintMiddle(Find(kNoticeCaption));
  if (strcmp(step, "notice-rect") == 0) return PrintRect(Find(kNoticeCaption));
  if (strcmp(step, "where-menu") == 0) return PrintMiddle(WaitFor(nullptr, 10000, kPopupMenuClass));
  if (strcmp(step, "wait-about") == 0) return WaitFor(kAboutCaption, 10000) != nullptr ? 0 : 1;
  if (strcmp(step, "close-about") == 0) {
    HWND about = Find(kAboutCaption);
    if (about == nullptr) return 1;
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    return WaitGone(about, 10000) ? 0 : 1;
  }
  if (strcmp(step, "check") == 0) {
    HWND notice = Find(kNoticeCaption);
    if (notice == nullptr) return 1;
    PostMessageA(notice, WM_TIMER, WATCH_TIMER_ID, 0);
    return WaitGone(notice, 10000) ? 0 : 1;
  }
  if (strcmp(step, "close-viewer") == 0) return CloseViewer();
  fprintf(stderr, "usage: notice_driver.exe open-viewer | wait-notice | where-notice | notice-rect | where-menu | wait-about | "
                  "close-about | check | close-viewer\n");
  return 2;
}
