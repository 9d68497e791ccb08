// The real program, started as a user would start it, watched from outside through its window.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>

#include "NoticeDriving.h"
#include "PresenceWatch.h"
#include "TestSupport.h"
#include "resource.h"

using namespace tarvolin_test;

namespace {

const char kNoticeCaption[] = "Tarvolin";

// A stand-in viewer window in a process of its own.
class StandInViewer {
 public:
  explicit StandInViewer(const std::string& options = "") {
    const std::string caption = ViewerCaption();
    if (m_process.Start("viewer_standin.exe", options.empty() ? caption : options + " " + caption))
      m_hWnd = WaitForWindowOf(m_process.Id(), caption.c_str());
  }
  bool IsOpen() const { return m_hWnd != nullptr; }
  // Closes the window as a user would; true once it is gone (the message is sent, not posted, so that
  // is on return).
  bool Close() {
    SendMessageTimeoutA(m_hWnd, WM_CLOSE, 0, 0, SMTO_NORMAL, kHangGuardMs, nullptr);
    return !IsWindow(m_hWnd);
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
    window = WaitForWindowOf(process.Id(), kNoticeCaption);
    shownAtMs = NowMs();
    return window != nullptr;
  }
};

RECT WindowRect(HWND hWnd) {
  RECT rect = {};
  GetWindowRect(hWnd, &rect);
  return rect;
}

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
  EXPECT_TRUE(notice.process.WaitForExit()) << "the close request did not end the program";
}

TEST(EndToEnd, StaysWhileTheViewerIsOpenAndGoesAtTheFirstCheckAfterItCloses) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.IsOpen());
  RunningNotice notice;
  ASSERT_TRUE(notice.Start());
  // Two checks pass with the viewer open.
  for (int check = 0; check < 2; ++check) {
    ASSERT_TRUE(PostWatchCheck(notice.window));
    ASSERT_TRUE(PaintAfterQueue(notice.window, kHangGuardMs)) << "the notice went while the viewer was open";
  }

  ASSERT_TRUE(viewer.Close()) << "the stand-in viewer's window did not go";
  const double checkedAt = NowMs();
  ASSERT_TRUE(PostWatchCheck(notice.window));
  // Ended by this check, before it paints again: its own timer's check could come only after that paint.
  EXPECT_FALSE(PaintAfterQueue(notice.window, kHangGuardMs)) << "the check did not end the notice";
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(notice.window); }, kHangGuardMs))
      << "the notice's window did not go after the check";
  const double windowGoneMs = NowMs() - checkedAt;
  ASSERT_TRUE(notice.process.WaitForExit()) << "the program did not end after its window went";
  printf("check after the viewer closed -> notice gone %.0f ms, process gone %.0f ms\n", windowGoneMs,
         NowMs() - checkedAt);
  EXPECT_EQ(0u, notice.process.ExitCode());
}

// The one test that lets the real timer run: the first check comes five seconds after the notice shows.
TEST(EndToEnd, WithNothingOpenItGoesAtTheFirstCheckWhateverTheArguments) {
  ASSERT_FALSE(IsViewerPresent());
  RunningNotice notice;
  ASSERT_TRUE(notice.Start("/close --quit \"" + ViewerCaption() + "\""));
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
    HWND plainWindow = WaitForWindowOf(plain.Id(), kNoticeCaption);
    ASSERT_NE(nullptr, plainWindow) << "the plain dialog did not show";
    PostMessageA(plainWindow, key.message, key.key, flags);
    ASSERT_TRUE(plain.WaitForExit()) << "key " << key.key << " did not end a plain dialog";
    EXPECT_EQ(key.plainResult, plain.ExitCode());

    PostMessageA(notice.window, key.message, key.key, flags);
    EXPECT_TRUE(PaintAfterQueue(notice.window, kHangGuardMs)) << "key " << key.key << " ended the notice";
  }
  ASSERT_TRUE(notice.process.IsRunning());
  // A close request does end it, and the process with it.
  PostMessageA(notice.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(notice.process.WaitForExit()) << "the close request did not end the program";
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
  ASSERT_TRUE(first.process.WaitForExit()) << "the close request did not end the first program";
  EXPECT_TRUE(second.process.IsRunning());
  EXPECT_TRUE(IsWindow(second.window));

  ASSERT_TRUE(viewer.Close()) << "the stand-in viewer's window did not go";
  ASSERT_TRUE(PostWatchCheck(second.window));
  EXPECT_TRUE(second.process.WaitForExit()) << "the second notice's own watch did not end it";
}

// Every way a person opens the notice's menu, and its entry leading to the About box. The same input on
// a plain dialog of the notice's template opens nothing: the probe sees only menus that are there.
TEST(EndToEnd, APersonReachesTheAboutBoxThroughTheNoticesContextMenu) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.IsOpen());
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
    ChildProcess plain;
    ASSERT_TRUE(plain.Start("viewer_standin.exe", "--dialog"));
    HWND plainWindow = WaitForWindowOf(plain.Id(), kNoticeCaption);
    ASSERT_NE(nullptr, plainWindow) << "the plain dialog did not show";
    for (const Input& input : inputs) {
      ASSERT_TRUE(input.give(plainWindow)) << input.name << ": xdotool failed";
      // Painted after the input, so the input has been handled (input comes before a paint): a menu it
      // opened would be shown now.
      ASSERT_TRUE(PaintAfterQueue(plainWindow, kHangGuardMs)) << input.name << ": the plain dialog did not paint";
      EXPECT_EQ(nullptr, ShownWindowOfClass(plain.Id(), kPopupMenuClass))
          << input.name << " opened a menu on a plain dialog";
    }
  }

  RunningNotice notice;
  ASSERT_TRUE(notice.Start());
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
  PostMessageA(notice.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(notice.process.WaitForExit()) << "the close request did not end the program";
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
    ASSERT_TRUE(notice.Start());
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
