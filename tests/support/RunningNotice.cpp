#include "RunningNotice.h"

namespace tarvolin_test {

bool RunningNotice::Start(const std::string& program, const std::string& arguments) {
  if (!process.Start(program, arguments)) return false;
  window = WaitForWindowOf(process.Id(), "Tarvolin");
  shownAtMs = NowMs();
  return window != nullptr;
}

bool RunningNotice::Close() {
  PostMessageA(window, WM_CLOSE, 0, 0);
  return process.WaitForExit();
}

}  // namespace tarvolin_test
