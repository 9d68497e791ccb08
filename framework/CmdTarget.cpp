#include "CmdTarget.h"

const AFX_MSGMAP CCmdTarget::messageMap = {nullptr, nullptr, 0};

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return &messageMap; }

bool CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr; map = map->pBaseMap) {
    for (int i = 0; i < map->nCount; ++i) {
      const AFX_MSGMAP_ENTRY& entry = map->pEntries[i];
      if (entry.nMessage != message) continue;
      if (message == WM_COMMAND && entry.nCommandId != LOWORD(wParam)) continue;
      *pResult = (this->*entry.pfn)(wParam, lParam);
      return true;
    }
  }
  return false;
}
