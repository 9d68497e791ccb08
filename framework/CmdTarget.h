// Base of everything that has a message table.
#pragma once

#include "MessageMap.h"

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;

  // Looks the message up in this object's table and then in its base classes' tables, and runs the
  // first matching handler. Returns false when no table has an entry for it.
  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

 protected:
  // The most derived class's table; each class that has a table overrides this.
  virtual const AFX_MSGMAP* GetMessageMap() const;
  static const AFX_MSGMAP messageMap;
};
