// The stand-in for the service's viewer (viewer_standin.exe) in a process of its own: one window
// captioned like the viewer, open as a person has it open.
#pragma once

#include <windows.h>

#include "TestSupport.h"

namespace tarvolin_test {

struct StandInViewer {
  // Starts it and waits until its window shows; false if it does not.
  bool Open();
  // Closes the window as a person would; true once it is gone. The message is sent, not posted, so
  // that is on return; the process then ends by itself.
  bool Close();

  ChildProcess process;
  HWND window = nullptr;
};

}  // namespace tarvolin_test
