// The real program, started as a user would start it, watched from outside through its window.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>

#include "NoticeBesideViewer.h"
#include "NoticeDriving.h"
#include "NoticeRules.h"
#include "PresenceWatch.h"
#include "TestSupport.h"
#include "resource.h"

using namespace tarvolin_test;

namespace {

// The stand-in's plain dialog of the notice's template (--dialog), without the notice's key filter and menu.
const char kPlainDialog[] = "viewer_standin.exe";

std::string ClassOf(HWND hWnd) {
  char name[64] = "";
  GetClassNameA(hWnd, name, sizeof name);
  return name;
}

// The first shown top-level window of process pid of the given window class, or null.
HWND ShownWindowOfClass(DWORD pid, const char* className) {
  for (HWND window : TopLevelWindowsOf(pid))
    if (ClassOf(window) == className) return window;
  return nullptr;
}

const char kPopupMenuClass[] = "#32768";
const char kDialogClass[] = "#32770";

POINT ClientTopLeft(HWND hWnd) {
  POINT point = {0, 0};
  ClientToScreen(hWnd, &point);
  return point;
}

POINT ClientCentre(HWND hWnd) {
  RECT client = {};
  GetClientRect(hWnd, &client);
  POINT point = {client.right / 2, client.bottom / 2};
  ClientToScreen(hWnd, &point);
  return point;
}

// Halfway between the top of the frame and the top of the client area, a little in from the left.
POINT CaptionPoint(HWND hWnd) {
  const RECT frame = WindowRect(hWnd);
  return {frame.left + 40, (frame.top + ClientTopLeft(hWnd).y) / 2};
}

bool ClickAt(POINT point, int button) {
  return Xdotool("mousemove " + std::to_string(point.x) + " " + std::to_string(point.y) + " click " +
                 std::to_string(button));
}

// Gives the keyboard focus to the shown window captioned exactly like the notice: on a bare virtual
// display nothing moves the focus for a click, so keys would go nowhere.
bool FocusNoticeCaption() { return Xdotool("search --onlyvisible --name ^Tarvolin$ windowfocus"); }

TEST(EndToEnd, NoticeSitsAtTheBottomRightOfTheScreen) {
  NoticeBesideViewer both;
  ASSERT_TRUE(both.Start()) << both.Missing();
  const RECT rect = WindowRect(both.notice.window);
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  // The expected corners, written out for the screen sizes the tests run on.
  struct Expected {
    int screenWidth, screenHeight, left, top;
  };
  const Expected table[] = {{1024, 768, 782, 618}, {1920, 1080, 1678, 930}};
  bool known = false;
  for (const Expected& expected : table) {
    if (expected.screenWidth != width || expected.screenHeight != height) continue;
    known = true;
    EXPECT_EQ(expected.left, rect.left);
    EXPECT_EQ(expected.top, rect.top);
  }
  EXPECT_TRUE(known) << "no expectation for a " << width << "x" << height << " screen";
  EXPECT_EQ(kNoticeWidth, rect.right - rect.left);
  EXPECT_EQ(kNoticeHeight, rect.bottom - rect.top);
  EXPECT_EQ(WS_EX_APPWINDOW, GetWindowLongA(both.notice.window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(0, GetWindowLongA(both.notice.window, GWL_STYLE) & WS_SYSMENU) << "the notice must have no close button";
  EXPECT_TRUE(both.notice.Close()) << "the close request did not end the program";
}

TEST(EndToEnd, StaysWhileTheViewerIsOpenAndGoesAtTheFirstCheckAfterItCloses) {
  NoticeBesideViewer both;
  ASSERT_TRUE(both.Start()) << both.Missing();
  // Two checks pass with the viewer open.
  for (int check = 0; check < 2; ++check) {
    ASSERT_TRUE(PostWatchCheck(both.notice.window));
    ASSERT_TRUE(PaintAfterQueue(both.notice.window, kHangGuardMs)) << "the notice went while the viewer was open";
  }

  ASSERT_TRUE(both.viewer.Close()) << "the stand-in viewer's window did not go";
  const double checkedAt = NowMs();
  ASSERT_TRUE(PostWatchCheck(both.notice.window));
  // Ended by this check, before it paints again: its own timer's check could come only after that paint.
  EXPECT_FALSE(PaintAfterQueue(both.notice.window, kHangGuardMs)) << "the check did not end the notice";
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(both.notice.window); }, kHangGuardMs))
      << "the notice's window did not go after the check";
  const double windowGoneMs = NowMs() - checkedAt;
  ASSERT_TRUE(both.notice.process.WaitForExit()) << "the program did not end after its window went";
  printf("check after the viewer closed -> notice gone %.0f ms, process gone %.0f ms\n", windowGoneMs,
         NowMs() - checkedAt);
  EXPECT_EQ(0u, both.notice.process.ExitCode());
}

