// The notice window in this process, with the program's own resources linked into the test program:
// placement, painting, keys, close requests and the watch's timer, driven from its own message loop;
// and how the framework's modal runs end (an end sent from another thread, a quit in a nested run).
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Afx.h"
#include "ModalScript.h"
#include "NoticeDriving.h"
#include "NoticeRules.h"
#include "PresenceWatch.h"
#include "TarvolinDlg.h"
#include "TestSupport.h"
#include "ViewerWindow.h"
#include "resource.h"

using namespace tarvolin_test;

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// Pixels as 0x00RRGGBB, top-down rows.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<DWORD> data;
  COLORREF At(int x, int y) const {
    const DWORD p = data[static_cast<size_t>(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

Pixels CopyFromDC(HDC source, int width, int height) {
  Pixels pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.data.resize(static_cast<size_t>(width) * height);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(source);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  memcpy(pixels.data.data(), bits, pixels.data.size() * 4);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(dib);
  return pixels;
}

// What the window shows in its client area right now.
Pixels ClientPixels(HWND hWnd) {
  RECT client;
  GetClientRect(hWnd, &client);
  HDC dc = GetDC(hWnd);
  Pixels pixels = CopyFromDC(dc, client.right, client.bottom);
  ReleaseDC(hWnd, dc);
  return pixels;
}

// The banner bitmap of a resource module, as stored.
Pixels BannerPixels(HINSTANCE module) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(module, MAKEINTRESOURCEA(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (bitmap == nullptr) return Pixels();
  BITMAP info;
  GetObjectA(bitmap, sizeof info, &info);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  Pixels pixels = CopyFromDC(memory, info.bmWidth, info.bmHeight);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  return pixels;
}

// Compares the client area with the banner as drawn at the client origin, unscaled and colour-keyed:
// returns the number of pixels that differ.
int CountBannerMismatches(const Pixels& client, const Pixels& banner) {
  const COLORREF background = GetSysColor(COLOR_BTNFACE);
  int mismatches = 0;
  for (int y = 0; y < client.height && y < kBannerHeight; ++y) {
    for (int x = 0; x < client.width && x < kBannerWidth; ++x) {
      const COLORREF source = banner.At(x, y);
      const COLORREF expected = source == kMagenta ? background : source;
      if (client.At(x, y) != expected) ++mismatches;
    }
  }
  return mismatches;
}

TEST(NoticeRect, BottomRightOfTheScreen) {
  const RECT small = ComputeNoticeRect(1024, 768);
  EXPECT_EQ(782, small.left);
  EXPECT_EQ(618, small.top);
  EXPECT_EQ(kNoticeWidth, small.right - small.left);
  EXPECT_EQ(kNoticeHeight, small.bottom - small.top);
  const RECT large = ComputeNoticeRect(1920, 1080);
  EXPECT_EQ(1678, large.left);
  EXPECT_EQ(930, large.top);
  EXPECT_EQ(1920, large.right);
  EXPECT_EQ(1020, large.bottom);
}

TEST(NoticeKeys, OnlyAltF4EscapeAndEnterAreSwallowed) {
  auto message = [](UINT id, WPARAM key) {
    MSG msg = {};
    msg.message = id;
    msg.wParam = key;
    return msg;
  };
  EXPECT_TRUE(FilterNoticeKey(message(WM_SYSKEYDOWN, VK_F4)));
  EXPECT_TRUE(FilterNoticeKey(message(WM_KEYDOWN, VK_ESCAPE)));
  EXPECT_TRUE(FilterNoticeKey(message(WM_KEYDOWN, VK_RETURN)));
  EXPECT_FALSE(FilterNoticeKey(message(WM_KEYDOWN, VK_F4)));
  EXPECT_FALSE(FilterNoticeKey(message(WM_SYSKEYDOWN, VK_ESCAPE)));
  EXPECT_FALSE(FilterNoticeKey(message(WM_KEYDOWN, VK_TAB)));
  EXPECT_FALSE(FilterNoticeKey(message(WM_KEYUP, VK_ESCAPE)));
  EXPECT_FALSE(FilterNoticeKey(message(WM_CHAR, VK_RETURN)));
}

class NoticeWindow : public ::testing::Test {
 protected:
  void TearDown() override { AfxSetResourceHandle(nullptr); }
};

TEST_F(NoticeWindow, SitsAtBottomRightDrawsTheBannerAtTheClientOriginAndCarriesBothIcons) {
  ViewerWindow viewer;
  CTarvolinDlg notice;
  RECT placed = {};
  int mismatches = -1;
  Pixels client;
  LRESULT bigIcon = 0, smallIcon = 0;
  const ModalRun run = RunModalScript(
      notice,
      {{
        [&](HWND dialog) {
          GetWindowRect(dialog, &placed);
          bigIcon = SendMessageA(dialog, WM_GETICON, ICON_BIG, 0);
          smallIcon = SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0);
          client = ClientPixels(dialog);
          mismatches = CountBannerMismatches(client, BannerPixels(GetModuleHandleA(nullptr)));
          notice.EndDialog(IDABORT);
        }}});
  EXPECT_EQ(IDABORT, run.result);
  const RECT expected = ComputeNoticeRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(EqualRect(&expected, &placed)) << placed.left << "," << placed.top << " " << placed.right << ","
                                             << placed.bottom;
  // Caption and frame take part of the window: the banner is clipped at the right.
  ASSERT_GT(client.width, 200);
  ASSERT_LT(client.width, kBannerWidth);
  ASSERT_GT(client.height, 40);
  EXPECT_EQ(0, mismatches);
  // Both icons, for the caption and the task switcher, are the program's own.
  const LRESULT programIcon = reinterpret_cast<LRESULT>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)));
  ASSERT_NE(0, programIcon);
  EXPECT_EQ(programIcon, bigIcon);
  EXPECT_EQ(programIcon, smallIcon);
}

