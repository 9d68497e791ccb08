#include "WindowMenuProbe.h"

#include "AboutDlg.h"
#include "Afx.h"

namespace tarvolin_test {

std::vector<MenuItem> ItemsOf(HMENU menu) {
  std::vector<MenuItem> items;
  const int count = menu != nullptr ? GetMenuItemCount(menu) : 0;
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    GetMenuItemInfoA(menu, i, TRUE, &info);
    items.push_back({info.fType, info.wID, text});
  }
  return items;
}

MenuChange AddAboutEntryWith(HINSTANCE resources) {
  // A window menu comes with WS_SYSMENU (part of WS_OVERLAPPEDWINDOW); the window is never shown.
  HWND window = CreateWindowExA(0, "Static", "window with a window menu", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  MenuChange change;
  change.before = ItemsOf(GetSystemMenu(window, FALSE));
  AfxSetResourceHandle(resources);
  AddAboutMenuEntry(window);
  AfxSetResourceHandle(nullptr);
  change.after = ItemsOf(GetSystemMenu(window, FALSE));
  DestroyWindow(window);
  return change;
}

}  // namespace tarvolin_test