// The one test that lets the real timer run: the first check comes five seconds after the notice shows.
TEST(EndToEnd, WithNothingOpenItGoesAtTheFirstCheckWhateverTheArguments) {
  ASSERT_FALSE(IsViewerPresent());
  RunningNotice notice;
  ASSERT_TRUE(notice.Start("Tarvolin.exe", "/close --quit \"" + ViewerCaption() + "\""))
      << "the notice did not show";
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(notice.window); }, kHangGuardMs))
      << "the watch's own timer did not end the notice";
  const double lifetimeMs = NowMs() - notice.shownAtMs;
  printf("shown for %.0f ms\n", lifetimeMs);
  EXPECT_GE(lifetimeMs, 4000.0);
  EXPECT_LE(lifetimeMs, 6500.0);
  ASSERT_TRUE(notice.process.WaitForExit()) << "the program did not end after its window went";
  EXPECT_EQ(0u, notice.process.ExitCode());
}

TEST(EndToEnd, KeysLeaveTheNoticeOpenButEndAPlainDialog) {
  const struct {
    UINT message;
    WPARAM key;
    DWORD plainResult;
  } keys[] = {{WM_KEYDOWN, VK_ESCAPE, IDCANCEL}, {WM_KEYDOWN, VK_RETURN, IDOK}, {WM_SYSKEYDOWN, VK_F4, IDCANCEL}};

  NoticeBesideViewer both;
  ASSERT_TRUE(both.Start()) << both.Missing();
  for (const auto& key : keys) {
    const LPARAM flags = key.message == WM_SYSKEYDOWN ? 0x20000001 : 0x00000001;
    // The same probe, sent to a plain dialog of the same template, ends it: the probe is real.
    RunningNotice plain;
    ASSERT_TRUE(plain.Start(kPlainDialog, "--dialog")) << "the plain dialog did not show";
    PostMessageA(plain.window, key.message, key.key, flags);
    ASSERT_TRUE(plain.process.WaitForExit()) << "key " << key.key << " did not end a plain dialog";
    EXPECT_EQ(key.plainResult, plain.process.ExitCode());

    PostMessageA(both.notice.window, key.message, key.key, flags);
    EXPECT_TRUE(PaintAfterQueue(both.notice.window, kHangGuardMs)) << "key " << key.key << " ended the notice";
  }
  ASSERT_TRUE(both.notice.process.IsRunning());
  // A close request does end it, and the process with it.
  EXPECT_TRUE(both.notice.Close()) << "the close request did not end the program";
  EXPECT_EQ(0u, both.notice.process.ExitCode());
}

TEST(EndToEnd, TwoStartsGiveTwoIndependentNotices) {
  NoticeBesideViewer both;
  ASSERT_TRUE(both.Start()) << both.Missing();
  RunningNotice second;
  ASSERT_TRUE(second.Start()) << "the second notice did not show";
  ASSERT_NE(both.notice.window, second.window);
  const RECT a = WindowRect(both.notice.window);
  const RECT b = WindowRect(second.window);
  EXPECT_TRUE(EqualRect(&a, &b)) << "both notices take the same place";

  ASSERT_TRUE(both.notice.Close()) << "the close request did not end the first program";
  EXPECT_TRUE(second.process.IsRunning());
  EXPECT_TRUE(IsWindow(second.window));

  ASSERT_TRUE(both.viewer.Close()) << "the stand-in viewer's window did not go";
  ASSERT_TRUE(PostWatchCheck(second.window));
  EXPECT_TRUE(second.process.WaitForExit()) << "the second notice's own watch did not end it";
}

