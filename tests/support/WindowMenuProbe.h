// What the About entry does to a window menu: the entry is added to the window menu of a fresh window
// of this process (the notice itself has none), and the menu is read before and after.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tarvolin_test {

struct MenuItem {
  UINT type;
  UINT id;
  std::string text;
  bool operator==(const MenuItem& other) const { return type == other.type && id == other.id && text == other.text; }
};

// The menu's items in order; none for a null menu.
std::vector<MenuItem> ItemsOf(HMENU menu);

struct MenuChange {
  std::vector<MenuItem> before;  // empty: the window got no window menu, and the probe proves nothing
  std::vector<MenuItem> after;
};

// Adds the About entry to a fresh window's window menu with the strings of `resources`.
MenuChange AddAboutEntryWith(HINSTANCE resources);

}  // namespace tarvolin_test
