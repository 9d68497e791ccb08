// The application object: one global instance, found and run by the entry point.
#pragma once

#include "CmdTarget.h"

class CDialog;

class CWinApp : public CCmdTarget {
 public:
  CWinApp();
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Called once at start-up, and runs the whole program (modally). There is no message loop after
  // it, so exit processing follows whatever it returns; ours all return FALSE.
  virtual BOOL InitInstance();
  // Called at exit; its result becomes the process's exit status (0).
  virtual int ExitInstance();

  // Names the registry key under which settings would be kept. The program keeps no settings:
  // the name is not kept, and nothing is read or written under it.
  void SetRegistryKey(LPCSTR pszRegistryKey);

  // The Help command (ID_HELP). There is no help content: the command is accepted and shows nothing.
  LRESULT OnHelp(WPARAM wParam, LPARAM lParam);

  // The window the application runs; cleared when that window is destroyed.
  CDialog* m_pMainWnd = nullptr;

 protected:
  const AFX_MSGMAP* GetMessageMap() const override;
  static const AFX_MSGMAP_ENTRY messageEntries[];
  static const AFX_MSGMAP messageMap;
};

// The framework's Help command identifier.
constexpr UINT ID_HELP = 0xE146;