// Every way a person opens the notice's menu, and its entry leading to the About box. The same input on
// a plain dialog of the notice's template opens nothing: the probe sees only menus that are there.
TEST(EndToEnd, APersonReachesTheAboutBoxThroughTheNoticesContextMenu) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.Open()) << "the stand-in viewer's window did not show";
  struct Input {
    const char* name;
    bool (*give)(HWND window);
    POINT (*expectedCorner)(HWND window);
  } inputs[] = {
      {"right click on the client area", [](HWND w) { return ClickAt(ClientCentre(w), 3); }, ClientCentre},
      {"right click on the caption", [](HWND w) { return ClickAt(CaptionPoint(w), 3); }, CaptionPoint},
      {"Shift+F10", [](HWND) { return FocusNoticeCaption() && Xdotool("key shift+F10"); }, ClientTopLeft},
      {"Applications key", [](HWND) { return FocusNoticeCaption() && Xdotool("key Menu"); }, ClientTopLeft},
  };
  {
    RunningNotice plain;
    ASSERT_TRUE(plain.Start(kPlainDialog, "--dialog")) << "the plain dialog did not show";
    for (const Input& input : inputs) {
      ASSERT_TRUE(input.give(plain.window)) << input.name << ": xdotool failed";
      // Painted after the input, so the input has been handled (input comes before a paint): a menu it
      // opened would be shown now.
      ASSERT_TRUE(PaintAfterQueue(plain.window, kHangGuardMs)) << input.name << ": the plain dialog did not paint";
      EXPECT_EQ(nullptr, ShownWindowOfClass(plain.process.Id(), kPopupMenuClass))
          << input.name << " opened a menu on a plain dialog";
    }
  }

  RunningNotice notice;
  ASSERT_TRUE(notice.Start()) << "the notice did not show";
  const DWORD pid = notice.process.Id();
  ASSERT_TRUE(PaintAfterQueue(notice.window, kHangGuardMs)) << "the notice did not paint";
  for (const Input& input : inputs) {
    ASSERT_TRUE(input.give(notice.window)) << input.name << ": xdotool failed";
    HWND menu = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (menu = ShownWindowOfClass(pid, kPopupMenuClass)) != nullptr; }, kHangGuardMs))
        << input.name << " opened no menu";
    const RECT menuRect = WindowRect(menu);
    const POINT corner = input.expectedCorner(notice.window);
    // At the point, unless that would push it off the screen's right edge.
    EXPECT_TRUE(menuRect.left <= corner.x && corner.x < menuRect.right) << input.name << " at x " << menuRect.left;
    EXPECT_EQ(corner.y, menuRect.top) << input.name;
    ASSERT_TRUE(Xdotool("key Escape"));
    EXPECT_TRUE(WaitUntil([&] { return ShownWindowOfClass(pid, kPopupMenuClass) == nullptr; }, kHangGuardMs))
        << "Escape did not close the menu opened by " << input.name;
    EXPECT_TRUE(IsWindowVisible(notice.window)) << "closing the menu ended the notice";
    EXPECT_EQ(1u, TopLevelWindowsOf(pid).size()) << "closing the menu opened by " << input.name << " left a window";
  }

  ASSERT_TRUE(ClickAt(ClientCentre(notice.window), 3));
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (menu = ShownWindowOfClass(pid, kPopupMenuClass)) != nullptr; }, kHangGuardMs))
      << "a right click opened no menu";
  const RECT item = WindowRect(menu);
  ASSERT_TRUE(ClickAt({(item.left + item.right) / 2, (item.top + item.bottom) / 2}, 1));
  HWND about = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND window : TopLevelWindowsOf(pid))
          if (window != notice.window && ClassOf(window) == kDialogClass) about = window;
        return about != nullptr;
      },
      kHangGuardMs))
      << "choosing the entry opened no About box";
  EXPECT_EQ(notice.window, GetWindow(about, GW_OWNER));
  EXPECT_FALSE(IsWindowEnabled(notice.window));
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about) && IsWindowEnabled(notice.window); }, kHangGuardMs))
      << "OK did not end the About box and give the notice back its input";
  EXPECT_TRUE(notice.Close()) << "the close request did not end the program";
  EXPECT_EQ(0u, notice.process.ExitCode());
}

// With no service window, the watch's first check ends the notice and whatever is open over it: the
// About box or the context menu. Both go at once and the process exits within one period.
TEST(EndToEnd, TheWatchsEndTakesAnOpenAboutBoxOrMenuWithTheNotice) {
  ASSERT_FALSE(IsViewerPresent());
  const struct {
    const char* name;
    const char* className;
    bool (*open)(HWND notice);
  } overs[] = {
      {"About box", kDialogClass,
       [](HWND notice) { return PostMessageA(notice, WM_SYSCOMMAND, IDM_ABOUT, 0) != FALSE; }},
      {"context menu", kPopupMenuClass, [](HWND notice) { return ClickAt(ClientCentre(notice), 3); }},
  };
  for (const auto& over : overs) {
    RunningNotice notice;
    ASSERT_TRUE(notice.Start()) << "the notice did not show";
    const DWORD pid = notice.process.Id();
    // Shown and painted, so that a click finds it on the display.
    ASSERT_TRUE(PaintAfterQueue(notice.window, kHangGuardMs)) << "the notice did not paint";
    ASSERT_TRUE(over.open(notice.window)) << over.name;
    HWND overWindow = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
          for (HWND window : TopLevelWindowsOf(pid))
            if (window != notice.window && ClassOf(window) == over.className) overWindow = window;
          return overWindow != nullptr;
        },
        kHangGuardMs))
        << over.name << " did not open";
    const double checkedAt = NowMs();
    ASSERT_TRUE(PostWatchCheck(notice.window));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(notice.window) && !IsWindowVisible(overWindow); }, 1000))
        << over.name << ": still shown after the check";
    const double hiddenMs = NowMs() - checkedAt;
    ASSERT_TRUE(notice.process.WaitForExit(WATCH_PERIOD_MS)) << over.name << ": the process lives on";
    printf("%s open: hidden %.0f ms, process gone %.0f ms after the check\n", over.name, hiddenMs,
           NowMs() - checkedAt);
    EXPECT_EQ(0u, notice.process.ExitCode()) << over.name;
  }
}

}  // namespace
