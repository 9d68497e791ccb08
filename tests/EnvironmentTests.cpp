// The world every test runs in: the Korean ANSI code page and a screen of the size asked for.
// If these are wrong, every caption and placement test below would be meaningless.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include <string>

#include "TestSupport.h"

using namespace tarvolin_test;

namespace {


BOOL CALLBACK FindWindowByHandle(HWND hWnd, LPARAM lParam) {
  auto* wanted = reinterpret_cast<HWND*>(lParam);
  if (hWnd != *wanted) return TRUE;
  *wanted = nullptr;  // found: tells the caller
  return FALSE;
}

}  // namespace

TEST(Environment, AnsiCodePageIsKorean) { EXPECT_EQ(949u, GetACP()); }

TEST(Environment, KoreanCaptionReadsBackAsCodePage949Bytes) {
  // The caption is set from UTF-16, so the bytes read back are the code page's own conversion.
  const wchar_t caption[] = L"\xCFE0\xB378 B2B \xBDF0\xC5B4";  // 쿠델 B2B 뷰어
  const char expected[] = "\xC4\xED\xB5\xA8 B2B \xBA\xE4\xBE\xEE";
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"EnvironmentProbe";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                100, nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(nullptr, window);

  HWND search = window;
  EnumWindows(FindWindowByHandle, reinterpret_cast<LPARAM>(&search));
  EXPECT_EQ(nullptr, search) << "EnumWindows did not visit the new top-level window";

  char text[256] = "";
  const int length = GetWindowTextA(window, text, 255);
  EXPECT_EQ(13, length);
  EXPECT_EQ(std::string(expected), std::string(text));
  DestroyWindow(window);
}

TEST(Environment, ScreenHasTheRequestedSize) {
  const char* requested = getenv("TARVOLIN_SCREEN");
  const std::string size = requested != nullptr && *requested != '\0' ? requested : "1024x768";
  const std::string actual =
      std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(size, actual);
}
