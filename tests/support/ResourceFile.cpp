#include "ResourceFile.h"

namespace tarvolin_test {

namespace {

std::string NameText(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return name;
}

struct Collector {
  std::vector<ResourceEntry>* entries;
  std::string type;
  std::string name;
};

BOOL CALLBACK CollectLanguage(HMODULE module, LPCSTR type, LPCSTR name, WORD language, LONG_PTR param) {
  auto* collector = reinterpret_cast<Collector*>(param);
  HRSRC found = FindResourceExA(module, type, name, language);
  collector->entries->push_back(
      {collector->type, collector->name, language, found != nullptr ? SizeofResource(module, found) : 0});
  return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param) {
  auto* collector = reinterpret_cast<Collector*>(param);
  collector->name = NameText(name);
  EnumResourceLanguagesA(module, type, name, CollectLanguage, param);
  return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR param) {
  auto* collector = reinterpret_cast<Collector*>(param);
  collector->type = NameText(type);
  EnumResourceNamesA(module, type, CollectName, param);
  return TRUE;
}

}  // namespace

ResourceFile::ResourceFile(const std::string& path)
    : m_module(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}

ResourceFile::~ResourceFile() {
  if (m_module != nullptr) FreeLibrary(m_module);
}

std::vector<uint8_t> ResourceFile::Data(LPCSTR type, WORD id, WORD language, bool* found) const {
  HRSRC resource = m_module != nullptr ? FindResourceExA(m_module, type, MAKEINTRESOURCEA(id), language) : nullptr;
  if (found != nullptr) *found = resource != nullptr;
  if (resource == nullptr) return {};
  const DWORD size = SizeofResource(m_module, resource);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(m_module, resource)));
  if (bytes == nullptr) return {};
  return std::vector<uint8_t>(bytes, bytes + size);
}

std::vector<ResourceEntry> ResourceFile::Entries() const {
  std::vector<ResourceEntry> entries;
  if (m_module == nullptr) return entries;
  Collector collector{&entries, {}, {}};
  EnumResourceTypesA(m_module, CollectType, reinterpret_cast<LONG_PTR>(&collector));
  return entries;
}

}  // namespace tarvolin_test
