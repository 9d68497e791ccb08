// Message tables: each class lists the messages it handles, and chains to its base class's table.
#pragma once

#include <windows.h>

class CCmdTarget;

// Every handler has one signature: the message's two parameters in, the message's result out.
// A handler that wants the default processing as well calls Default() and returns its value.
using MessageHandler = LRESULT (CCmdTarget::*)(WPARAM, LPARAM);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCommandId;  // for WM_COMMAND entries: the command (low word of wParam); otherwise 0
  MessageHandler pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* pBaseMap;  // null at the root
  const AFX_MSGMAP_ENTRY* pEntries;
  int nCount;
};

// Turns a member function of a derived class into a table entry's handler.
template <class T>
constexpr MessageHandler HandlerOf(LRESULT (T::*pfn)(WPARAM, LPARAM)) {
  return static_cast<MessageHandler>(pfn);
}

template <int N>
constexpr int CountOf(const AFX_MSGMAP_ENTRY (&)[N]) {
  return N;
}
