// A dialog window made from a template in the resources and run modally by its own message loop.
#pragma once

#include "CmdTarget.h"

class CDialog : public CCmdTarget {
 public:
  // nIDTemplate: the dialog template's resource id. pParentWnd: the owner; null means the
  // application's main window (unless that is this dialog), or none.
  explicit CDialog(UINT nIDTemplate, CDialog* pParentWnd = nullptr);
  ~CDialog() override;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Creates the window, disables the owner, runs the modal loop until EndDialog, re-enables the owner
  // and destroys the window. Returns the value given to EndDialog, or -1 if the window could not be
  // created (for instance, the template is missing) or the thread was asked to quit: the run then
  // ends and leaves WM_QUIT on the thread for the loop outside it.
  INT_PTR DoModal();
  // Ends the modal run with nResult once the current message has been handled, and hides the window
  // at once. Whatever runs modally inside this dialog's run ends with it: the dialogs it opened (with
  // IDCANCEL) and a menu being tracked.
  void EndDialog(int nResult);

  // Offered every message of the modal loop before it is dispatched; TRUE means it was handled here
  // and is not dispatched. The base hands the dialog's own messages to the dialog manager
  // (keyboard navigation, Enter as OK, Escape as Cancel).
  virtual BOOL PreTranslateMessage(MSG* pMsg);

  HWND m_hWnd = nullptr;

 protected:
  // Called while the window handles WM_INITDIALOG. The base has nothing to set up.
  // Returns TRUE to let the dialog manager set the focus.
  virtual BOOL OnInitDialog();
  // Called for the OK and Cancel commands: end the dialog with IDOK or IDCANCEL. None of our dialogs
  // has controls, so there is no data to exchange before ending.
  virtual void OnOK();
  virtual void OnCancel();

  // From inside a message handler: asks for the default processing of the message being handled,
  // after the handler returns. Returns the value the handler should return.
  LRESULT Default();

  LRESULT OnCommandOK(WPARAM wParam, LPARAM lParam);
  LRESULT OnCommandCancel(WPARAM wParam, LPARAM lParam);

  const AFX_MSGMAP* GetMessageMap() const override;
  static const AFX_MSGMAP_ENTRY messageEntries[];
  static const AFX_MSGMAP messageMap;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  HWND FindOwner() const;
  void CenterOverOwner();
  void RunModalLoop();
  // Marks the run ended with nResult, gives the owner back its input and activation, and hides the window.
  void Finish(int nResult);
  void EnableOwner();

  UINT m_nIDTemplate;
  CDialog* m_pParentWnd;
  bool m_bEnded = false;
  INT_PTR m_nModalResult = -1;
  // The owner this dialog disabled for its run, until it is enabled again.
  HWND m_hDisabledOwner = nullptr;
  // The modal run this one runs inside of (this thread's runs form a stack), while running.
  CDialog* m_pOuterModal = nullptr;
  bool m_bRunning = false;
  // Set by Default() for the message being handled (a pointer, since handlers can nest).
  bool* m_pDefaultRequested = nullptr;
};
