#include "NoticeRules.h"

#include "resource.h"

RECT ComputeNoticeRect(int screenWidth, int screenHeight) {
  constexpr int kWidth = 242;
  constexpr int kHeight = 90;
  RECT rect;
  rect.left = screenWidth - kWidth;
  rect.top = screenHeight - 150;
  rect.right = rect.left + kWidth;
  rect.bottom = rect.top + kHeight;
  return rect;
}

bool FilterNoticeKey(const MSG& msg) {
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4) return true;
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN)) return true;
  return false;
}

bool IsAboutCommand(WPARAM command) { return (command & 0xFFF0) == IDM_ABOUT; }
