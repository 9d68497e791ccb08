// The extended application class. Its one extra is the switch that keeps customisable toolbars and
// menus in step with the resources; this program has neither, so the switch is accepted and ignored.
#pragma once

#include "WinApp.h"

class CWinAppEx : public CWinApp {
 public:
  explicit CWinAppEx(BOOL /*bResourceSmartUpdate*/ = FALSE) {}
};
