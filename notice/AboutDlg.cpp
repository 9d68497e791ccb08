#include "AboutDlg.h"

#include "Afx.h"
#include "resource.h"

// No handlers of its own: OK, Escape and the close button end it through the base dialog.
CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT) {}

const AFX_MSGMAP CAboutDlg::messageMap = {&CDialog::messageMap, nullptr, 0};
const AFX_MSGMAP* CAboutDlg::GetMessageMap() const { return &messageMap; }

void AddAboutMenuEntry(HWND hWnd) {
  HMENU menu = GetSystemMenu(hWnd, FALSE);
  if (menu == nullptr) return;
  char text[256];
  if (AfxLoadString(IDS_ABOUT_MENU, text, sizeof text) <= 0) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_ABOUT, text);
}

HMENU CreateAboutPopupMenu() {
  char text[256];
  if (AfxLoadString(IDS_ABOUT_MENU, text, sizeof text) <= 0) return nullptr;
  HMENU menu = CreatePopupMenu();
  if (menu != nullptr) AppendMenuA(menu, MF_STRING, IDM_ABOUT, text);
  return menu;
}
