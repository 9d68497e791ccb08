// A visible window of this process captioned like the viewer: while it lives the service is in use, so
// the watch of a notice run in this process leaves it open.
#pragma once

#include <windows.h>

namespace tarvolin_test {

class ViewerWindow {
 public:
  ViewerWindow();
  ~ViewerWindow();
  ViewerWindow(const ViewerWindow&) = delete;
  ViewerWindow& operator=(const ViewerWindow&) = delete;

 private:
  HWND m_hWnd;
};

}  // namespace tarvolin_test
