// The About box and the menu entry that opens it: the entry in a window menu and in the notice's context
// menu, the About command (a window-menu command, which the context menu sends too) and the About box's
// place, in this process; then the real program's About box, watched from outside as a user would see it.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "AboutDlg.h"
#include "Afx.h"
#include "ModalScript.h"
#include "NoticeDriving.h"
#include "NoticeRules.h"
#include "TarvolinDlg.h"
#include "NoticeBesideViewer.h"
#include "TestSupport.h"
#include "ViewerWindow.h"
#include "WinApp.h"
#include "WindowMenuProbe.h"
#include "resource.h"

using namespace tarvolin_test;

namespace {

// The entry's text and the About box's caption in code page 949, byte for byte ("정보" is C1 A4 BA B8).
const char kEntryText[] = "Tarvolin \xC1\xA4\xBA\xB8(&A)...";
const char kAboutCaption[] = "Tarvolin \xC1\xA4\xBA\xB8";

bool HasStringBlockOf(HMODULE module, UINT id) {
  return FindResourceA(module, MAKEINTRESOURCEA(id / 16 + 1), RT_STRING) != nullptr;
}

class AboutEntry : public ::testing::Test {
 protected:
  void TearDown() override { AfxSetResourceHandle(nullptr); }
};

TEST_F(AboutEntry, WithTheStringTheWindowMenuEndsWithTheEntryAndTheContextMenuHoldsOnlyIt) {
  const MenuChange change = AddAboutEntryWith(GetModuleHandleA(nullptr));
  ASSERT_FALSE(change.before.empty()) << "the window got no window menu";
  ASSERT_EQ(change.before.size() + 2, change.after.size());
  for (size_t i = 0; i < change.before.size(); ++i) EXPECT_TRUE(change.before[i] == change.after[i]) << "item " << i;
  const MenuItem& separator = change.after[change.after.size() - 2];
  EXPECT_NE(0u, separator.type & MFT_SEPARATOR);
  const MenuItem& entry = change.after.back();
  EXPECT_EQ(static_cast<UINT>(MFT_STRING), entry.type);
  EXPECT_EQ(0x0010u, entry.id);
  EXPECT_EQ(kEntryText, entry.text);

  // The context menu, for windows without a window menu, holds the very same entry and nothing else.
  HMENU popup = CreateAboutPopupMenu();
  ASSERT_NE(nullptr, popup);
  const std::vector<MenuItem> items = ItemsOf(popup);
  DestroyMenu(popup);
  ASSERT_EQ(1u, items.size());
  EXPECT_TRUE(entry == items[0]) << items[0].text;
}

TEST_F(AboutEntry, WithTheStringMissingOrEmptyNoMenuGetsTheEntry) {
  struct Case {
    const char* module;
    bool hasBlock;  // whether the string table block of the entry's string is there (with the string empty)
  } cases[] = {{"test_about_string_missing.dll", false}, {"test_about_string_empty.dll", true}};
  for (const Case& c : cases) {
    HMODULE module = LoadLibraryA(SiblingPath(c.module).c_str());
    ASSERT_NE(nullptr, module) << c.module;
    EXPECT_EQ(c.hasBlock, HasStringBlockOf(module, IDS_ABOUT_MENU)) << c.module;
    const MenuChange change = AddAboutEntryWith(module);
    ASSERT_FALSE(change.before.empty()) << "the window got no window menu";
    EXPECT_TRUE(change.before == change.after) << c.module << ": " << change.before.size() << " items before, "
                                               << change.after.size() << " after";
    AfxSetResourceHandle(module);
    EXPECT_EQ(nullptr, CreateAboutPopupMenu()) << c.module << ": a context menu without its entry";
    AfxSetResourceHandle(nullptr);
    FreeLibrary(module);
  }
}

TEST_F(AboutEntry, TheNoticeHasNoWindowMenuAndItsInitialisationGoesOn) {
  CTarvolinDlg notice;
  HMENU menu = nullptr;
  bool visible = false;
  RECT placed = {};
  const ModalRun run = RunModalScript(notice,
                                      {{
                                        [&](HWND dialog) {
                                          menu = GetSystemMenu(dialog, FALSE);
                                          visible = IsWindowVisible(dialog) != FALSE;
                                          GetWindowRect(dialog, &placed);
                                          notice.EndDialog(IDABORT);
                                        }}});
  EXPECT_EQ(IDABORT, run.result);
  // Without WS_SYSMENU, Wine gives a window no window menu: the entry step stops at once.
  EXPECT_EQ(nullptr, menu);
  // The steps after it still ran: the notice was placed and shown.
  const RECT expected = ComputeNoticeRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(EqualRect(&expected, &placed));
  EXPECT_TRUE(visible);
}

TEST(AboutCommand, TheLowFourBitsAndTheBitsAboveTheSixteenthAreIgnored) {
  const struct {
    WPARAM command;
    bool opensAbout;
  } cases[] = {{0x0010, true},   {0x0017, true},   {0x001F, true},   {0x00010010, true}, {0x0000, false},
               {0x000F, false},  {0x0020, false},  {0x0110, false},  {SC_MOVE, false},   {SC_MINIMIZE, false},
               {SC_CLOSE, false}, {SC_KEYMENU, false}};
  for (const auto& c : cases) EXPECT_EQ(c.opensAbout, IsAboutCommand(c.command)) << std::hex << c.command;
}

struct ThreadWindowSearch {
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchThreadWindow(HWND hWnd, LPARAM lParam) {
  auto* search = reinterpret_cast<ThreadWindowSearch*>(lParam);
  if (!IsWindowVisible(hWnd) || CaptionOf(hWnd) != search->caption) return TRUE;
  search->found = hWnd;
  return FALSE;
}

// The About box of this thread, if one is shown.
HWND FindAboutBox() {
  ThreadWindowSearch search{kAboutCaption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Presses a button as the mouse would: the button itself reports the click to the dialog.
void Press(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

RECT WorkAreaOf(HWND hWnd) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

// The notice in this process, made the application's main window as the program does, so that it
// owns the About box.
class NoticeCommands : public ::testing::Test {
 protected:
  void SetUp() override { m_app.m_pMainWnd = &m_notice; }

  CWinApp m_app;
  ViewerWindow m_viewer;
  CTarvolinDlg m_notice;
};

TEST_F(NoticeCommands, CommandsOfTheAboutRangeOpenTheAboutBoxAndTheNextOneDoesNot) {
  struct Probe {
    WPARAM command;
    bool opens;
    bool opened;
    bool goneAfterOk;
  } probes[] = {{0x0010, true, false, false}, {0x001F, true, false, false}, {0x0020, false, false, false}};
  std::vector<ScriptStep> steps;
  for (Probe& probe : probes) {
    steps.push_back({[&](HWND notice) { PostMessageA(notice, WM_SYSCOMMAND, probe.command, 0); }});
    steps.push_back({[&](HWND) {
                       HWND about = FindAboutBox();
                       probe.opened = about != nullptr;
                       if (about != nullptr) Press(GetDlgItem(about, IDOK));
                     }});
    steps.push_back({[&](HWND) { probe.goneAfterOk = FindAboutBox() == nullptr; }});
  }
  steps.push_back({[&](HWND) { m_notice.EndDialog(IDABORT); }});
  const ModalRun run = RunModalScript(m_notice, steps);
  EXPECT_EQ(IDABORT, run.result) << "the notice did not stay open";
  for (const Probe& probe : probes) {
    EXPECT_EQ(probe.opens, probe.opened) << "command " << std::hex << probe.command;
    EXPECT_TRUE(probe.goneAfterOk) << "command " << std::hex << probe.command;
  }
}

TEST_F(NoticeCommands, OkEscapeAndTheCloseButtonEndTheAboutBoxAndReenableTheNotice) {
  struct Way {
    const char* name;
    void (*end)(HWND about);
    HWND about;
    bool ownedByNotice;
    bool noticeEnabledWhileOpen;
    bool gone;
    bool noticeEnabledAfter;
  } ways[] = {
      {"OK", [](HWND about) { Press(GetDlgItem(about, IDOK)); }, nullptr, false, true, false, false},
      {"Escape", [](HWND about) { PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 1); }, nullptr, false, true, false,
       false},
      {"close button", [](HWND about) { PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0); }, nullptr, false, true,
       false, false},
  };
  std::vector<ScriptStep> steps;
  for (Way& way : ways) {
    steps.push_back({[](HWND notice) { PostMessageA(notice, WM_SYSCOMMAND, IDM_ABOUT, 0); }});
    steps.push_back({[&](HWND notice) {
                       way.about = FindAboutBox();
                       way.ownedByNotice = way.about != nullptr && GetWindow(way.about, GW_OWNER) == notice;
                       way.noticeEnabledWhileOpen = IsWindowEnabled(notice) != FALSE;
                       if (way.about != nullptr) way.end(way.about);
                     }});
    steps.push_back({[&](HWND notice) {
                       way.gone = way.about != nullptr && !IsWindow(way.about);
                       way.noticeEnabledAfter = IsWindowEnabled(notice) != FALSE;
                     }});
  }
  steps.push_back({[&](HWND) { m_notice.EndDialog(IDABORT); }});
  const ModalRun run = RunModalScript(m_notice, steps);
  EXPECT_EQ(IDABORT, run.result) << "ending the About box ended the notice";
  for (const Way& way : ways) {
    ASSERT_NE(nullptr, way.about) << way.name << ": no About box";
    EXPECT_TRUE(way.ownedByNotice) << way.name;
    EXPECT_FALSE(way.noticeEnabledWhileOpen) << way.name;
    EXPECT_TRUE(way.gone) << way.name << " did not end the About box";
    EXPECT_TRUE(way.noticeEnabledAfter) << way.name;
  }
}

TEST_F(NoticeCommands, TheCloseCommandStillEndsTheNoticeWithCancel) {
  const ModalRun run =
      RunModalScript(m_notice, {{[](HWND notice) { PostMessageA(notice, WM_SYSCOMMAND, SC_CLOSE, 0); }}});
  EXPECT_EQ(IDCANCEL, run.result);
}

// Ending the notice ends the About box it runs: one close request ends both, with the notice's result.
TEST_F(NoticeCommands, ACloseRequestWhileTheAboutBoxIsOpenEndsBothWithCancel) {
  HWND about = nullptr;
  bool openAfterTheRequest = false;
  const ModalRun run = RunModalScript(m_notice,
                                      {{[](HWND notice) { PostMessageA(notice, WM_SYSCOMMAND, IDM_ABOUT, 0); }},
                                       {[&](HWND notice) {
                                         about = FindAboutBox();
                                         PostMessageA(notice, WM_CLOSE, 0, 0);
                                       }},
                                       // Runs only if a run is still open once the request has been handled.
                                       {[&](HWND) { openAfterTheRequest = true; }}});
  ASSERT_NE(nullptr, about) << "no About box";
  EXPECT_EQ(IDCANCEL, run.result);
  EXPECT_FALSE(openAfterTheRequest) << "the close request did not end both runs at once";
  EXPECT_FALSE(IsWindow(about));
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

int CentreX(const RECT& rect) { return (rect.left + rect.right) / 2; }
int CentreY(const RECT& rect) { return (rect.top + rect.bottom) / 2; }

// The framework's start-up of an owned dialog: centred on the owner, then moved into the work area.
TEST_F(NoticeCommands, TheAboutBoxIsCentredOnTheNoticeAndKeptInsideTheWorkArea) {
  enum class Where { AsPlaced, Middle, PartlyOffTopLeft };
  struct Place {
    Where where;
    RECT notice, about, work;
  } places[] = {{Where::AsPlaced, {}, {}, {}}, {Where::Middle, {}, {}, {}}, {Where::PartlyOffTopLeft, {}, {}, {}}};
  std::vector<ScriptStep> steps;
  for (Place& place : places) {
    steps.push_back({[&](HWND notice) {
                       const RECT work = WorkAreaOf(notice);
                       if (place.where == Where::Middle)
                         MoveWindow(notice, CentreX(work) - kNoticeWidth / 2, CentreY(work) - kNoticeHeight / 2,
                                    kNoticeWidth, kNoticeHeight, TRUE);
                       if (place.where == Where::PartlyOffTopLeft)
                         MoveWindow(notice, work.left - 100, work.top - 40, kNoticeWidth, kNoticeHeight, TRUE);
                       PostMessageA(notice, WM_SYSCOMMAND, IDM_ABOUT, 0);
                     }});
    steps.push_back({[&](HWND notice) {
                       HWND about = FindAboutBox();
                       if (about == nullptr) return;
                       place.notice = WindowRect(notice);
                       place.about = WindowRect(about);
                       place.work = WorkAreaOf(notice);
                       Press(GetDlgItem(about, IDOK));
                     }});
  }
  steps.push_back({[&](HWND) { m_notice.EndDialog(IDABORT); }});
  const ModalRun run = RunModalScript(m_notice, steps);
  EXPECT_EQ(IDABORT, run.result);

  for (const Place& place : places) {
    const int where = static_cast<int>(place.where);
    ASSERT_FALSE(IsRectEmpty(&place.about)) << "no About box at place " << where;
    EXPECT_TRUE(Inside(place.about, place.work)) << "place " << where;
  }
  // Against the right edge: centring alone would push it off the screen; vertically it fits and is centred.
  const Place& placed = places[0];
  EXPECT_EQ(placed.work.right, placed.about.right);
  EXPECT_GT(CentreX(placed.notice) + (placed.about.right - placed.about.left) / 2, placed.work.right);
  EXPECT_NEAR(CentreY(placed.notice), CentreY(placed.about), 1);
  // Where it fits both ways, centred on the notice.
  EXPECT_NEAR(CentreX(places[1].notice), CentreX(places[1].about), 1);
  EXPECT_NEAR(CentreY(places[1].notice), CentreY(places[1].about), 1);
  // Pushed in from the top left corner.
  EXPECT_EQ(places[2].work.left, places[2].about.left);
  EXPECT_EQ(places[2].work.top, places[2].about.top);
}

// The real program, with the stand-in viewer open so that its watch keeps the notice.
TEST(AboutBoxOfTheProgram, IsOwnedByTheDisabledNoticeShowsItsTextsAndSitsAgainstTheRightEdge) {
  NoticeBesideViewer both;
  ASSERT_TRUE(both.Start()) << both.Missing();
  const HWND notice = both.notice.window;
  ChildProcess& program = both.notice.process;
  ASSERT_TRUE(IsWindowEnabled(notice));
  // Painted, so it has handled all its start-up posted: an About box it opened by itself would be shown.
  ASSERT_TRUE(PaintAfterQueue(notice, kHangGuardMs)) << "the notice did not paint";
  EXPECT_TRUE(TopLevelWindowsOf(program.Id(), kAboutCaption).empty()) << "an About box before it was asked for";

  PostMessageA(notice, WM_SYSCOMMAND, IDM_ABOUT, 0);
  const HWND about = WaitForWindowOf(program.Id(), kAboutCaption);
  ASSERT_NE(nullptr, about) << "the About command opened no About box";
  EXPECT_EQ(notice, GetWindow(about, GW_OWNER));
  EXPECT_FALSE(IsWindowEnabled(notice)) << "the notice stays enabled under its modal About box";

  struct Control {
    HWND hWnd;
    std::string className;
    int id;
    std::string text;
    LONG style;
  };
  std::vector<Control> controls;
  for (HWND child = GetWindow(about, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    controls.push_back({child, className, GetDlgCtrlID(child), CaptionOf(child), GetWindowLongA(child, GWL_STYLE)});
  }
  ASSERT_EQ(4u, controls.size());
  for (const Control& control : controls) EXPECT_TRUE(IsWindowVisible(control.hWnd)) << control.text;
  EXPECT_EQ(0, lstrcmpiA("Static", controls[0].className.c_str()));
  EXPECT_EQ(-1, controls[0].id);
  EXPECT_EQ(SS_ICON, controls[0].style & SS_TYPEMASK);
  EXPECT_NE(0, SendMessageA(controls[0].hWnd, STM_GETICON, 0, 0)) << "the icon control shows no icon";
  EXPECT_EQ(0, lstrcmpiA("Static", controls[1].className.c_str()));
  EXPECT_EQ(-1, controls[1].id);
  EXPECT_EQ("Tarvolin, 버전 1.0", controls[1].text);
  EXPECT_EQ(0, lstrcmpiA("Static", controls[2].className.c_str()));
  EXPECT_EQ(-1, controls[2].id);
  EXPECT_FALSE(controls[2].text.empty());
  EXPECT_EQ(0, lstrcmpiA("Button", controls[3].className.c_str()));
  EXPECT_EQ(IDOK, controls[3].id);
  EXPECT_EQ("확인", controls[3].text);

  const RECT work = WorkAreaOf(notice);
  const RECT noticeRect = WindowRect(notice);
  const RECT aboutRect = WindowRect(about);
  printf("work area %ld,%ld-%ld,%ld; notice %ld,%ld-%ld,%ld; About box %ld,%ld-%ld,%ld\n", work.left, work.top,
         work.right, work.bottom, noticeRect.left, noticeRect.top, noticeRect.right, noticeRect.bottom,
         aboutRect.left, aboutRect.top, aboutRect.right, aboutRect.bottom);
  EXPECT_TRUE(Inside(aboutRect, work));
  EXPECT_EQ(work.right, aboutRect.right);
  const int height = aboutRect.bottom - aboutRect.top;
  const int centredTop = CentreY(noticeRect) - height / 2;
  if (centredTop >= work.top && centredTop + height <= work.bottom) {
    EXPECT_EQ(centredTop, aboutRect.top);
  } else {
    EXPECT_EQ(centredTop < work.top ? work.top : work.bottom - height, aboutRect.top);
  }

  Press(GetDlgItem(about, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kHangGuardMs)) << "OK did not end the About box";
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(notice) != FALSE; }, kHangGuardMs))
      << "the notice did not get its input back";
  EXPECT_TRUE(IsWindow(notice));
  EXPECT_TRUE(program.IsRunning());

  EXPECT_TRUE(both.notice.Close()) << "the close request did not end the program";
  EXPECT_EQ(0u, program.ExitCode());
}

}  // namespace
