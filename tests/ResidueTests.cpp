// The program writes no files and no settings: full runs of the real program, ended by its watch and by
// close requests, leave the registry and the file system as they found them.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "NoticeBesideViewer.h"
#include "NoticeDriving.h"
#include "SystemSnapshot.h"
#include "TestSupport.h"
#include "resource.h"

using namespace tarvolin_test;

namespace {

// The settings root the program names (and stores nothing under).
const char kSettingsRoot[] = "Software\\로컬 응용 프로그램 마법사에서 생성된 응용 프로그램";
const char kAboutCaption[] = "Tarvolin 정보";

std::string CurrentFolder() {
  char path[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, path);
  return path;
}

std::string ProgramFolder() {
  const std::string path = SiblingPath("");
  return path.substr(0, path.size() - 1);
}

// The whole system drive, both views of the user's and the machine's software settings, the folder the
// program runs in (the test's own) and the folder it is started from.
SystemSnapshot TakeSnapshot() {
  SystemSnapshot snapshot;
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    snapshot.AddRegistryTree(HKEY_CURRENT_USER, "HKCU", "Software", view);
    snapshot.AddRegistryTree(HKEY_LOCAL_MACHINE, "HKLM", "Software", view);
  }
  snapshot.AddFolderTree("C:\\");
  snapshot.AddFolderTree(CurrentFolder());
  snapshot.AddFolderTree(ProgramFolder(), false);
  return snapshot;
}

// What changes between two snapshots whoever runs, and only that; found by comparing snapshots around
// a run of the stand-in viewer alone. Wine's window manager caches the session's colours and window
// metrics under this key the first time any program of the session draws a window; the key is
// volatile (it goes when the session's wineserver stops) and exists only under Wine.
std::vector<std::string> Bookkeeping() {
  return {
      "HKCU(32)\\Software\\Wine\\Temporary System Parameters\\",
      "HKCU(64)\\Software\\Wine\\Temporary System Parameters\\",
  };
}

bool SettingsRootExists() {
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsRoot, 0, KEY_READ | view, &key) == ERROR_SUCCESS) {
      RegCloseKey(key);
      return true;
    }
  }
  return false;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}

TEST(Residue, TheProbeSeesAFileAndASettingWrittenOnPurpose) {
  const SystemSnapshot before = TakeSnapshot();
  printf("snapshot: %u entries\n", static_cast<unsigned>(before.Size()));
  // What a program that kept settings and files would leave: a key under the settings root with a value,
  // a file deep in the system drive and one in the working folder.
  HKEY key = nullptr;
  const std::string settings = std::string(kSettingsRoot) + "\\Tarvolin";
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, settings.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                           &key, nullptr));
  const DWORD one = 1;
  RegSetValueExA(key, "ShowNotice", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(key);
  const std::string deepFile = "C:\\windows\\Tarvolin-residue-probe.ini";
  const std::string workFile = CurrentFolder() + "\\Tarvolin-residue-probe.log";
  for (const std::string& path : {deepFile, workFile}) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    CloseHandle(file);
  }
  const bool rootSeen = SettingsRootExists();
  const std::vector<std::string> changes = before.ChangesIn(TakeSnapshot(), Bookkeeping());
  DeleteFileA(deepFile.c_str());
  DeleteFileA(workFile.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, settings.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
  ASSERT_FALSE(SettingsRootExists());

  EXPECT_TRUE(rootSeen);
  printf("changes seen:\n%s", Lines(changes).c_str());
  auto seen = [&](const std::string& text) {
    for (const std::string& change : changes)
      if (change.find(text) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(seen("new: HKCU(32)\\" + settings + "\\:ShowNotice"));
  EXPECT_TRUE(seen("new: HKCU(64)\\" + settings + "\\"));
  EXPECT_TRUE(seen("new: " + deepFile));
  EXPECT_TRUE(seen("new: " + workFile));
}

TEST(Residue, FullRunsLeaveNoSettingAndNoFile) {
  ASSERT_FALSE(SettingsRootExists()) << "left over from an earlier run: remove HKCU\\" << kSettingsRoot;
  const SystemSnapshot before = TakeSnapshot();

  // Ended by the watch: the viewer goes, and the notice with it at the next check.
  {
    NoticeBesideViewer both;
    ASSERT_TRUE(both.Start()) << both.Missing();
    ChildProcess& notice = both.notice.process;
    // The About box once, shown and closed as a user would.
    PostMessageA(both.notice.window, WM_SYSCOMMAND, IDM_ABOUT, 0);
    HWND about = WaitForWindowOf(notice.Id(), kAboutCaption);
    ASSERT_NE(nullptr, about) << "the About command opened no About box";
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kHangGuardMs)) << "OK did not end the About box";
    ASSERT_TRUE(both.viewer.Close()) << "the stand-in viewer's window did not go";
    ASSERT_TRUE(both.viewer.process.WaitForExit()) << "the stand-in viewer did not end";
    ASSERT_TRUE(PostWatchCheck(both.notice.window));
    ASSERT_TRUE(notice.WaitForExit()) << "the watch did not end the notice";
    EXPECT_EQ(0u, notice.ExitCode());
  }
  // Ended by close requests while the viewer is open: the window's close message and the window-menu
  // close command.
  {
    StandInViewer viewer;
    ASSERT_TRUE(viewer.Open()) << "the stand-in viewer's window did not show";
    const struct {
      UINT message;
      WPARAM wParam;
    } requests[] = {{WM_CLOSE, 0}, {WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto& request : requests) {
      RunningNotice notice;
      ASSERT_TRUE(notice.Start()) << "the notice did not show";
      // At least one check with the viewer open.
      ASSERT_TRUE(PostWatchCheck(notice.window));
      ASSERT_TRUE(PaintAfterQueue(notice.window, kHangGuardMs)) << "the check with the viewer open ended the notice";
      PostMessageA(notice.window, request.message, request.wParam, 0);
      ASSERT_TRUE(notice.process.WaitForExit()) << "close request " << request.message << " did not end it";
      EXPECT_EQ(0u, notice.process.ExitCode());
    }
    ASSERT_TRUE(viewer.Close()) << "the stand-in viewer's window did not go";
    ASSERT_TRUE(viewer.process.WaitForExit()) << "the stand-in viewer did not end";
  }

  const std::vector<std::string> changes = before.ChangesIn(TakeSnapshot(), Bookkeeping());
  EXPECT_FALSE(SettingsRootExists());
  EXPECT_TRUE(changes.empty()) << "the runs left:\n" << Lines(changes);
}

}  // namespace
