// Runs a dialog modally while a script acts on it from inside its own message loop: each step runs
// at its time (milliseconds after DoModal started) on the dialog's thread. A guard ends the dialog
// with kGuardResult if it is still running at guardMs, so a test never hangs.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "Dialog.h"

namespace tarvolin_test {

constexpr INT_PTR kGuardResult = -2;

struct ScriptStep {
  DWORD atMs;
  std::function<void(HWND dialog)> action;
};

struct ModalRun {
  INT_PTR result;
  double endedAtMs;  // since DoModal started
};

ModalRun RunModalScript(CDialog& dialog, std::vector<ScriptStep> steps, DWORD guardMs);

}  // namespace tarvolin_test
