// A test build of the notice that leaks on purpose, to show that the leak counts can fail: each paint
// leaks one bitmap (GDI), each watch check one event (kernel handle), one hidden window (user object)
// and 16 KiB of heap that it touches (private bytes). Everything else is the real notice.
#include <windows.h>

#include <string.h>

#include "PresenceWatch.h"
#include "TarvolinDlg.h"
#include "WinAppEx.h"

namespace {

class CLeakyNoticeDlg : public CTarvolinDlg {
 protected:
  LRESULT OnLeakyPaint(WPARAM wParam, LPARAM lParam) {
    CreateBitmap(1, 1, 1, 32, nullptr);
    return OnPaint(wParam, lParam);
  }

  LRESULT OnLeakyTimer(WPARAM wParam, LPARAM lParam) {
    if (wParam == WATCH_TIMER_ID) {
      CreateEventA(nullptr, FALSE, FALSE, nullptr);
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
      void* block = HeapAlloc(GetProcessHeap(), 0, 16 * 1024);
      if (block != nullptr) memset(block, 1, 16 * 1024);
    }
    return OnTimer(wParam, lParam);
  }

  const AFX_MSGMAP* GetMessageMap() const override { return &leakyMap; }
  static const AFX_MSGMAP_ENTRY leakyEntries[];
  static const AFX_MSGMAP leakyMap;
};

const AFX_MSGMAP_ENTRY CLeakyNoticeDlg::leakyEntries[] = {
    {WM_PAINT, 0, HandlerOf(&CLeakyNoticeDlg::OnLeakyPaint)},
    {WM_TIMER, 0, HandlerOf(&CLeakyNoticeDlg::OnLeakyTimer)},
};
const AFX_MSGMAP CLeakyNoticeDlg::leakyMap = {&CTarvolinDlg::messageMap, leakyEntries, CountOf(leakyEntries)};

class CLeakyNoticeApp : public CWinAppEx {
 public:
  BOOL InitInstance() override {
    CLeakyNoticeDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
  }
};

CLeakyNoticeApp theLeakyApp;

}  // namespace
