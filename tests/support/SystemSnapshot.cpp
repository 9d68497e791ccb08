#include "SystemSnapshot.h"

#include <stdio.h>

#include <algorithm>

namespace tarvolin_test {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
  return text;
}

// 64-bit FNV-1a of the bytes, as text: enough to tell changed data apart.
std::string Fingerprint(DWORD type, const BYTE* data, DWORD size) {
  unsigned long long hash = 1469598103934665603ULL;
  for (DWORD i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ULL;
  char text[64];
  snprintf(text, sizeof text, "type %lu, %lu bytes, %016llx", type, size, hash);
  return text;
}

}  // namespace

void SystemSnapshot::AddRegistryTree(HKEY root, const char* rootName, const std::string& path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
  const std::string name = std::string(rootName) + (view == KEY_WOW64_64KEY ? "(64)\\" : "(32)\\") + path;
  AddKey(key, name, view);
  RegCloseKey(key);
}

void SystemSnapshot::AddKey(HKEY key, const std::string& name, REGSAM view) {
  m_entries[name + "\\"] = "";
  std::vector<BYTE> data(4096);
  for (DWORD index = 0;; ++index) {
    char valueName[16384];
    DWORD nameLength = sizeof valueName, type = 0, size = static_cast<DWORD>(data.size());
    LONG status = RegEnumValueA(key, index, valueName, &nameLength, nullptr, &type, data.data(), &size);
    if (status == ERROR_MORE_DATA) {
      data.resize(size + 1);
      nameLength = sizeof valueName;
      size = static_cast<DWORD>(data.size());
      status = RegEnumValueA(key, index, valueName, &nameLength, nullptr, &type, data.data(), &size);
    }
    if (status != ERROR_SUCCESS) break;
    m_entries[name + "\\:" + valueName] = Fingerprint(type, data.data(), size);
  }
  // Sub-keys are listed first and opened afterwards: the index stays valid only while nothing changes.
  std::vector<std::string> subKeys;
  for (DWORD index = 0;; ++index) {
    char subKey[256];
    DWORD length = sizeof subKey;
    if (RegEnumKeyExA(key, index, subKey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subKeys.push_back(subKey);
  }
  for (const std::string& subKey : subKeys) {
    HKEY child = nullptr;
    if (RegOpenKeyExA(key, subKey.c_str(), 0, KEY_READ | view, &child) != ERROR_SUCCESS) {
      m_entries[name + "\\" + subKey + "\\"] = "(unreadable)";
      continue;
    }
    AddKey(child, name + "\\" + subKey, view);
    RegCloseKey(child);
  }
}

void SystemSnapshot::AddFolderTree(const std::string& folder, bool recursive) {
  const std::string base = folder.back() == '\\' ? folder : folder + "\\";
  m_entries[base] = "";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> folders;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      // A link to a folder elsewhere (Wine links the user's folders to the home folder) is not followed.
      if (recursive && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        folders.push_back(base + name);
      else
        m_entries[base + name + "\\"] = "";
      continue;
    }
    char fingerprint[80];
    snprintf(fingerprint, sizeof fingerprint, "%lu bytes, written %08lx%08lx", found.nFileSizeLow,
             found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
    m_entries[base + name] = fingerprint;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  for (const std::string& child : folders) AddFolderTree(child, true);
}

std::vector<std::string> SystemSnapshot::ChangesIn(const SystemSnapshot& later,
                                                   const std::vector<std::string>& ignoredPrefixes) const {
  std::vector<std::string> ignored;
  for (const std::string& prefix : ignoredPrefixes) ignored.push_back(Lower(prefix));
  auto isIgnored = [&](const std::string& entry) {
    const std::string name = Lower(entry);
    for (const std::string& prefix : ignored)
      if (name.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  };
  std::vector<std::string> changes;
  for (const auto& entry : later.m_entries) {
    if (isIgnored(entry.first)) continue;
    const auto before = m_entries.find(entry.first);
    if (before == m_entries.end())
      changes.push_back("new: " + entry.first);
    else if (before->second != entry.second)
      changes.push_back("changed: " + entry.first + " (" + before->second + " -> " + entry.second + ")");
  }
  for (const auto& entry : m_entries) {
    if (!isIgnored(entry.first) && later.m_entries.count(entry.first) == 0) changes.push_back("gone: " + entry.first);
  }
  return changes;
}

}  // namespace tarvolin_test
