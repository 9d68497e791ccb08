// An executable's resources, read from the file itself (loaded as data, never run): what the
// platform's resource loader finds in it, by type, identifier and language.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace tarvolin_test {

struct ResourceEntry {
  std::string type;  // "5" for numeric types, else the type's name
  std::string name;  // likewise
  WORD language;
  DWORD size;
};

class ResourceFile {
 public:
  explicit ResourceFile(const std::string& path);
  ~ResourceFile();
  ResourceFile(const ResourceFile&) = delete;
  ResourceFile& operator=(const ResourceFile&) = delete;

  bool IsOpen() const { return m_module != nullptr; }
  // The resource's bytes in exactly that language; found is false if there is none.
  std::vector<uint8_t> Data(LPCSTR type, WORD id, WORD language, bool* found = nullptr) const;
  // Every resource of the file, in the order of its resource directory.
  std::vector<ResourceEntry> Entries() const;

 private:
  HMODULE m_module = nullptr;
};

}  // namespace tarvolin_test
