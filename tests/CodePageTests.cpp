// The program under an ANSI code page other than Korean's: the test runner gives this program a
// Western locale (code page 1252), and the notice it starts inherits it.
#include <gtest/gtest.h>
#include <windows.h>

#include "NoticeDriving.h"
#include "PresenceWatch.h"
#include "RunningNotice.h"
#include "TestSupport.h"

using namespace tarvolin_test;

namespace {

// A Korean caption set as Unicode cannot give the viewer marker's bytes in code page 1252, so only a
// window showing the site's address keeps the notice.
TEST(OtherCodePage, OnlyTheSiteMarkerKeepsTheNotice) {
  ASSERT_EQ(1252u, GetACP()) << "the runner did not give this test a Western locale";
  ASSERT_FALSE(IsViewerPresent());
  const struct {
    const wchar_t* caption;
    bool keepsTheNotice;
  } cases[] = {
      {L"\uC8FC\uBB38 \uBAA9\uB85D - \uCFE0\uB378 B2B \uBDF0\uC5B4", false},  // "주문 목록 - 쿠델 B2B 뷰어"
      {L"Orders - http://b2b.kudel.example/ - Browser", true},
  };
  for (const auto& c : cases) {
    HWND service = CreateWindowExW(0, L"Static", c.caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 200,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, service);
    RunningNotice notice;
    ASSERT_TRUE(notice.Start()) << "the notice did not show";
    ASSERT_TRUE(PostWatchCheck(notice.window));
    // Painted after the check: the check kept it. Gone first: the check ended it.
    if (c.keepsTheNotice) {
      EXPECT_TRUE(PaintAfterQueue(notice.window, kHangGuardMs)) << "the site's address did not keep the notice";
      PostMessageA(notice.window, WM_CLOSE, 0, 0);
    } else {
      EXPECT_FALSE(PaintAfterQueue(notice.window, kHangGuardMs))
          << "a Korean caption kept the notice under code page 1252";
    }
    EXPECT_TRUE(notice.process.WaitForExit()) << "the program did not end";
    EXPECT_EQ(0u, notice.process.ExitCode());
    DestroyWindow(service);
  }
}

}  // namespace
