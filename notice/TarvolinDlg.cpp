#include "TarvolinDlg.h"

#include "AboutDlg.h"
#include "Afx.h"
#include "Image.h"
#include "NoticeRules.h"
#include "PresenceWatch.h"
#include "resource.h"

namespace {
// The manifest declares no DPI awareness: on high-DPI screens the system scales the whole window, so
// the banner's fixed size and the notice's fixed size (NoticeRules.h) stay consistent with each other.
constexpr COLORREF kBannerTransparent = RGB(255, 0, 255);
}  // namespace

const AFX_MSGMAP_ENTRY CTarvolinDlg::messageEntries[] = {
    {WM_SYSCOMMAND, 0, HandlerOf(&CTarvolinDlg::OnSysCommand)},
    {WM_PAINT, 0, HandlerOf(&CTarvolinDlg::OnPaint)},
    {WM_QUERYDRAGICON, 0, HandlerOf(&CTarvolinDlg::OnQueryDragIcon)},
    {WM_TIMER, 0, HandlerOf(&CTarvolinDlg::OnTimer)},
    {WM_CLOSE, 0, HandlerOf(&CTarvolinDlg::OnClose)},
    {WM_CONTEXTMENU, 0, HandlerOf(&CTarvolinDlg::OnContextMenu)},
    {WM_NCRBUTTONUP, 0, HandlerOf(&CTarvolinDlg::OnNcRButtonUp)},
};
const AFX_MSGMAP CTarvolinDlg::messageMap = {&CDialog::messageMap, messageEntries, CountOf(messageEntries)};
const AFX_MSGMAP* CTarvolinDlg::GetMessageMap() const { return &messageMap; }

CTarvolinDlg::CTarvolinDlg()
    : CDialog(IDD_NOTICE),
      m_bWatchArmed(false),
      m_hAppIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APP))) {}

BOOL CTarvolinDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  AddAboutMenuEntry(m_hWnd);
  SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hAppIcon));
  SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hAppIcon));
  // The notice's fixed place is defined against the primary screen as a whole, taskbar or not, unlike
  // the About box, which is kept inside its owner monitor's work area (see CDialog::CenterOverOwner).
  const RECT place = ComputeNoticeRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  MoveWindow(m_hWnd, place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
  return TRUE;
}

BOOL CTarvolinDlg::PreTranslateMessage(MSG* pMsg) {
  if (FilterNoticeKey(*pMsg)) return TRUE;
  return CDialog::PreTranslateMessage(pMsg);
}

LRESULT CTarvolinDlg::OnSysCommand(WPARAM wParam, LPARAM) {
  if (IsAboutCommand(wParam)) {
    CAboutDlg about;
    about.DoModal();
    return 0;
  }
  return Default();
}

LRESULT CTarvolinDlg::OnPaint(WPARAM, LPARAM) {
  PaintBanner();
  return 0;
}

LRESULT CTarvolinDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hAppIcon); }

LRESULT CTarvolinDlg::OnTimer(WPARAM wParam, LPARAM) {
  if (wParam == WATCH_TIMER_ID && !IsViewerPresent()) OnOK();
  return Default();
}

LRESULT CTarvolinDlg::OnClose(WPARAM, LPARAM) { return Default(); }

// A right click in the client area, Shift+F10 and the Applications key arrive here.
LRESULT CTarvolinDlg::OnContextMenu(WPARAM, LPARAM lParam) {
  POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  // From the keyboard (-1, -1): at the top left corner of the client area.
  if (at.x == -1 && at.y == -1) {
    at = {0, 0};
    ClientToScreen(m_hWnd, &at);
  }
  TrackAboutMenu(at);
  return 0;
}

// A right click on the caption or the frame. The platform would open the window menu there, and the
// notice has none.
LRESULT CTarvolinDlg::OnNcRButtonUp(WPARAM, LPARAM lParam) {
  TrackAboutMenu({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
  return 0;
}

void CTarvolinDlg::TrackAboutMenu(POINT at) {
  HMENU menu = CreateAboutPopupMenu();
  if (menu == nullptr) return;
  // A popup menu closes on a click elsewhere only while its owner is the foreground window.
  SetForegroundWindow(m_hWnd);
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, m_hWnd, nullptr));
  DestroyMenu(menu);
  // As the window-menu command it is (WM_SYSCOMMAND), so that the About box is opened in one place only.
  if (command == IDM_ABOUT) SendMessageA(m_hWnd, WM_SYSCOMMAND, IDM_ABOUT, 0);
}

void CTarvolinDlg::PaintBanner() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  CImage banner;
  banner.Attach(static_cast<HBITMAP>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_BANNER), IMAGE_BITMAP,
                                                0, 0, LR_CREATEDIBSECTION)));
  // Drawn at its fixed size; whatever does not fit the client area is clipped, not scaled.
  banner.TransparentBlt(dc, 0, 0, kBannerWidth, kBannerHeight, 0, 0, banner.GetWidth(), banner.GetHeight(),
                        kBannerTransparent);
  ArmWatch();
  banner.Destroy();
  EndPaint(m_hWnd, &paint);
}

void CTarvolinDlg::ArmWatch() {
  if (!m_bWatchArmed) SetTimer(m_hWnd, WATCH_TIMER_ID, WATCH_PERIOD_MS, nullptr);
  // Set even if the timer was refused: it is requested once, never again.
  m_bWatchArmed = true;
}
