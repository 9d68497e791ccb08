// The About box (icon, product name and version, OK) and the menu entries that open it.
#pragma once

#include "Dialog.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

 protected:
  // Its own table is empty: every message gets the base dialog's handling.
  const AFX_MSGMAP* GetMessageMap() const override;
  static const AFX_MSGMAP messageMap;
};

// Appends a separator and the About entry (IDM_ABOUT, text of string IDS_ABOUT_MENU) to the window's
// own window menu. Adds nothing when the window has no window menu or the string is missing or empty.
void AddAboutMenuEntry(HWND hWnd);

// A popup menu holding only the About entry (IDM_ABOUT, text of string IDS_ABOUT_MENU), for windows
// without a window menu. Null when the string is missing or empty. The caller destroys it.
HMENU CreateAboutPopupMenu();