TEST_F(NoticeWindow, MagentaInAReplacementBannerShowsTheBackground) {
  HMODULE replacement = LoadLibraryA(SiblingPath("test_magenta_banner.dll").c_str());
  ASSERT_NE(nullptr, replacement);
  const Pixels banner = BannerPixels(replacement);
  ASSERT_EQ(kBannerWidth, banner.width);
  ASSERT_EQ(kMagenta, banner.At(120, 30)) << "the replacement banner has no magenta block";
  AfxSetResourceHandle(replacement);

  ViewerWindow viewer;
  CTarvolinDlg notice;
  Pixels client;
  int mismatches = -1;
  RunModalScript(notice,
                 {{
                   [&](HWND dialog) {
                     client = ClientPixels(dialog);
                     mismatches = CountBannerMismatches(client, banner);
                     notice.EndDialog(IDABORT);
                   }}});
  EXPECT_EQ(0, mismatches);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), client.At(120, 30));
  EXPECT_NE(GetSysColor(COLOR_BTNFACE), client.At(99, 30)) << "outside the block the banner is drawn";
  FreeLibrary(replacement);
}

// Runs a function when its message is dispatched: a message posted before DoModal is dispatched by the
// modal loop before the dialog's first paint, since posted messages come before paints.
class PostedProbe {
 public:
  explicit PostedProbe(std::function<void()> probe) : m_probe(std::move(probe)) {
    m_hWnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PostedProbe::Proc)));
  }
  ~PostedProbe() { DestroyWindow(m_hWnd); }
  void Post() { PostMessageA(m_hWnd, WM_APP, 0, 0); }
  bool ran = false;

 private:
  static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PostedProbe*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (message == WM_APP && self != nullptr) {
      self->m_probe();
      self->ran = true;
      return 0;
    }
    return CallWindowProcA(self != nullptr ? self->m_previous : DefWindowProcA, hWnd, message, wParam, lParam);
  }
  HWND m_hWnd = nullptr;
  WNDPROC m_previous = nullptr;
  std::function<void()> m_probe;
};

