// The presence watch: the caption test on its own, then on real windows of this process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "PresenceWatch.h"
#include "TestSupport.h"

using namespace tarvolin_test;

namespace {

const std::string kViewer = kViewerMarker;
const std::string kSite = kSiteMarker;

TEST(CaptionTest, MarkersAreTheExpectedBytes) {
  EXPECT_EQ(std::string("\xC4\xED\xB5\xA8\x20\x42\x32\x42\x20\xBA\xE4\xBE\xEE"), kViewer);
  EXPECT_EQ(13u, kViewer.size());
  EXPECT_EQ(0u, kSite.find("http://"));
  EXPECT_EQ('/', kSite.back());
  EXPECT_GT(kSite.size(), std::string("http:///").size());
}

TEST(CaptionTest, EitherMarkerAnywhereMatches) {
  const std::string matching[] = {
      kViewer,
      "Report.doc - " + kViewer,
      kViewer + " - 2010",
      "[" + kViewer + "]",
      kSite + " - Browser",
      kSite,
      kSite + "order/list?id=3 - Browser",
      "Browser - " + kSite + "index.html",
  };
  for (const std::string& caption : matching) EXPECT_TRUE(CaptionHasServiceMarker(caption.c_str())) << caption;
}

TEST(CaptionTest, NearMissesDoNotMatch) {
  std::string upperSite = kSite;
  for (char& c : upperSite) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  const std::string siteWithoutSlash = kSite.substr(0, kSite.size() - 1);
  const std::string notMatching[] = {
      "",
      "Tarvolin",  // the notice's own caption
      upperSite + " - Browser",
      siteWithoutSlash,
      siteWithoutSlash + " - Browser",
      "https://" + kSite.substr(7),  // another scheme is another address
      kViewer.substr(0, 12),          // cut inside the last syllable
      "\xC4\xED\xB5\xA8  B2B \xBA\xE4\xBE\xEE",  // two spaces
      "\xC4\xED\xB5\xA8 b2b \xBA\xE4\xBE\xEE",   // lower case
      "Document - Viewer",
  };
  for (const std::string& caption : notMatching) EXPECT_FALSE(CaptionHasServiceMarker(caption.c_str())) << caption;
}

// Real windows of this process, each with the caption, visibility and parent asked for.
class RealWindows : public ::testing::Test {
 protected:
  static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hWnd, message, wParam, lParam);
  }

  void SetUp() override {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "WatchProbe";
    RegisterClassA(&windowClass);
    // The test is only meaningful on a desktop without the service: nothing else may hold it open.
    ASSERT_FALSE(IsViewerPresent()) << "a window of the service is already open";
  }

  void TearDown() override {
    for (HWND window : m_windows) DestroyWindow(window);
    PumpMessages();
  }

  HWND Open(const std::string& caption, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, HWND parent = nullptr) {
    HWND window = CreateWindowExA(0, "WatchProbe", caption.c_str(), style, 20, 20, 300, 120, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(nullptr, window);
    PumpMessages();
    if (parent == nullptr) m_windows.push_back(window);
    return window;
  }

  std::vector<HWND> m_windows;
};

TEST_F(RealWindows, VisibleViewerOrSiteWindowKeepsTheServicePresent) {
  HWND viewer = Open("Orders - " + kViewer);
  EXPECT_FALSE(EnumViewerWindowsProc(viewer, 0));
  EXPECT_TRUE(IsViewerPresent());
  DestroyWindow(viewer);
  m_windows.clear();
  EXPECT_FALSE(IsViewerPresent());

  HWND browser = Open(kSite + "orders - Browser");
  EXPECT_FALSE(EnumViewerWindowsProc(browser, 0));
  EXPECT_TRUE(IsViewerPresent());
}

TEST_F(RealWindows, HiddenChildAndEmptyCaptionedWindowsNeverCount) {
  HWND hidden = Open(kViewer, WS_OVERLAPPEDWINDOW);
  EXPECT_TRUE(EnumViewerWindowsProc(hidden, 0));
  HWND parent = Open("", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  EXPECT_TRUE(EnumViewerWindowsProc(parent, 0));
  HWND child = Open(kSite, WS_CHILD | WS_VISIBLE | WS_CAPTION, parent);
  ASSERT_TRUE(IsWindowVisible(child));
  EXPECT_FALSE(IsViewerPresent()) << "a hidden or child window was taken for the service";

  // The same hidden window counts as soon as it is shown: the probe above could have failed.
  ShowWindow(hidden, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(IsViewerPresent());
}

TEST_F(RealWindows, MinimisedViewerStillCounts) {
  HWND viewer = Open(kViewer);
  ShowWindow(viewer, SW_MINIMIZE);
  PumpMessages();
  ASSERT_TRUE(IsIconic(viewer));
  EXPECT_TRUE(IsViewerPresent());
}

TEST_F(RealWindows, OnlyTheFirst254BytesOfACaptionAreSearched) {
  // A marker ending exactly at byte 254 is found; one byte further it is cut and not found.
  const std::string inside = std::string(254 - kViewer.size(), 'x') + kViewer;
  const std::string outside = std::string(255 - kViewer.size(), 'x') + kViewer;
  ASSERT_EQ(254u, inside.size());
  HWND insideWindow = Open(inside);
  HWND outsideWindow = Open(outside);
  ASSERT_EQ(outside, CaptionOf(outsideWindow)) << "the whole caption is there to be read";
  EXPECT_FALSE(EnumViewerWindowsProc(insideWindow, 0));
  EXPECT_TRUE(EnumViewerWindowsProc(outsideWindow, 0));

  const std::string siteOutside = std::string(255 - kSite.size(), 'y') + kSite;
  EXPECT_TRUE(EnumViewerWindowsProc(Open(siteOutside), 0));
  EXPECT_FALSE(EnumViewerWindowsProc(Open(std::string(254 - kSite.size(), 'y') + kSite), 0));
}

}  // namespace
