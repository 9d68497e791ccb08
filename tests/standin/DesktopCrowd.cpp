// Another process that makes the desktop hostile for the presence watch, for the tests:
//   desktop_crowd.exe [--many N] [--churn] [--hung] caption...
// Opens one visible top-level window per caption argument (in that order, so the first lies lowest),
// then N plain visible windows, then a window captioned "desktop crowd ready" as its signal to the test.
// A caption argument is written as pieces joined by '+': a piece of digits ending in 'x' stands for that
// many 'x' bytes, any other piece is bytes in hexadecimal ("300x+c4edb5a8" is 300 'x' and two bytes of
// Hangul), so that broken double-byte sequences and 64 KiB captions can be passed on a command line.
// Then, until it is ended:
//   default   handles its messages;
//   --churn   keeps creating, renaming and destroying visible windows as fast as it can;
//   --hung    stops handling messages for good (its windows stay visible, their thread sleeps).
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char kClassName[] = "TarvolinDesktopCrowd";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string DecodeCaption(const std::string& encoded) {
  std::string caption;
  size_t start = 0;
  while (start <= encoded.size()) {
    size_t end = encoded.find('+', start);
    if (end == std::string::npos) end = encoded.size();
    const std::string piece = encoded.substr(start, end - start);
    if (!piece.empty() && piece.back() == 'x') {
      caption.append(static_cast<size_t>(atoi(piece.c_str())), 'x');
    } else {
      for (size_t i = 0; i + 1 < piece.size(); i += 2) {
        const int high = HexDigit(piece[i]), low = HexDigit(piece[i + 1]);
        if (high >= 0 && low >= 0) caption += static_cast<char>(high * 16 + low);
      }
    }
    start = end + 1;
  }
  return caption;
}

// Small and off the screen: visible all the same, but cheaper to show by the thousand.
HWND Open(const std::string& caption) {
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, -100, -100, 8, 8, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  // Set afterwards: a caption passed at creation is dropped from 32767 characters on (under Wine),
  // while WM_SETTEXT takes 64 KiB and more.
  SetWindowTextA(window, caption.c_str());
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

bool PumpUntilQuit() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    DispatchMessageA(&msg);
  }
  return true;
}

void Churn() {
  std::vector<HWND> slots(64, nullptr);
  unsigned random = GetCurrentProcessId();
  for (unsigned round = 0;; ++round) {
    random = random * 1103515245u + 12345u;
    HWND& slot = slots[(random >> 16) % slots.size()];
    const std::string caption = "Churning window " + std::to_string(round);
    if (slot == nullptr) slot = Open(caption);
    else if ((random >> 8) % 3 != 0) SetWindowTextA(slot, (caption + " renamed").c_str());
    else {
      DestroyWindow(slot);
      slot = nullptr;
    }
    if (!PumpUntilQuit()) return;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);

  int many = 0;
  bool churn = false, hung = false;
  for (int i = 1; i < __argc; ++i) {
    const char* arg = __argv[i];
    if (strcmp(arg, "--many") == 0 && i + 1 < __argc) many = atoi(__argv[++i]);
    else if (strcmp(arg, "--churn") == 0) churn = true;
    else if (strcmp(arg, "--hung") == 0) hung = true;
    else Open(DecodeCaption(arg));
  }
  for (int i = 0; i < many; ++i) Open("Crowd window " + std::to_string(i));
  Open("desktop crowd ready");

  if (hung) Sleep(INFINITE);
  if (churn) Churn();
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
