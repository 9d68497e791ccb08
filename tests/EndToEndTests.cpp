// The real program, started as a user would start it, watched from outside through its window.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>

#include "PresenceWatch.h"
#include "TestSupport.h"

using namespace tarvolin_test;

namespace {

const char kNoticeCaption[] = "Tarvolin";

// A stand-in viewer window in a process of its own.
class StandInViewer {
 public:
  explicit StandInViewer(const std::string& options = "") {
    const std::string caption = ViewerCaption();
    if (m_process.Start("viewer_standin.exe", options.empty() ? caption : options + " " + caption))
      m_hWnd = WaitForWindowOf(m_process.Id(), caption.c_str(), 10000);
  }
  bool IsOpen() const { return m_hWnd != nullptr; }
  // Closes the window as a user would; returns when its process has ended.
  void Close() {
    PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    m_process.WaitForExit(10000);
  }

 private:
  ChildProcess m_process;
  HWND m_hWnd = nullptr;
};

// The program, and its notice window once it is shown.
struct RunningNotice {
  ChildProcess process;
  HWND window = nullptr;
  double shownAtMs = 0;

  bool Start(const std::string& arguments = "") {
    if (!process.Start("Tarvolin.exe", arguments)) return false;
    window = WaitForWindowOf(process.Id(), kNoticeCaption, 15000);
    shownAtMs = NowMs();
    return window != nullptr;
  }
};

RECT WindowRect(HWND hWnd) {
  RECT rect = {};
  GetWindowRect(hWnd, &rect);
  return rect;
}

TEST(EndToEnd, NoticeSitsAtTheBottomRightOfTheScreen) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.IsOpen());
  RunningNotice notice;
  ASSERT_TRUE(notice.Start());
  const RECT rect = WindowRect(notice.window);
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
  EXPECT_EQ(242, rect.right - rect.left);
  EXPECT_EQ(90, rect.bottom - rect.top);
  EXPECT_EQ(WS_EX_APPWINDOW, GetWindowLongA(notice.window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(0, GetWindowLongA(notice.window, GWL_STYLE) & WS_SYSMENU) << "the notice must have no close button";
  PostMessageA(notice.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(notice.process.WaitForExit(10000));
}

TEST(EndToEnd, StaysWhileTheViewerIsOpenAndGoesWithinOnePeriodAfterItCloses) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.IsOpen());
  RunningNotice notice;
  ASSERT_TRUE(notice.Start());
  // Two checks pass with the viewer open.
  Sleep(11000);
  ASSERT_TRUE(IsWindow(notice.window)) << "the notice went while the viewer was open";

  const double closedAt = NowMs();
  viewer.Close();
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(notice.window); }, 15000));
  const double windowGoneMs = NowMs() - closedAt;
  ASSERT_TRUE(notice.process.WaitForExit(15000));
  const double processGoneMs = NowMs() - closedAt;
  printf("viewer closed -> notice gone %.0f ms, process gone %.0f ms\n", windowGoneMs, processGoneMs);
  ::testing::Test::RecordProperty("notice_gone_ms", static_cast<int>(windowGoneMs));
  EXPECT_LE(windowGoneMs, 5500.0);
  EXPECT_EQ(0u, notice.process.ExitCode());
}

TEST(EndToEnd, WithNothingOpenItGoesAtTheFirstCheckWhateverTheArguments) {
  ASSERT_FALSE(IsViewerPresent());
  RunningNotice notice;
  ASSERT_TRUE(notice.Start("/close --quit \"" + ViewerCaption() + "\""));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(notice.window); }, 15000));
  const double lifetimeMs = NowMs() - notice.shownAtMs;
  printf("shown for %.0f ms\n", lifetimeMs);
  EXPECT_GE(lifetimeMs, 4000.0);
  EXPECT_LE(lifetimeMs, 6500.0);
  ASSERT_TRUE(notice.process.WaitForExit(10000));
  EXPECT_EQ(0u, notice.process.ExitCode());
}

TEST(EndToEnd, KeysLeaveTheNoticeOpenButEndAPlainDialog) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.IsOpen());
  const struct {
    UINT message;
    WPARAM key;
    DWORD plainResult;
  } keys[] = {{WM_KEYDOWN, VK_ESCAPE, IDCANCEL}, {WM_KEYDOWN, VK_RETURN, IDOK}, {WM_SYSKEYDOWN, VK_F4, IDCANCEL}};

  RunningNotice notice;
  ASSERT_TRUE(notice.Start());
  for (const auto& key : keys) {
    const LPARAM flags = key.message == WM_SYSKEYDOWN ? 0x20000001 : 0x00000001;
    // The same probe, sent to a plain dialog of the same template, ends it: the probe is real.
    ChildProcess plain;
    ASSERT_TRUE(plain.Start("viewer_standin.exe", "--dialog"));
    HWND plainWindow = WaitForWindowOf(plain.Id(), kNoticeCaption, 10000);
    ASSERT_NE(nullptr, plainWindow);
    PostMessageA(plainWindow, key.message, key.key, flags);
    ASSERT_TRUE(plain.WaitForExit(5000)) << "key " << key.key << " did not end a plain dialog";
    EXPECT_EQ(key.plainResult, plain.ExitCode());

    PostMessageA(notice.window, key.message, key.key, flags);
    Sleep(1000);
    EXPECT_TRUE(IsWindow(notice.window)) << "key " << key.key << " ended the notice";
  }
  ASSERT_TRUE(notice.process.IsRunning());
  // A close request does end it, and the process with it.
  PostMessageA(notice.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(notice.process.WaitForExit(10000));
  EXPECT_EQ(0u, notice.process.ExitCode());
}

TEST(EndToEnd, TwoStartsGiveTwoIndependentNotices) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.IsOpen());
  RunningNotice first, second;
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(second.Start());
  ASSERT_NE(first.window, second.window);
  const RECT a = WindowRect(first.window);
  const RECT b = WindowRect(second.window);
  EXPECT_TRUE(EqualRect(&a, &b)) << "both notices take the same place";

  PostMessageA(first.window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.process.WaitForExit(10000));
  EXPECT_TRUE(second.process.IsRunning());
  EXPECT_TRUE(IsWindow(second.window));

  viewer.Close();
  EXPECT_TRUE(second.process.WaitForExit(15000)) << "the second notice's own watch did not end it";
}

}  // namespace
