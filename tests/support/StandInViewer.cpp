#include "StandInViewer.h"

#include <string>

namespace tarvolin_test {

bool StandInViewer::Open() {
  const std::string caption = ViewerCaption();
  if (process.Start("viewer_standin.exe", caption)) window = WaitForWindowOf(process.Id(), caption.c_str());
  return window != nullptr;
}

bool StandInViewer::Close() {
  SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, kHangGuardMs, nullptr);
  return !IsWindow(window);
}

}  // namespace tarvolin_test
