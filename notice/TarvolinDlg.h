// The usage notice: a small captioned window at the bottom right of the screen that shows the banner
// and stays until the presence watch finds the service no longer in use.
#pragma once

#include "Dialog.h"

class CTarvolinDlg : public CDialog {
 public:
  CTarvolinDlg();

  // Swallows Alt+F4, Escape and Enter, so the keyboard cannot dismiss the notice.
  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  BOOL OnInitDialog() override;

  LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
  LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
  LRESULT OnClose(WPARAM wParam, LPARAM lParam);
  LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcRButtonUp(WPARAM wParam, LPARAM lParam);

  // The notice has no window menu, so its About entry lives in a context menu, opened at `at`
  // (screen coordinates) and destroyed again once closed.
  void TrackAboutMenu(POINT at);

  // Draws the banner (loaded afresh and deleted again) and arms the watch on the first paint.
  void PaintBanner();
  // Starts the watch timer once; later calls change nothing.
  void ArmWatch();

  const AFX_MSGMAP* GetMessageMap() const override;
  static const AFX_MSGMAP_ENTRY messageEntries[];
  static const AFX_MSGMAP messageMap;

  bool m_bWatchArmed;
  HICON m_hAppIcon;
};
