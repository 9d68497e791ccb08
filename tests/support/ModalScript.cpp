#include "ModalScript.h"

#include "TestSupport.h"

namespace tarvolin_test {

namespace {

struct ActiveScript {
  CDialog* dialog;
  std::vector<ScriptStep> steps;
  size_t next;
  double startMs;
  DWORD guardMs;
};
ActiveScript* g_script = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  ActiveScript* script = g_script;
  if (script == nullptr || script->dialog->m_hWnd == nullptr) return;
  const double elapsed = NowMs() - script->startMs;
  while (script->next < script->steps.size() && elapsed >= script->steps[script->next].atMs) {
    // Steps may pump messages of their own; take the step before running it.
    ScriptStep& step = script->steps[script->next++];
    step.action(script->dialog->m_hWnd);
    if (script->dialog->m_hWnd == nullptr) return;
  }
  if (elapsed >= script->guardMs) script->dialog->EndDialog(static_cast<int>(kGuardResult));
}

}  // namespace

ModalRun RunModalScript(CDialog& dialog, std::vector<ScriptStep> steps, DWORD guardMs) {
  ActiveScript script{&dialog, std::move(steps), 0, NowMs(), guardMs};
  g_script = &script;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, ScriptTick);
  const INT_PTR result = dialog.DoModal();
  const double ended = NowMs() - script.startMs;
  KillTimer(nullptr, timer);
  g_script = nullptr;
  return ModalRun{result, ended};
}

}  // namespace tarvolin_test