// KillTimer tells whether the watch's timer was set (and takes it away, so that a later set shows).
TEST_F(NoticeWindow, TheFirstPaintArmsTheWatchOnceAndRepaintsDoNotArmItAgain) {
  ASSERT_FALSE(IsViewerPresent());
  CTarvolinDlg notice;
  bool armedBeforeThePaint = true;
  bool painted = false;
  PostedProbe beforeThePaint([&] {
    armedBeforeThePaint = KillTimer(notice.m_hWnd, WATCH_TIMER_ID) != FALSE;
    painted = !GetUpdateRect(notice.m_hWnd, nullptr, FALSE);
  });
  beforeThePaint.Post();
  bool armedByThePaint = false;
  bool armedAgain = true;
  int repaintsSeen = 0;
  const ModalRun run = RunModalScript(
      notice,
      {{[&](HWND dialog) {
          armedByThePaint = KillTimer(dialog, WATCH_TIMER_ID) != FALSE;
          // Blacken a corner, repaint, and see the banner back, ten times over.
          for (int i = 0; i < 10; ++i) {
            HDC dc = GetDC(dialog);
            PatBlt(dc, 0, 0, 50, 50, BLACKNESS);
            ReleaseDC(dialog, dc);
            InvalidateRect(dialog, nullptr, TRUE);
            UpdateWindow(dialog);
            if (ClientPixels(dialog).At(10, 10) != RGB(0, 0, 0)) ++repaintsSeen;
          }
          armedAgain = KillTimer(dialog, WATCH_TIMER_ID) != FALSE;
          // The watch's check itself, without a service window, ends the notice.
          PostMessageA(dialog, WM_TIMER, WATCH_TIMER_ID, 0);
        }}});
  ASSERT_TRUE(beforeThePaint.ran);
  EXPECT_FALSE(painted) << "the probe ran after the first paint: it proves nothing";
  EXPECT_FALSE(armedBeforeThePaint) << "the watch was armed before the first paint";
  EXPECT_TRUE(armedByThePaint) << "the first paint did not arm the watch";
  EXPECT_EQ(10, repaintsSeen);
  EXPECT_FALSE(armedAgain) << "a repaint armed the watch again, postponing its check";
  EXPECT_EQ(IDOK, run.result);
}

