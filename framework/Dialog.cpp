#include "Dialog.h"

#include "Afx.h"
#include "WinApp.h"

namespace {

// Messages whose dialog-procedure result is the message's own result; for all others the result
// goes through DWLP_MSGRESULT and the procedure returns TRUE.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

// The innermost modal run; each run keeps the one it runs inside of. All our dialogs run on the
// program's one thread.
CDialog* innermostModal = nullptr;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

const AFX_MSGMAP_ENTRY CDialog::messageEntries[] = {
    {WM_COMMAND, IDOK, HandlerOf(&CDialog::OnCommandOK)},
    {WM_COMMAND, IDCANCEL, HandlerOf(&CDialog::OnCommandCancel)},
};
const AFX_MSGMAP CDialog::messageMap = {&CCmdTarget::messageMap, messageEntries, CountOf(messageEntries)};
const AFX_MSGMAP* CDialog::GetMessageMap() const { return &messageMap; }

CDialog::CDialog(UINT nIDTemplate, CDialog* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

HWND CDialog::FindOwner() const {
  HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
  if (owner == nullptr) {
    CWinApp* app = AfxGetApp();
    CDialog* main = app != nullptr ? app->m_pMainWnd : nullptr;
    if (main != nullptr && main != this) owner = main->m_hWnd;
  }
  return owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
}

INT_PTR CDialog::DoModal() {
  HINSTANCE resources = AfxGetResourceHandle();
  HRSRC found = FindResourceA(resources, MAKEINTRESOURCEA(m_nIDTemplate), RT_DIALOG);
  HGLOBAL loaded = found != nullptr ? LoadResource(resources, found) : nullptr;
  auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
  if (dialogTemplate == nullptr) return -1;

  m_bEnded = false;
  m_nModalResult = -1;
  const HWND owner = FindOwner();
  HWND hWnd = CreateDialogIndirectParamA(resources, dialogTemplate, owner, DialogProc, reinterpret_cast<LPARAM>(this));
  if (hWnd == nullptr) return -1;

  // A modal dialog disables its owner for as long as it runs.
  if (owner != nullptr && IsWindowEnabled(owner) && !EnableWindow(owner, FALSE)) m_hDisabledOwner = owner;
  if (!m_bEnded) {
    if (!IsWindowVisible(hWnd)) ShowWindow(hWnd, SW_SHOWNORMAL);
    m_pOuterModal = innermostModal;
    innermostModal = this;
    m_bRunning = true;
    RunModalLoop();
    m_bRunning = false;
    innermostModal = m_pOuterModal;
    m_pOuterModal = nullptr;
  }
  // A run left without EndDialog (the thread was asked to quit) still gives the owner back.
  EnableOwner();
  DestroyWindow(hWnd);
  return m_nModalResult;
}

void CDialog::RunModalLoop() {
  MSG msg;
  while (!m_bEnded) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // Someone asked the thread to quit: leave the modal run, and leave the quit for the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!PreTranslateMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

void CDialog::EndDialog(int nResult) {
  if (m_bRunning) {
    // The runs inside this one end first, innermost first, so that each gives its owner back in turn.
    for (CDialog* inner = innermostModal; inner != nullptr && inner != this; inner = inner->m_pOuterModal)
      inner->Finish(IDCANCEL);
    // A menu tracked from inside this run (a context menu) has a loop of its own: end it too.
    EndMenu();
  }
  Finish(nResult);
}

void CDialog::Finish(int nResult) {
  m_nModalResult = nResult;
  m_bEnded = true;
  if (m_hWnd == nullptr) return;
  // Input and activation go back to the owner before the window hides, so they do not pass to some
  // other application's window.
  const bool wasActive = GetActiveWindow() == m_hWnd;
  const HWND owner = GetWindow(m_hWnd, GW_OWNER);
  EnableOwner();
  if (wasActive && owner != nullptr) SetActiveWindow(owner);
  SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Wakes the modal loop in case the queue is empty, or the end came in a message sent from elsewhere.
  PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

void CDialog::EnableOwner() {
  if (m_hDisabledOwner != nullptr) EnableWindow(m_hDisabledOwner, TRUE);
  m_hDisabledOwner = nullptr;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  if (m_hWnd == nullptr) return FALSE;
  if (pMsg->hwnd != m_hWnd && !IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
  return IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::OnCommandOK(WPARAM, LPARAM) {
  OnOK();
  return 0;
}

LRESULT CDialog::OnCommandCancel(WPARAM, LPARAM) {
  OnCancel();
  return 0;
}

LRESULT CDialog::Default() {
  if (m_pDefaultRequested != nullptr) *m_pDefaultRequested = true;
  return 0;
}

// Centres the dialog over its owner (or the work area when it has none or the owner is not on
// screen), then moves it as little as needed to keep it inside the work area of the owner's monitor:
// a dialog a person must read and click must be wholly on a screen and not under the taskbar.
void CDialog::CenterOverOwner() {
  const HWND owner = GetWindow(m_hWnd, GW_OWNER);
  const HMONITOR monitor = MonitorFromWindow(owner != nullptr ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return;
  const RECT work = info.rcWork;

  RECT center = work;
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &center);
  RECT self;
  GetWindowRect(m_hWnd, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  int left = (center.left + center.right) / 2 - width / 2;
  int top = (center.top + center.bottom) / 2 - height / 2;

  if (left + width > work.right) left = work.right - width;
  if (left < work.left) left = work.left;
  if (top + height > work.bottom) top = work.bottom - height;
  if (top < work.top) top = work.top;
  SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
    dialog->m_hWnd = hWnd;
    RECT before;
    GetWindowRect(hWnd, &before);
    const BOOL result = dialog->OnInitDialog();
    // A dialog that did not place itself during its initialisation is centred over its owner.
    RECT after;
    GetWindowRect(hWnd, &after);
    if (SameRect(before, after)) dialog->CenterOverOwner();
    return result;
  }
  // Messages that arrive before WM_INITDIALOG (WM_SETFONT, for one) find no object yet.
  auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hWnd, DWLP_USER, 0);
    dialog->m_hWnd = nullptr;
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == dialog) app->m_pMainWnd = nullptr;
    return FALSE;
  }
  return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  bool defaultRequested = false;
  bool* const outer = m_pDefaultRequested;
  m_pDefaultRequested = &defaultRequested;
  LRESULT result = 0;
  bool handled = OnWndMsg(message, wParam, lParam, &result);
  // Commands the dialog does not handle go on to the application's table (the Help command).
  if (!handled && message == WM_COMMAND && AfxGetApp() != nullptr)
    handled = AfxGetApp()->OnWndMsg(message, wParam, lParam, &result);
  m_pDefaultRequested = outer;

  // Returning FALSE from a dialog procedure hands the message to the dialog manager's default processing.
  if (!handled || defaultRequested) return FALSE;
  if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
  if (m_hWnd != nullptr) SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}
