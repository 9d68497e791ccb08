// A record of registry trees and folder trees at one moment, to find out afterwards what a program
// created, changed or removed there.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace tarvolin_test {

class SystemSnapshot {
 public:
  // Every key and value under rootName\path (for instance HKEY_CURRENT_USER, "HKCU", "Software") in the
  // given registry view (KEY_WOW64_32KEY or KEY_WOW64_64KEY). Values are recorded with their data.
  void AddRegistryTree(HKEY root, const char* rootName, const std::string& path, REGSAM view);
  // Every file and folder under folder (and in it only, unless recursive). Files are recorded with
  // their size and last-write time; folders by name only, since their times follow their contents.
  void AddFolderTree(const std::string& folder, bool recursive = true);

  // What differs in `later`: lines "new: ...", "changed: ...", "gone: ...", leaving out every entry
  // that starts with one of the ignored prefixes (compared without regard to case).
  std::vector<std::string> ChangesIn(const SystemSnapshot& later,
                                     const std::vector<std::string>& ignoredPrefixes = {}) const;

  size_t Size() const { return m_entries.size(); }

 private:
  void AddKey(HKEY key, const std::string& name, REGSAM view);

  // Entry name (key, value as "key\:name", file or folder path) -> what identifies its content.
  std::map<std::string, std::string> m_entries;
};

}  // namespace tarvolin_test
