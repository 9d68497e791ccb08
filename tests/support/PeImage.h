// An executable file read from disk and taken apart the way the loader sees it: header flags,
// sections, imported libraries and base relocations. For checks of how the program was linked.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tarvolin_test {

class PeImage {
 public:
  struct Section {
    std::string name;
    DWORD virtualAddress;
    DWORD virtualSize;
    DWORD characteristics;
  };

  // Reads and parses the file; false (and an empty image) when it is not a well-formed PE image.
  bool Load(const std::string& path);

  bool Is64Bit() const { return m_b64Bit; }
  WORD FileCharacteristics() const { return m_fileCharacteristics; }
  WORD DllCharacteristics() const { return m_dllCharacteristics; }
  const std::vector<Section>& Sections() const { return m_sections; }
  // Names of the imported libraries, as the import table spells them.
  const std::vector<std::string>& ImportedLibraries() const { return m_imports; }
  // Addresses (RVAs) that the base relocations patch when the image is loaded elsewhere.
  const std::vector<DWORD>& RelocatedAddresses() const { return m_relocated; }
  // The section holding the relocation directory, or null when there is none.
  const Section* RelocationSection() const;
  // The section holding rva, or null.
  const Section* SectionAt(DWORD rva) const;

 private:
  const unsigned char* At(DWORD rva, DWORD size) const;
  bool ReadImports(DWORD rva, DWORD size);
  bool ReadRelocations(DWORD rva, DWORD size);

  std::vector<unsigned char> m_file;
  std::vector<IMAGE_SECTION_HEADER> m_headers;
  bool m_b64Bit = false;
  WORD m_fileCharacteristics = 0;
  WORD m_dllCharacteristics = 0;
  DWORD m_relocationRva = 0;
  std::vector<Section> m_sections;
  std::vector<std::string> m_imports;
  std::vector<DWORD> m_relocated;
};

}  // namespace tarvolin_test
