// A program that shows a window captioned like the notice, started as a person starts it: the program
// itself, a test build of it, or the stand-in's plain dialog of the notice's template.
#pragma once

#include <windows.h>

#include <string>

#include "TestSupport.h"

namespace tarvolin_test {

struct RunningNotice {
  // Starts the program from the build folder and waits until its window shows; false if it does not.
  bool Start(const std::string& program = "Tarvolin.exe", const std::string& arguments = "");
  // Asks the window to close as a person would (WM_CLOSE) and waits until the program has ended; false
  // if it does not end.
  bool Close();

  ChildProcess process;
  HWND window = nullptr;
  double shownAtMs = 0;  // when the window was first seen (NowMs)
};

}  // namespace tarvolin_test
