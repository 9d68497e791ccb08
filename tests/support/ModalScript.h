// Runs a dialog modally while a script acts on it from inside its own message loop. The steps run in
// order on the dialog's thread, each one as soon as the thread's queue holds nothing else (all that the
// steps before it set off has been handled) and the dialog has painted: a step that posts a command
// opening a nested modal run (an About box) finds that run's window shown when the next step comes. No
// step waits for a clock. A guard ends the dialog with kGuardResult if it is still running at guardMs,
// so a test never hangs.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "Dialog.h"
#include "TestSupport.h"

namespace tarvolin_test {

constexpr INT_PTR kGuardResult = -2;

struct ScriptStep {
  std::function<void(HWND dialog)> action;
};

struct ModalRun {
  INT_PTR result;
  double endedAtMs;  // since DoModal started
};

ModalRun RunModalScript(CDialog& dialog, std::vector<ScriptStep> steps, DWORD guardMs = kHangGuardMs);

}  // namespace tarvolin_test
