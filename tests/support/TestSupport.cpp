#include "TestSupport.h"

#include "PresenceWatch.h"

namespace tarvolin_test {

std::string SiblingPath(const std::string& fileName) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  const size_t slash = folder.find_last_of("\\/");
  folder.resize(slash == std::string::npos ? 0 : slash + 1);
  return folder + fileName;
}

std::string ShippedProgramPath() {
#ifdef TARVOLIN_SHIPPED_PROGRAM
  return "Z:" TARVOLIN_SHIPPED_PROGRAM;  // Wine's drive Z: is the Unix root
#else
  return SiblingPath("Tarvolin.exe");
#endif
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

double NowMs() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

ChildProcess::~ChildProcess() {
  if (m_info.hProcess != nullptr) {
    if (IsRunning()) {
      TerminateProcess(m_info.hProcess, 99);
      WaitForSingleObject(m_info.hProcess, 5000);
    }
    CloseHandle(m_info.hProcess);
    CloseHandle(m_info.hThread);
  }
}

bool ChildProcess::Start(const std::string& exeName, const std::string& arguments) {
  return StartAt(SiblingPath(exeName), arguments, "", nullptr);
}

bool ChildProcess::StartAt(const std::string& exePath, const std::string& arguments, const std::string& currentFolder,
                           const char* environment) {
  std::string commandLine = "\"" + exePath + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                        const_cast<char*>(environment), currentFolder.empty() ? nullptr : currentFolder.c_str(),
                        &startup, &m_info) != FALSE;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
  return m_info.hProcess != nullptr && WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::IsRunning() const {
  return m_info.hProcess != nullptr && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(m_info.hProcess, &code);
  return code;
}

namespace {
struct WindowSearch {
  DWORD pid;
  const char* caption;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hWnd, &pid);
  if (pid != search->pid || !IsWindowVisible(hWnd)) return TRUE;
  if (search->caption == nullptr || CaptionOf(hWnd) == search->caption) search->found.push_back(hWnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD pid, const char* caption) {
  WindowSearch search{pid, caption, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindowOf(DWORD pid, const char* caption, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> windows = TopLevelWindowsOf(pid, caption);
        window = windows.empty() ? nullptr : windows.front();
        return window != nullptr;
      },
      timeoutMs);
  return window;
}

RECT WindowRect(HWND hWnd) {
  RECT rect = {};
  GetWindowRect(hWnd, &rect);
  return rect;
}

bool Xdotool(const std::string& arguments) {
  // Wine runs a Unix program named by its path on the Unix root drive, but hands back no process to
  // wait on: a shell runs xdotool and leaves its exit status in a file, moved into place when written.
  static int calls = 0;
  const std::string status =
      "/tmp/tarvolin-xdotool-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++calls);
  std::string commandLine = "\"Z:\\bin\\sh\" -c \"/usr/bin/xdotool " + arguments + "; echo $? >" + status +
                            ".part && mv " + status + ".part " + status + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return false;
  if (info.hProcess != nullptr) CloseHandle(info.hProcess);
  if (info.hThread != nullptr) CloseHandle(info.hThread);

  std::string windowsPath = "Z:" + status;
  for (char& c : windowsPath)
    if (c == '/') c = '\\';
  char code[16] = "";
  const bool finished = WaitUntil(
      [&] {
        HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD read = 0;
        ReadFile(file, code, sizeof code - 1, &read, nullptr);
        CloseHandle(file);
        return true;
      },
      kHangGuardMs);
  DeleteFileA(windowsPath.c_str());
  return finished && code[0] == '0' && (code[1] == '\n' || code[1] == '\0');
}

std::string CaptionOf(HWND hWnd) {
  char text[1024] = "";
  GetWindowTextA(hWnd, text, sizeof text);
  return text;
}

std::string ViewerCaption() { return std::string("Document 7 - ") + kViewerMarker; }

}  // namespace tarvolin_test
