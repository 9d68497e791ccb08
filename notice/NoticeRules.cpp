#include "NoticeRules.h"

#include "resource.h"

RECT ComputeNoticeRect(int screenWidth, int screenHeight) {
  RECT rect;
  rect.right = screenWidth;
  rect.bottom = screenHeight - kNoticeBottomMargin;
  rect.left = rect.right - kNoticeWidth;
  rect.top = rect.bottom - kNoticeHeight;
  return rect;
}

bool FilterNoticeKey(const MSG& msg) {
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4) return true;
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN)) return true;
  return false;
}

bool IsAboutCommand(WPARAM command) { return (command & 0xFFF0) == IDM_ABOUT; }
