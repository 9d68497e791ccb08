#include "TarvolinApp.h"

#include "Afx.h"
#include "TarvolinDlg.h"

const AFX_MSGMAP_ENTRY CTarvolinApp::messageEntries[] = {
    {WM_COMMAND, ID_HELP, HandlerOf(&CWinApp::OnHelp)},
};
const AFX_MSGMAP CTarvolinApp::messageMap = {&CWinAppEx::messageMap, messageEntries, CountOf(messageEntries)};
const AFX_MSGMAP* CTarvolinApp::GetMessageMap() const { return &messageMap; }

CTarvolinApp::CTarvolinApp() : CWinAppEx(TRUE) {}

BOOL CTarvolinApp::InitInstance() {
  INITCOMMONCONTROLSEX controls;
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_WIN95_CLASSES;
  InitSystemCommonControls(&controls);

  CWinAppEx::InitInstance();
  AfxEnableControlContainer();
  SetRegistryKey("로컬 응용 프로그램 마법사에서 생성된 응용 프로그램");

  CTarvolinDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  return FALSE;
}

CTarvolinApp theApp;
