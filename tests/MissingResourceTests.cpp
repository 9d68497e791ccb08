// A missing resource leaves its effect out and nothing else: without the banner nothing is drawn but
// the watch is armed all the same; without the icon the window has none; without string 101 (the About
// entry's text) a window menu gets no entry (the notice has none; its context menu's case is in
// AboutBoxTests.cpp). The program runs and ends as usual in every case.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Afx.h"
#include "ModalScript.h"
#include "NoticeDriving.h"
#include "PresenceWatch.h"
#include "RunningNotice.h"
#include "TarvolinDlg.h"
#include "TestSupport.h"
#include "WindowMenuProbe.h"
#include "resource.h"

using namespace tarvolin_test;

namespace {

// Client pixels (every fourth in each direction) that differ from the dialog background.
int PixelsOffBackground(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const COLORREF background = GetSysColor(COLOR_BTNFACE);
  HDC dc = GetDC(window);
  int off = 0;
  for (int y = 0; y < client.bottom; y += 4)
    for (int x = 0; x < client.right; x += 4)
      if (GetPixel(dc, x, y) != background) ++off;
  ReleaseDC(window, dc);
  return off;
}

class MissingResources : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(IsViewerPresent()) << "a window of the service is already open";
    m_module = LoadLibraryA(SiblingPath("test_missing_resources.dll").c_str());
    ASSERT_NE(nullptr, m_module);
  }
  void TearDown() override {
    AfxSetResourceHandle(nullptr);
    FreeLibrary(m_module);
  }
  HMODULE m_module = nullptr;
};

TEST_F(MissingResources, TheModuleReallyLacksThemButHasTheNoticeTemplate) {
  EXPECT_EQ(nullptr, FindResourceA(m_module, MAKEINTRESOURCEA(IDB_BANNER), RT_BITMAP));
  EXPECT_EQ(nullptr, FindResourceA(m_module, MAKEINTRESOURCEA(IDI_APP), RT_GROUP_ICON));
  char text[64] = "";
  EXPECT_EQ(0, LoadStringA(m_module, IDS_ABOUT_MENU, text, sizeof text));
  EXPECT_NE(nullptr, FindResourceA(m_module, MAKEINTRESOURCEA(IDD_NOTICE), RT_DIALOG));
  // The same look-ups find all of them in the program's own resources, linked into this test.
  HMODULE own = GetModuleHandleA(nullptr);
  EXPECT_NE(nullptr, FindResourceA(own, MAKEINTRESOURCEA(IDB_BANNER), RT_BITMAP));
  EXPECT_NE(nullptr, FindResourceA(own, MAKEINTRESOURCEA(IDI_APP), RT_GROUP_ICON));
  EXPECT_GT(LoadStringA(own, IDS_ABOUT_MENU, text, sizeof text), 0);
}

TEST_F(MissingResources, WithoutBannerAndIconNothingIsDrawnButTheWatchEndsTheNotice) {
  // Control: with the program's own resources the banner covers the client area and there is an icon;
  // and a step after one that leaves the notice open does run (the probe of the check below can fail).
  int offWithBanner = -1;
  LRESULT iconWithResources = 0;
  bool openAfterTheFirstStep = false;
  {
    CTarvolinDlg notice;
    RunModalScript(notice, {{[&](HWND dialog) {
                              offWithBanner = PixelsOffBackground(dialog);
                              iconWithResources = SendMessageA(dialog, WM_GETICON, ICON_BIG, 0);
                            }},
                            {[&](HWND) {
                              openAfterTheFirstStep = true;
                              notice.EndDialog(IDABORT);
                            }}});
  }
  ASSERT_GT(offWithBanner, 100);
  ASSERT_NE(0, iconWithResources);
  ASSERT_TRUE(openAfterTheFirstStep);

  AfxSetResourceHandle(m_module);
  CTarvolinDlg notice;
  int off = -1;
  LRESULT icon = -1;
  bool openAfterTheCheck = false;
  const ModalRun run = RunModalScript(notice, {{[&](HWND dialog) {
                                                 InvalidateRect(dialog, nullptr, TRUE);
                                                 UpdateWindow(dialog);
                                                 off = PixelsOffBackground(dialog);
                                                 icon = SendMessageA(dialog, WM_GETICON, ICON_BIG, 0);
                                                 PostWatchCheck(dialog);
                                               }},
                                               // Runs only if the notice is still open once the check
                                               // has been handled (its own timer would end it later).
                                               {[&](HWND) { openAfterTheCheck = true; }}});
  EXPECT_EQ(0, off) << "something was drawn without a banner";
  EXPECT_EQ(0, icon) << "the window carries an icon although none exists";
  EXPECT_EQ(IDOK, run.result) << "the watch's check did not end the notice";
  EXPECT_FALSE(openAfterTheCheck) << "the notice was still open after the watch's check";
}

TEST_F(MissingResources, WithoutStringOneHundredAndOneTheWindowMenuIsUnchanged) {
  // Control: with the program's own string the probe sees the separator and the entry added.
  const MenuChange control = AddAboutEntryWith(GetModuleHandleA(nullptr));
  const MenuChange change = AddAboutEntryWith(m_module);
  ASSERT_FALSE(control.before.empty()) << "the window got no window menu";
  ASSERT_FALSE(change.before.empty()) << "the window got no window menu";
  EXPECT_EQ(control.before.size() + 2, control.after.size()) << "the probe sees no entry even with the string";
  EXPECT_EQ(change.before.size(), change.after.size());
}

// The test builds of the program, each lacking one resource, run as a user would start them.
TEST_F(MissingResources, ProgramsLackingOneResourceRunAndEndAtTheFirstCheck) {
  const char* const programs[] = {"Tarvolin_without_banner.exe", "Tarvolin_without_icon.exe",
                                  "Tarvolin_without_string.exe"};
  for (const char* program : programs) {
    SCOPED_TRACE(program);
    RunningNotice notice;
    ASSERT_TRUE(notice.Start(program)) << "no notice shown";
    // (Its icon is not asked for here: under Wine WM_GETICON answers 0 to another process even for the
    // full program. The in-process test above covers the missing icon.)
    EXPECT_TRUE(PaintAfterQueue(notice.window, kHangGuardMs)) << "it does not paint";
    ASSERT_TRUE(PostWatchCheck(notice.window));
    ASSERT_TRUE(notice.process.WaitForExit()) << "the watch's check did not end it";
    EXPECT_EQ(0u, notice.process.ExitCode()) << "it did not end normally";
  }
}

}  // namespace
