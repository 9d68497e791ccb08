// The notice window in this process, with the program's own resources linked into the test program:
// placement, painting, keys, close requests and the watch's timer, driven from its own message loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "Afx.h"
#include "ModalScript.h"
#include "NoticeRules.h"
#include "PresenceWatch.h"
#include "TarvolinDlg.h"
#include "TestSupport.h"
#include "resource.h"

using namespace tarvolin_test;

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A visible window of this process captioned like the viewer: the service is in use while it lives.
class ViewerWindow {
 public:
  ViewerWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "NoticeTestViewer";
    RegisterClassA(&windowClass);
    m_hWnd = CreateWindowExA(0, windowClass.lpszClassName, ViewerCaption().c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             10, 10, 300, 150, nullptr, nullptr, windowClass.hInstance, nullptr);
  }
  ~ViewerWindow() { DestroyWindow(m_hWnd); }
  HWND m_hWnd;
};

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
  for (int y = 0; y < client.height && y < 65; ++y) {
    for (int x = 0; x < client.width && x < 242; ++x) {
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
  EXPECT_EQ(242, small.right - small.left);
  EXPECT_EQ(90, small.bottom - small.top);
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

TEST_F(NoticeWindow, SitsAtBottomRightAndDrawsTheBannerAtTheClientOrigin) {
  ViewerWindow viewer;
  CTarvolinDlg notice;
  RECT placed = {};
  int mismatches = -1;
  Pixels client;
  const ModalRun run = RunModalScript(
      notice,
      {{400,
        [&](HWND dialog) {
          GetWindowRect(dialog, &placed);
          client = ClientPixels(dialog);
          mismatches = CountBannerMismatches(client, BannerPixels(GetModuleHandleA(nullptr)));
          notice.EndDialog(IDABORT);
        }}},
      5000);
  EXPECT_EQ(IDABORT, run.result);
  const RECT expected = ComputeNoticeRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(EqualRect(&expected, &placed)) << placed.left << "," << placed.top << " " << placed.right << ","
                                             << placed.bottom;
  // Caption and frame take part of the 242 x 90 window: the banner is clipped at the right.
  ASSERT_GT(client.width, 200);
  ASSERT_LT(client.width, 242);
  ASSERT_GT(client.height, 40);
  EXPECT_EQ(0, mismatches);
}

TEST_F(NoticeWindow, MagentaInAReplacementBannerShowsTheBackground) {
  HMODULE replacement = LoadLibraryA(SiblingPath("test_magenta_banner.dll").c_str());
  ASSERT_NE(nullptr, replacement);
  const Pixels banner = BannerPixels(replacement);
  ASSERT_EQ(242, banner.width);
  ASSERT_EQ(kMagenta, banner.At(120, 30)) << "the replacement banner has no magenta block";
  AfxSetResourceHandle(replacement);

  ViewerWindow viewer;
  CTarvolinDlg notice;
  Pixels client;
  int mismatches = -1;
  RunModalScript(notice,
                 {{400,
                   [&](HWND dialog) {
                     client = ClientPixels(dialog);
                     mismatches = CountBannerMismatches(client, banner);
                     notice.EndDialog(IDABORT);
                   }}},
                 5000);
  EXPECT_EQ(0, mismatches);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), client.At(120, 30));
  EXPECT_NE(GetSysColor(COLOR_BTNFACE), client.At(99, 30)) << "outside the block the banner is drawn";
  FreeLibrary(replacement);
}

TEST_F(NoticeWindow, WithoutTheServiceItEndsAtTheFirstCheckAndRepaintsDoNotPostponeIt) {
  ASSERT_FALSE(IsViewerPresent());
  CTarvolinDlg notice;
  int repaints = 0;
  int repaintsSeen = 0;
  std::vector<ScriptStep> steps;
  // Every 400 ms: blacken the client area, then force a paint and check that the banner is back.
  for (DWORD at = 300; at < 9000; at += 400) {
    steps.push_back({at, [&](HWND dialog) {
                       HDC dc = GetDC(dialog);
                       PatBlt(dc, 0, 0, 50, 50, BLACKNESS);
                       ReleaseDC(dialog, dc);
                       InvalidateRect(dialog, nullptr, TRUE);
                       UpdateWindow(dialog);
                       ++repaints;
                       if (ClientPixels(dialog).At(10, 10) != RGB(0, 0, 0)) ++repaintsSeen;
                     }});
  }
  const ModalRun run = RunModalScript(notice, steps, 9500);
  EXPECT_EQ(IDOK, run.result) << "the watch did not end the notice";
  // The timer starts at the first paint, right after the window is shown.
  EXPECT_GE(run.endedAtMs, 4900);
  EXPECT_LE(run.endedAtMs, 6500);
  EXPECT_GE(repaints, 10);
  EXPECT_EQ(repaints, repaintsSeen);
}

TEST_F(NoticeWindow, OnlyTheWatchTimerRunsACheck) {
  ASSERT_FALSE(IsViewerPresent());
  CTarvolinDlg notice;
  bool aliveAfterOtherTimer = false;
  const ModalRun run = RunModalScript(
      notice,
      {{200, [](HWND dialog) { PostMessageA(dialog, WM_TIMER, WATCH_TIMER_ID + 1, 0); }},
       {700, [&](HWND dialog) { aliveAfterOtherTimer = IsWindow(dialog) != FALSE; }},
       {800, [](HWND dialog) { PostMessageA(dialog, WM_TIMER, WATCH_TIMER_ID, 0); }}},
      4000);
  EXPECT_TRUE(aliveAfterOtherTimer);
  EXPECT_EQ(IDOK, run.result);
  EXPECT_LT(run.endedAtMs, 2000) << "the watch's own timer message did not run a check";
}

TEST_F(NoticeWindow, CloseRequestEndsItWithCancel) {
  ViewerWindow viewer;
  CTarvolinDlg notice;
  const ModalRun run =
      RunModalScript(notice, {{300, [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }}}, 4000);
  EXPECT_EQ(IDCANCEL, run.result);
}

// Posts one key to the dialog; returns the dialog's result (kGuardResult: it was still open after 1 s).
INT_PTR ResultAfterKey(CDialog& dialog, UINT message, WPARAM key) {
  // Alt held (bit 29) for the system key, as the keyboard would send it.
  const LPARAM flags = message == WM_SYSKEYDOWN ? 0x20000001 : 0x00000001;
  return RunModalScript(dialog, {{300, [=](HWND hWnd) { PostMessageA(hWnd, message, key, flags); }}}, 1300).result;
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
    EXPECT_EQ(kGuardResult, ResultAfterKey(notice, key.message, key.key)) << "key " << key.key;
  }
}

}  // namespace
