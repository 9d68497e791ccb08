// The program's version information as a Windows user sees it (file properties): read from the built
// Tarvolin.exe through the platform's own version API, in the Korean ANSI code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

using namespace tarvolin_test;

namespace {

class ProgramVersionInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = ShippedProgramPath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_NE(0u, size) << "no version information in " << path << " (error " << GetLastError() << ")";
    m_block.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, m_block.data()));
  }

  // The text under a path of the block, as VerQueryValueA returns it; "<none>" if there is none.
  std::string Text(const std::string& subBlock) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(m_block.data(), subBlock.c_str(), &value, &length) || value == nullptr) return "<none>";
    return static_cast<const char*>(value);
  }

  std::vector<char> m_block;
};

// 쿠델 in code page 949.
const char kCompany[] = "\xC4\xED\xB5\xA8";

TEST_F(ProgramVersionInfo, CompanyProductAndVersionTextsAreInTheKoreanCodePage) {
  ASSERT_EQ(949u, GetACP());
  const std::string table = "\\StringFileInfo\\041203b5\\";
  EXPECT_EQ(kCompany, Text(table + "CompanyName"));
  EXPECT_EQ(kCompany, Text(table + "ProductName"));
  EXPECT_EQ(kCompany, Text(table + "FileDescription"));
  EXPECT_EQ("2010.12.1.2", Text(table + "FileVersion"));
  EXPECT_EQ("2010.12.1.2", Text(table + "ProductVersion"));
  EXPECT_EQ("Tarvolin.exe", Text(table + "OriginalFilename"));
  // The probe finds nothing under a table the file does not have: the texts above are not defaults.
  EXPECT_EQ("<none>", Text("\\StringFileInfo\\040904b0\\CompanyName"));
}

TEST_F(ProgramVersionInfo, TranslationIsKoreanWithCodePage949) {
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(m_block.data(), "\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(4u, length);
  const WORD* pair = static_cast<const WORD*>(value);
  EXPECT_EQ(0x0412, pair[0]) << "language";
  EXPECT_EQ(949, pair[1]) << "code page";
}

TEST_F(ProgramVersionInfo, FixedPartGivesFileAndProductVersion2010_12_1_2) {
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(m_block.data(), "\\", &value, &length));
  ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
  EXPECT_EQ(0x07DA000Cu, fixed->dwFileVersionMS);
  EXPECT_EQ(0x00010002u, fixed->dwFileVersionLS);
  EXPECT_EQ(0x07DA000Cu, fixed->dwProductVersionMS);
  EXPECT_EQ(0x00010002u, fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
}

}  // namespace
