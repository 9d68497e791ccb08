#include "PeImage.h"

#include <string.h>

#include <algorithm>

namespace tarvolin_test {

namespace {

template <class T>
bool ReadAt(const std::vector<unsigned char>& file, size_t offset, T* value) {
  if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
  memcpy(value, file.data() + offset, sizeof(T));
  return true;
}

}  // namespace

bool PeImage::Load(const std::string& path) {
  *this = PeImage();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const DWORD size = GetFileSize(file, nullptr);
  m_file.resize(size);
  DWORD read = 0;
  const BOOL ok = size != INVALID_FILE_SIZE && ReadFile(file, m_file.data(), size, &read, nullptr) && read == size;
  CloseHandle(file);
  if (!ok) return false;

  IMAGE_DOS_HEADER dos;
  DWORD signature = 0;
  IMAGE_FILE_HEADER header;
  if (!ReadAt(m_file, 0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
  const size_t nt = static_cast<size_t>(dos.e_lfanew);
  if (!ReadAt(m_file, nt, &signature) || signature != IMAGE_NT_SIGNATURE) return false;
  if (!ReadAt(m_file, nt + 4, &header)) return false;
  m_fileCharacteristics = header.Characteristics;
  const size_t optional = nt + 4 + sizeof header;
  WORD magic = 0;
  if (!ReadAt(m_file, optional, &magic)) return false;
  IMAGE_DATA_DIRECTORY imports, relocations;
  if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    IMAGE_OPTIONAL_HEADER64 image;
    if (!ReadAt(m_file, optional, &image)) return false;
    m_b64Bit = true;
    m_dllCharacteristics = image.DllCharacteristics;
    imports = image.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    relocations = image.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    IMAGE_OPTIONAL_HEADER32 image;
    if (!ReadAt(m_file, optional, &image)) return false;
    m_dllCharacteristics = image.DllCharacteristics;
    imports = image.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    relocations = image.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  } else {
    return false;
  }

  const size_t sections = optional + header.SizeOfOptionalHeader;
  for (WORD i = 0; i < header.NumberOfSections; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!ReadAt(m_file, sections + i * sizeof section, &section)) return false;
    m_headers.push_back(section);
    char name[IMAGE_SIZEOF_SHORT_NAME + 1] = "";
    memcpy(name, section.Name, IMAGE_SIZEOF_SHORT_NAME);
    m_sections.push_back({name, section.VirtualAddress, section.Misc.VirtualSize, section.Characteristics});
  }
  m_relocationRva = relocations.Size != 0 ? relocations.VirtualAddress : 0;
  return ReadImports(imports.VirtualAddress, imports.Size) &&
         ReadRelocations(relocations.VirtualAddress, relocations.Size);
}

const PeImage::Section* PeImage::SectionAt(DWORD rva) const {
  for (const Section& section : m_sections) {
    if (rva >= section.virtualAddress && rva - section.virtualAddress < section.virtualSize) return &section;
  }
  return nullptr;
}

const PeImage::Section* PeImage::RelocationSection() const {
  return m_relocationRva != 0 ? SectionAt(m_relocationRva) : nullptr;
}

const unsigned char* PeImage::At(DWORD rva, DWORD size) const {
  for (const IMAGE_SECTION_HEADER& section : m_headers) {
    if (rva < section.VirtualAddress || rva - section.VirtualAddress >= section.SizeOfRawData) continue;
    const size_t offset = section.PointerToRawData + (rva - section.VirtualAddress);
    if (offset > m_file.size() || m_file.size() - offset < size) return nullptr;
    return m_file.data() + offset;
  }
  return nullptr;
}

bool PeImage::ReadImports(DWORD rva, DWORD size) {
  if (size == 0) return true;
  for (DWORD at = rva;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const unsigned char* bytes = At(at, sizeof(IMAGE_IMPORT_DESCRIPTOR));
    if (bytes == nullptr) return false;
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    memcpy(&descriptor, bytes, sizeof descriptor);
    if (descriptor.Name == 0) return true;
    const char* name = reinterpret_cast<const char*>(At(descriptor.Name, 1));
    if (name == nullptr) return false;
    // An unterminated name at the end of the file must not be read past the file's bytes.
    const size_t offset = static_cast<size_t>(reinterpret_cast<const unsigned char*>(name) - m_file.data());
    const size_t left = m_file.size() - offset;
    m_imports.emplace_back(name, strnlen(name, std::min<size_t>(MAX_PATH, left)));
  }
}

bool PeImage::ReadRelocations(DWORD rva, DWORD size) {
  DWORD done = 0;
  while (done + sizeof(IMAGE_BASE_RELOCATION) <= size) {
    const unsigned char* bytes = At(rva + done, sizeof(IMAGE_BASE_RELOCATION));
    if (bytes == nullptr) return false;
    IMAGE_BASE_RELOCATION block;
    memcpy(&block, bytes, sizeof block);
    if (block.SizeOfBlock < sizeof block || block.SizeOfBlock > size - done) return false;
    const DWORD entries = (block.SizeOfBlock - sizeof block) / sizeof(WORD);
    const unsigned char* entry = At(rva + done + sizeof block, entries * sizeof(WORD));
    if (entries != 0 && entry == nullptr) return false;
    for (DWORD i = 0; i < entries; ++i) {
      WORD value;
      memcpy(&value, entry + i * sizeof value, sizeof value);
      // Type 0 only pads a block to a multiple of four bytes.
      if ((value >> 12) != IMAGE_REL_BASED_ABSOLUTE) m_relocated.push_back(block.VirtualAddress + (value & 0x0FFF));
    }
    done += block.SizeOfBlock;
  }
  return done == size;
}

}  // namespace tarvolin_test
