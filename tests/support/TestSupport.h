// What the tests share: finding programs built beside them, running them, finding their windows,
// and waiting for something to happen while this thread's own windows keep working.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tarvolin_test {

// The longest a test waits for anything it expects: a window shown or gone, a process ended, a queue
// handled. Only a guard against a hang: every wait ends as soon as its event comes, and a test that
// reaches this ceiling says which event did not come.
constexpr DWORD kHangGuardMs = 60000;

// Full Windows path of a file in the folder of the running test program (the build folder).
std::string SiblingPath(const std::string& fileName);

// Full Windows path of the shipped program, Tarvolin.exe of the 32-bit build: the tests that read the
// program as a file read that one in a 64-bit build too (a 64-bit process loads a 32-bit image as data).
std::string ShippedProgramPath();

// Runs the thread's pending messages, so windows of this thread stay responsive while a test waits.
void PumpMessages();

// Waits until condition() holds, pumping messages; false after timeoutMs.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    PumpMessages();
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Milliseconds from a monotonic clock with better than tick resolution.
double NowMs();

// A program started by a test; ended by force if it is still running when the object goes.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts a program from the build folder with the given argument text (ANSI code page).
  bool Start(const std::string& exeName, const std::string& arguments = "");
  // Starts the program at exePath (a full path) in currentFolder with the given environment block
  // (null: this process's own).
  bool StartAt(const std::string& exePath, const std::string& arguments, const std::string& currentFolder,
               const char* environment);
  // True once the process has ended (waits at most timeoutMs).
  bool WaitForExit(DWORD timeoutMs = kHangGuardMs);
  bool IsRunning() const;
  DWORD ExitCode() const;
  DWORD Id() const { return m_info.dwProcessId; }
  HANDLE Handle() const { return m_info.hProcess; }

 private:
  PROCESS_INFORMATION m_info = {};
};

// Visible top-level windows of process pid whose caption is exactly `caption` (any caption if null).
std::vector<HWND> TopLevelWindowsOf(DWORD pid, const char* caption = nullptr);
// The first such window once there is one, or null after timeoutMs.
HWND WaitForWindowOf(DWORD pid, const char* caption, DWORD timeoutMs = kHangGuardMs);

// The window's outer rectangle in screen coordinates (empty if it has gone).
RECT WindowRect(HWND hWnd);

// Real input on the session's display, as a person gives it: runs the Linux side's xdotool with the
// arguments (e.g. "mousemove 10 20 click 3", "key shift+F10") and waits for it. False if it could not
// run or failed.
bool Xdotool(const std::string& arguments);

// The caption's bytes as GetWindowTextA returns them.
std::string CaptionOf(HWND hWnd);

// The viewer's caption in the ANSI code page, with some text before it as a real viewer shows it.
std::string ViewerCaption();

}  // namespace tarvolin_test
