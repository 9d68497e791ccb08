// Long runs leave nothing behind: the real program holds no more GDI objects, windows, kernel handles
// or private memory after hundreds of paints and checks than before. The counts come from outside the
// process (see support/ProcessCounters.h); a test build that leaks on purpose shows that they can fail.
// The full 10,000-round run is tools/soak.sh.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <vector>

#include "NoticeBesideViewer.h"
#include "NoticeDriving.h"
#include "TestSupport.h"

using namespace tarvolin_test;

namespace {

constexpr int kRounds = 500;
constexpr int kWarmUpRounds = 100;
// Committed private memory moves in pages and heap chunks; a leak of even 200 bytes per round
// would exceed this over 500 rounds.
constexpr long long kPrivateBytesSlack = 64 * 1024;

void Print(const char* label, const ProcessCounts& counts) { printf("%-7s %s\n", label, DescribeCounts(counts).c_str()); }

// Objects of each kind, created and freed again.
struct ObjectSet {
  std::vector<HBITMAP> bitmaps;
  std::vector<HANDLE> events;
  std::vector<HWND> windows;
  void* block = nullptr;

  void Create(int count, SIZE_T blockSize) {
    for (int i = 0; i < count; ++i) {
      bitmaps.push_back(CreateBitmap(1, 1, 1, 32, nullptr));
      events.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
      windows.push_back(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    }
    block = VirtualAlloc(nullptr, blockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  void Free() {
    for (HBITMAP bitmap : bitmaps) DeleteObject(bitmap);
    for (HANDLE event : events) CloseHandle(event);
    for (HWND window : windows) DestroyWindow(window);
    VirtualFree(block, 0, MEM_RELEASE);
    PumpMessages();
  }
};

TEST(LeakCounts, FollowWhatThisProcessCreatesAndFrees) {
  constexpr SIZE_T kBlockSize = 1024 * 1024;
  // The first window of a thread sets up its queue and caches for good: not what is measured here.
  ObjectSet warmUp;
  warmUp.Create(20, kBlockSize);
  warmUp.Free();

  const ProcessCounts before = CountThisProcess();
  Print("before", before);
  ASSERT_GT(before.gdiObjects, 0) << "the GDI handle table was not found";
  ASSERT_GE(before.userObjects, 0);
  ASSERT_GT(before.kernelHandles, 0) << "the system's handle list could not be read";
  ASSERT_GT(before.privateBytes, 0);

  ObjectSet objects;
  objects.Create(20, kBlockSize);
  const ProcessCounts during = CountThisProcess();
  Print("during", during);
  // The counting itself runs in this process and may hold a few objects of its own: a little slack.
  EXPECT_NEAR(before.gdiObjects + 20, during.gdiObjects, 3);
  EXPECT_NEAR(before.userObjects + 20, during.userObjects, 3);
  EXPECT_NEAR(before.kernelHandles + 20, during.kernelHandles, 3);
  EXPECT_GE(during.privateBytes, before.privateBytes + static_cast<long long>(kBlockSize));

  objects.Free();
  const ProcessCounts after = CountThisProcess();
  Print("after", after);
  EXPECT_NEAR(before.gdiObjects, after.gdiObjects, 3);
  EXPECT_NEAR(before.userObjects, after.userObjects, 3);
  EXPECT_NEAR(before.kernelHandles, after.kernelHandles, 3);
  EXPECT_LE(after.privateBytes, during.privateBytes - static_cast<long long>(kBlockSize));
  // What the platform's own counters say here, for the record (under Wine: 0, 0 and 0).
  RecordProperty("GetGuiResources_gdi", static_cast<int>(after.guiResourcesGdi));
  RecordProperty("GetProcessHandleCount", static_cast<int>(after.processHandleCount));
  RecordProperty("PrivateUsage", static_cast<int>(after.privateUsage));
}

// A notice program with a stand-in viewer open, so that its checks keep it.
class LongRun : public ::testing::Test {
 protected:
  void Run(const char* program) {
    ASSERT_TRUE(m_both.Start(program)) << m_both.Missing();
    m_noticeWindow = m_both.notice.window;

    DriveNotice(m_noticeWindow, kWarmUpRounds, kWarmUpRounds);
    m_before = SettledCountsOfWindowOwner(m_noticeWindow);
    m_run = DriveNotice(m_noticeWindow, kRounds, kRounds);
    m_after = SettledCountsOfWindowOwner(m_noticeWindow);
    printf("%s: %d paints, %d checks, slowest catch-up %.1f ms\n", program, m_run.paints, m_run.checks,
           m_run.slowestCatchUpMs);
    Print("before", m_before);
    Print("after", m_after);
    ASSERT_TRUE(m_run.answered) << "the notice stopped handling its messages";
    ASSERT_EQ(kRounds, m_run.paints);
    ASSERT_EQ(kRounds, m_run.checks);
    ASSERT_GT(m_before.gdiObjects, 0);
    ASSERT_GT(m_before.kernelHandles, 0);
    ASSERT_GT(m_before.privateBytes, 0);
  }

  // The checks were real ones: with the viewer gone, one more check ends the notice at once, before it
  // paints again (its own timer's check could come only after that paint).
  void ExpectOneCheckEndsItWithoutTheViewer() {
    ASSERT_TRUE(m_both.viewer.Close()) << "the stand-in viewer's window did not go";
    ASSERT_TRUE(m_both.notice.process.IsRunning());
    PostWatchCheck(m_noticeWindow);
    EXPECT_FALSE(PaintAfterQueue(m_noticeWindow, kHangGuardMs)) << "a posted check did not run the watch";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(m_noticeWindow); }, kHangGuardMs))
        << "the notice's window did not go after the check";
    EXPECT_TRUE(m_both.notice.process.WaitForExit()) << "the notice's process did not end after its window went";
    EXPECT_TRUE(m_both.viewer.process.WaitForExit()) << "the stand-in viewer's process did not end";
  }

  NoticeBesideViewer m_both;
  HWND m_noticeWindow = nullptr;
  ProcessCounts m_before, m_after;
  SoakRun m_run;
};

TEST_F(LongRun, TheProgramHoldsNothingMoreAfterHundredsOfPaintsAndChecks) {
  Run("Tarvolin.exe");
  EXPECT_LE(m_after.gdiObjects, m_before.gdiObjects);
  EXPECT_LE(m_after.userObjects, m_before.userObjects);
  EXPECT_LE(m_after.kernelHandles, m_before.kernelHandles);
  EXPECT_LE(m_after.privateBytes, m_before.privateBytes + kPrivateBytesSlack);
  ExpectOneCheckEndsItWithoutTheViewer();
}

TEST_F(LongRun, ABuildThatLeaksOnPurposeIsSeenGrowingInEveryCount) {
  // It leaks a bitmap per paint and an event, a window and 16 KiB of heap per check.
  Run("leaky_notice.exe");
  // Every forced paint reached the window's paint handler (a paint may be followed by a queued one).
  EXPECT_GE(m_after.gdiObjects - m_before.gdiObjects, kRounds);
  EXPECT_GE(m_after.userObjects - m_before.userObjects, kRounds);
  EXPECT_GE(m_after.kernelHandles - m_before.kernelHandles, kRounds);
  EXPECT_GE(m_after.privateBytes - m_before.privateBytes, kRounds * 16LL * 1024);
  ExpectOneCheckEndsItWithoutTheViewer();
}

}  // namespace
