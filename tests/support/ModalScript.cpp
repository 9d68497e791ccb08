#include "ModalScript.h"

#include "TestSupport.h"

namespace tarvolin_test {

namespace {

constexpr UINT kNextStep = WM_APP + 1;
constexpr UINT_PTR kGuardTimer = 1;

struct ActiveScript {
  CDialog* dialog;
  std::vector<ScriptStep> steps;
  size_t next;
};

LRESULT CALLBACK ScriptWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* script = reinterpret_cast<ActiveScript*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  if (script == nullptr) return DefWindowProcA(hWnd, message, wParam, lParam);
  HWND dialog = script->dialog->m_hWnd;
  if (message == kNextStep) {
    if (dialog == nullptr || script->next >= script->steps.size()) return 0;
    // Something the last step set off is still queued (a message posting another, as a close request
    // does): go to the back of the queue again. Input is left out: posted messages come before it, so
    // waiting for it here would never end.
    if (HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0) {
      PostMessageA(hWnd, kNextStep, 0, 0);
      return 0;
    }
    UpdateWindow(dialog);
    // Steps may pump messages of their own; take the step before running it.
    ScriptStep& step = script->steps[script->next++];
    step.action(dialog);
    // Posted after whatever the step posted, so it comes once all of that has been handled.
    if (script->next < script->steps.size()) PostMessageA(hWnd, kNextStep, 0, 0);
    return 0;
  }
  if (message == WM_TIMER && wParam == kGuardTimer) {
    KillTimer(hWnd, kGuardTimer);
    if (dialog != nullptr) script->dialog->EndDialog(static_cast<int>(kGuardResult));
    return 0;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

ModalRun RunModalScript(CDialog& dialog, std::vector<ScriptStep> steps, DWORD guardMs) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ScriptWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TarvolinModalScript";
  RegisterClassA(&windowClass);  // fails harmlessly when already registered
  ActiveScript script{&dialog, std::move(steps), 0};
  HWND scriptWindow = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
  SetWindowLongPtrA(scriptWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&script));
  SetTimer(scriptWindow, kGuardTimer, guardMs, nullptr);
  PostMessageA(scriptWindow, kNextStep, 0, 0);
  const double start = NowMs();
  const INT_PTR result = dialog.DoModal();
  const double ended = NowMs() - start;
  DestroyWindow(scriptWindow);
  // A step still posted for the window just destroyed goes nowhere.
  return ModalRun{result, ended};
}

}  // namespace tarvolin_test
