// The application: runs the usage notice once, modally, and ends when it ends.
#pragma once

#include "WinAppEx.h"

class CTarvolinApp : public CWinAppEx {
 public:
  CTarvolinApp();

  // Prepares the platform and runs the notice until it is ended. Always FALSE: there is no message
  // loop of the application's own, so the process ends as soon as the notice has gone.
  BOOL InitInstance() override;

 protected:
  const AFX_MSGMAP* GetMessageMap() const override;
  static const AFX_MSGMAP_ENTRY messageEntries[];
  static const AFX_MSGMAP messageMap;
};