// An end that arrives in a message sent from another thread ends the run at once, although nothing
// else is in the dialog's queue.
TEST_F(NoticeWindow, AnEndSentFromAnotherThreadReturnsFromDoModalAtOnce) {
  CDialog dialog(IDD_NOTICE);
  struct Sender {
    CDialog* dialog;
    HANDLE returned;
    double sentAtMs;
    static DWORD WINAPI Run(void* parameter) {
      auto* self = static_cast<Sender*>(parameter);
      WaitUntil([self] { return self->dialog->m_hWnd != nullptr && IsWindowVisible(self->dialog->m_hWnd); },
                kHangGuardMs);
      HWND hWnd = self->dialog->m_hWnd;
      // The first paint and whatever else the window's start-up posted have been handled: the dialog's
      // loop waits with nothing queued.
      PaintAfterQueue(hWnd, kHangGuardMs);
      self->sentAtMs = NowMs();
      SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
      // A guard, so that a run that does not wake still ends (with the other result).
      if (WaitForSingleObject(self->returned, kHangGuardMs) == WAIT_TIMEOUT)
        PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
      return 0;
    }
  } sender{&dialog, CreateEventA(nullptr, TRUE, FALSE, nullptr), 0};
  HANDLE thread = CreateThread(nullptr, 0, &Sender::Run, &sender, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  const INT_PTR result = dialog.DoModal();
  const double returnedAfterMs = NowMs() - sender.sentAtMs;
  SetEvent(sender.returned);
  WaitForSingleObject(thread, kHangGuardMs);
  CloseHandle(thread);
  CloseHandle(sender.returned);
  EXPECT_EQ(IDOK, result);
  EXPECT_LT(returnedAfterMs, 1000.0) << "DoModal kept waiting after the end";
}

// A quit request that comes while a dialog runs over another (the About box over the notice) ends both
// runs, and is left on the thread for the loop outside them, with its exit code.
TEST(NestedModalRuns, AQuitInTheInnerRunEndsBothAndIsLeftForTheLoopOutside) {
  constexpr int kExitCode = 7;
  CDialog outer(IDD_NOTICE);
  CDialog inner(IDD_ABOUT, &outer);
  bool quitPosted = false;
  ModalRun innerRun = {0, 0};
  const ModalRun outerRun = RunModalScript(outer, {{[&](HWND) {
                                             innerRun = RunModalScript(inner, {{[&](HWND) {
                                                                         PostQuitMessage(kExitCode);
                                                                         quitPosted = true;
                                                                       }}});
                                           }}});
  MSG quit = {};
  const bool quitLeft = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  ASSERT_TRUE(quitPosted) << "the inner run did not start";
  // -1: the run was left without an end of its own; kGuardResult: it ran on until its guard ended it.
  EXPECT_EQ(-1, innerRun.result) << "the inner run did not end with the quit";
  EXPECT_EQ(-1, outerRun.result) << "the outer run did not end with the quit the inner one left";
  ASSERT_TRUE(quitLeft) << "the quit was taken by the runs: the loop outside them would go on";
  EXPECT_EQ(static_cast<WPARAM>(kExitCode), quit.wParam);
}

TEST_F(NoticeWindow, OnlyTheWatchTimerRunsACheck) {
  ASSERT_FALSE(IsViewerPresent());
  CTarvolinDlg notice;
  bool aliveAfterOtherTimer = false;
  bool aliveAfterWatchTimer = false;
  const ModalRun run = RunModalScript(
      notice,
      {{[](HWND dialog) { PostMessageA(dialog, WM_TIMER, WATCH_TIMER_ID + 1, 0); }},
       {[&](HWND dialog) { aliveAfterOtherTimer = IsWindow(dialog) != FALSE; }},
       {[](HWND dialog) { PostMessageA(dialog, WM_TIMER, WATCH_TIMER_ID, 0); }},
       // Runs only if the notice is still open once that message has been handled.
       {[&](HWND) { aliveAfterWatchTimer = true; }}});
  EXPECT_TRUE(aliveAfterOtherTimer);
  EXPECT_EQ(IDOK, run.result);
  EXPECT_FALSE(aliveAfterWatchTimer) << "the watch's own timer message did not run a check";
}

TEST_F(NoticeWindow, CloseRequestEndsItWithCancel) {
  ViewerWindow viewer;
  CTarvolinDlg notice;
  const ModalRun run =
      RunModalScript(notice, {{[](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }}});
  EXPECT_EQ(IDCANCEL, run.result);
}

// Posts one key to the dialog; returns the dialog's result (IDABORT: it was still open once the key had
// been handled).
INT_PTR ResultAfterKey(CDialog& dialog, UINT message, WPARAM key) {
  // Alt held (bit 29) for the system key, as the keyboard would send it.
  const LPARAM flags = message == WM_SYSKEYDOWN ? 0x20000001 : 0x00000001;
  return RunModalScript(dialog,
                        {{[=](HWND hWnd) { PostMessageA(hWnd, message, key, flags); }},
                         {[&](HWND) { dialog.EndDialog(IDABORT); }}})
      .result;
}

TEST_F(NoticeWindow, EscapeEnterAndAltF4LeaveItOpenButEndAPlainDialog) {
  ViewerWindow viewer;
  const struct {
    UINT message;
    WPARAM key;
    INT_PTR plainResult;
  } keys[] = {{WM_KEYDOWN, VK_ESCAPE, IDCANCEL}, {WM_KEYDOWN, VK_RETURN, IDOK}, {WM_SYSKEYDOWN, VK_F4, IDCANCEL}};
  for (const auto& key : keys) {
    CDialog plain(IDD_NOTICE);
    EXPECT_EQ(key.plainResult, ResultAfterKey(plain, key.message, key.key)) << "key " << key.key;
    CTarvolinDlg notice;
    EXPECT_EQ(IDABORT, ResultAfterKey(notice, key.message, key.key)) << "key " << key.key;
  }
}

}  // namespace
