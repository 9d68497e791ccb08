// A stand-in for other programs' windows, for the run command and the tests:
//   viewer_standin.exe [--hidden | --minimized | --dialog] caption words...
// Shows one top-level window whose caption is the rest of the command line (in the ANSI code page),
// until it is closed. --hidden creates it without showing it, --minimized shows it minimised.
// --dialog instead runs a plain dialog of the notice's template, without the notice's key filter,
// and exits with the dialog's result (IDOK 1, IDCANCEL 2).
#include <windows.h>

#include <string.h>

#include "Dialog.h"
#include "WinAppEx.h"
#include "resource.h"

namespace {

// Skips the program name and the blanks after it.
const char* SkipProgramName(const char* line) {
  if (*line == '"') {
    ++line;
    while (*line != '\0' && *line != '"') ++line;
    if (*line == '"') ++line;
  } else {
    while (*line != '\0' && *line != ' ' && *line != '\t') ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}

// Takes the option at the start of *line, if it is `option`.
bool TakeOption(const char** line, const char* option) {
  const size_t length = strlen(option);
  if (strncmp(*line, option, length) != 0 || ((*line)[length] != ' ' && (*line)[length] != '\0')) return false;
  *line += length;
  while (**line == ' ') ++*line;
  return true;
}

LRESULT CALLBACK StandInWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

int RunWindow(const char* caption, int show) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = StandInWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "TarvolinViewerStandIn";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, caption, WS_OVERLAPPEDWINDOW, 40, 40, 480, 280, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 3;
  if (show != SW_HIDE) ShowWindow(window, show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

class CStandInApp : public CWinAppEx {
 public:
  BOOL InitInstance() override {
    const char* line = SkipProgramName(GetCommandLineA());
    if (TakeOption(&line, "--dialog")) {
      CDialog dialog(IDD_NOTICE);
      m_pMainWnd = &dialog;
      m_nExitCode = static_cast<int>(dialog.DoModal());
      return FALSE;
    }
    int show = SW_SHOWNORMAL;
    if (TakeOption(&line, "--hidden")) show = SW_HIDE;
    else if (TakeOption(&line, "--minimized")) show = SW_SHOWMINIMIZED;
    m_nExitCode = RunWindow(line, show);
    return FALSE;
  }
  int ExitInstance() override { return m_nExitCode; }

 private:
  int m_nExitCode = 0;
};

CStandInApp theStandIn;

}  // namespace
