// The resources of the built program, read from Tarvolin.exe itself and compared with the values the
// program is meant to carry: templates field by field, the string block, every icon image, the
// banner's header, the version block, the manifest, and the language of each.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "ByteReader.h"
#include "ResourceFile.h"
#include "TestSupport.h"

using namespace tarvolin_test;

namespace {

constexpr WORD kKorean = 0x0412;
constexpr WORD kEnglishUs = 0x0409;
constexpr WORD kAboutTemplate = 100;
constexpr WORD kAboutMenuString = 101;
constexpr WORD kNoticeTemplate = 102;
constexpr WORD kAppIcon = 128;
constexpr WORD kBanner = 129;

// GoogleTest starts a thread the first time a thread of the tests uses SCOPED_TRACE or records a
// failure. Under 32-bit Wine, a process that exits while such a thread is still starting can crash
// after every test has passed. So that thread is started before the first test and waited for until
// it runs; the image's TLS callback sees it arrive.
HANDLE g_threadArrived = nullptr;

void NTAPI OnThreadEvent(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH && g_threadArrived != nullptr) SetEvent(g_threadArrived);
}
// Between the C runtime's own callbacks (.CRT$XLA to .CRT$XLZ); `used`, as nothing names it.
extern "C" __attribute__((section(".CRT$XLM"), used)) const PIMAGE_TLS_CALLBACK kOnThreadEvent = OnThreadEvent;

// Once per process: GoogleTest starts that thread only for a thread's first use.
void StartGoogleTestsThreadNow() {
  static bool started = false;
  if (started) return;
  started = true;
  g_threadArrived = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(nullptr, g_threadArrived);
  { SCOPED_TRACE("starts GoogleTest's thread for this one"); }
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_threadArrived, kHangGuardMs)) << "GoogleTest's thread did not start";
}

class ProgramResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    StartGoogleTestsThreadNow();
    s_file = new ResourceFile(ShippedProgramPath());
  }
  static void TearDownTestSuite() {
    delete s_file;
    s_file = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(s_file->IsOpen()) << "cannot load " << ShippedProgramPath(); }

  // The resource in exactly that language; fails the test if it is missing.
  static std::vector<uint8_t> Load(LPCSTR type, WORD id, WORD language = kKorean) {
    bool found = false;
    std::vector<uint8_t> data = s_file->Data(type, id, language, &found);
    EXPECT_TRUE(found) << "no resource " << id << " of type " << reinterpret_cast<ULONG_PTR>(type)
                       << " in language 0x" << std::hex << language;
    return data;
  }

  static ResourceFile* s_file;
};
ResourceFile* ProgramResources::s_file = nullptr;

std::string TypeName(const std::string& type) {
  static const std::map<std::string, std::string> names = {
      {"2", "bitmap"}, {"3", "icon image"}, {"5", "dialog"}, {"6", "string block"},
      {"14", "icon group"}, {"16", "version"}, {"24", "manifest"}};
  const auto it = names.find(type);
  return it != names.end() ? it->second : "type " + type;
}

std::string Key(const std::string& type, const std::string& name, WORD language) {
  char lang[16];
  snprintf(lang, sizeof lang, "0x%04X", language);
  return TypeName(type) + " " + name + " language " + lang;
}

// ---------------------------------------------------------------------------------------------
// The set as a whole

TEST_F(ProgramResources, HoldExactlyTheProgramsResourcesEachInItsLanguage) {
  std::vector<std::string> expected = {
      Key("5", "100", kKorean),  Key("5", "102", kKorean), Key("6", "7", kKorean),  // 101 lives in block 7
      Key("14", "128", kKorean), Key("2", "129", kKorean), Key("16", "1", kKorean),
      Key("24", "1", kEnglishUs)};
  for (int image = 1; image <= 13; ++image) expected.push_back(Key("3", std::to_string(image), kKorean));

  std::vector<std::string> actual;
  for (const ResourceEntry& entry : s_file->Entries()) {
    actual.push_back(Key(entry.type, entry.name, entry.language));
    printf("%-40s %6lu bytes\n", actual.back().c_str(), static_cast<unsigned long>(entry.size));
  }
  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  std::vector<std::string> missing, extra;
  std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(), std::back_inserter(missing));
  std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(), std::back_inserter(extra));
  for (const std::string& key : missing) ADD_FAILURE() << "missing: " << key;
  for (const std::string& key : extra) ADD_FAILURE() << "not expected: " << key;
  EXPECT_EQ(expected.size(), actual.size());
}

// ---------------------------------------------------------------------------------------------
// Dialog templates (extended form)

struct DialogItem {
  uint32_t helpId, exStyle, style;
  int16_t x, y, cx, cy;
  int32_t id;
  NameOrOrdinal windowClass, text;
  uint16_t extraBytes;
};

struct DialogTemplate {
  uint16_t version, signature;
  uint32_t helpId, exStyle, style;
  uint16_t itemCount;
  int16_t x, y, cx, cy;
  NameOrOrdinal menu, windowClass;
  std::wstring caption;
  uint16_t pointSize, weight;
  uint8_t italic, charSet;
  std::wstring typeface;
  std::vector<DialogItem> items;
  size_t trailingBytes;  // after the last field read; only alignment padding may follow
  bool complete;
};

DialogTemplate ParseDialog(const std::vector<uint8_t>& bytes) {
  ByteReader in(bytes);
  DialogTemplate t = {};
  t.version = in.U16();
  t.signature = in.U16();
  t.helpId = in.U32();
  t.exStyle = in.U32();
  t.style = in.U32();
  t.itemCount = in.U16();
  t.x = in.S16();
  t.y = in.S16();
  t.cx = in.S16();
  t.cy = in.S16();
  t.menu = in.ReadNameOrOrdinal();
  t.windowClass = in.ReadNameOrOrdinal();
  t.caption = in.WideString();
  if (t.style & DS_SETFONT) {
    t.pointSize = in.U16();
    t.weight = in.U16();
    t.italic = in.U8();
    t.charSet = in.U8();
    t.typeface = in.WideString();
  }
  for (uint16_t i = 0; i < t.itemCount && in.ok(); ++i) {
    in.Align(4);
    DialogItem item = {};
    item.helpId = in.U32();
    item.exStyle = in.U32();
    item.style = in.U32();
    item.x = in.S16();
    item.y = in.S16();
    item.cx = in.S16();
    item.cy = in.S16();
    item.id = in.S32();
    item.windowClass = in.ReadNameOrOrdinal();
    item.text = in.ReadNameOrOrdinal();
    item.extraBytes = in.U16();
    in.Bytes(item.extraBytes);
    t.items.push_back(item);
  }
  t.trailingBytes = in.Remaining();
  t.complete = in.ok();
  return t;
}

// The header fields that both templates share in form: extended template, no menu, default class,
// 9 point "MS Shell Dlg", weight 0, upright, DEFAULT_CHARSET, and nothing after the last field.
void ExpectCommonTemplateFields(const DialogTemplate& t) {
  EXPECT_TRUE(t.complete) << "template is truncated";
  EXPECT_EQ(1, t.version) << "not an extended (DIALOGEX) template";
  EXPECT_EQ(0xFFFF, t.signature) << "not an extended (DIALOGEX) template";
  EXPECT_EQ(0u, t.helpId);
  EXPECT_EQ(NameOrOrdinal::Text(L""), t.menu) << "menu";
  EXPECT_EQ(NameOrOrdinal::Text(L""), t.windowClass) << "class";
  EXPECT_EQ(9, t.pointSize);
  EXPECT_EQ(0, t.weight);
  EXPECT_EQ(0, t.italic);
  EXPECT_EQ(1, t.charSet) << "character set";
  EXPECT_EQ(std::wstring(L"MS Shell Dlg"), t.typeface) << Describe(t.typeface);
  EXPECT_LT(t.trailingBytes, 4u) << "unexpected data after the template";
}

TEST_F(ProgramResources, NoticeTemplateIsTheCaptionedPopUpWithoutControls) {
  const DialogTemplate t = ParseDialog(Load(RT_DIALOG, kNoticeTemplate));
  ExpectCommonTemplateFields(t);
  EXPECT_EQ(0x90C000C8u, t.style) << std::hex << "style 0x" << t.style;
  EXPECT_EQ(0x00040000u, t.exStyle) << std::hex << "extended style 0x" << t.exStyle;
  EXPECT_EQ(0, t.x);
  EXPECT_EQ(0, t.y);
  EXPECT_EQ(143, t.cx);
  EXPECT_EQ(70, t.cy);
  EXPECT_EQ(std::wstring(L"Tarvolin"), t.caption) << Describe(t.caption);
  EXPECT_EQ(0, t.itemCount);
  EXPECT_TRUE(t.items.empty());
}

TEST_F(ProgramResources, AboutTemplateMatchesFieldByFieldAndControlByControl) {
  const DialogTemplate t = ParseDialog(Load(RT_DIALOG, kAboutTemplate));
  ExpectCommonTemplateFields(t);
  EXPECT_EQ(0x80C800C8u, t.style) << std::hex << "style 0x" << t.style;
  EXPECT_EQ(0u, t.exStyle) << std::hex << "extended style 0x" << t.exStyle;
  EXPECT_EQ(0, t.x);
  EXPECT_EQ(0, t.y);
  EXPECT_EQ(170, t.cx);
  EXPECT_EQ(62, t.cy);
  EXPECT_EQ(std::wstring(L"Tarvolin 정보"), t.caption) << Describe(t.caption);

  const NameOrOrdinal button = NameOrOrdinal::Ordinal(0x0080), staticText = NameOrOrdinal::Ordinal(0x0082);
  struct Control {
    int32_t id;
    NameOrOrdinal windowClass, text;  // an empty text: any one line of text
    uint32_t style;
    int16_t x, y, cx, cy;
  };
  const Control expected[] = {
      {-1, staticText, NameOrOrdinal::Ordinal(128), 0x50000003, 14, 14, 21, 20},
      {-1, staticText, NameOrOrdinal::Text(L"Tarvolin, 버전 1.0"), 0x50020080, 42, 14, 114, 8},
      {-1, staticText, NameOrOrdinal::Text(L""), 0x50020000, 42, 26, 114, 8},
      {IDOK, button, NameOrOrdinal::Text(L"확인"), 0x50030001, 113, 41, 50, 14},
  };
  ASSERT_EQ(4, t.itemCount);
  ASSERT_EQ(4u, t.items.size());
  for (size_t i = 0; i < 4; ++i) {
    const DialogItem& actual = t.items[i];
    const Control& want = expected[i];
    SCOPED_TRACE("control " + std::to_string(i + 1));
    EXPECT_EQ(want.id, actual.id) << "identifier";
    EXPECT_EQ(want.windowClass, actual.windowClass) << "class";
    if (want.text == NameOrOrdinal::Text(L"")) {
      EXPECT_FALSE(actual.text.isOrdinal);
      EXPECT_FALSE(actual.text.text.empty()) << "the second line has no text";
      EXPECT_EQ(std::wstring::npos, actual.text.text.find_first_of(L"\r\n")) << "more than one line";
    } else {
      EXPECT_EQ(want.text, actual.text) << "text";
    }
    EXPECT_EQ(want.style, actual.style) << std::hex << "style 0x" << actual.style;
    EXPECT_EQ(0u, actual.exStyle) << "extended style";
    EXPECT_EQ(0u, actual.helpId) << "help id";
    EXPECT_EQ(want.x, actual.x) << "x";
    EXPECT_EQ(want.y, actual.y) << "y";
    EXPECT_EQ(want.cx, actual.cx) << "width";
    EXPECT_EQ(want.cy, actual.cy) << "height";
    EXPECT_EQ(0, actual.extraBytes) << "creation data";
  }
}

// ---------------------------------------------------------------------------------------------
// String table

TEST_F(ProgramResources, StringBlockOf96To111HoldsOnlyTheAboutEntry) {
  const WORD block = kAboutMenuString / 16 + 1;  // strings 96..111
  const std::vector<uint8_t> bytes = Load(RT_STRING, block);
  ByteReader in(bytes);
  for (WORD id = (block - 1) * 16; id < block * 16; ++id) {
    const uint16_t length = in.U16();
    std::wstring text;
    for (uint16_t i = 0; i < length; ++i) text += static_cast<wchar_t>(in.U16());
    if (id == kAboutMenuString)
      EXPECT_EQ(std::wstring(L"Tarvolin 정보(&A)..."), text) << Describe(text);
    else
      EXPECT_EQ(0u, text.size()) << "string " << id << " should not exist: " << Describe(text);
  }
  EXPECT_TRUE(in.ok()) << "block is truncated";
  EXPECT_EQ(0u, in.Remaining()) << "data after the block's sixteen strings";

  // What the program gets when it loads the string in the Korean code page.
  HMODULE module = LoadLibraryExA(ShippedProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, module);
  char loaded[64] = "";
  EXPECT_EQ(20, LoadStringA(module, kAboutMenuString, loaded, sizeof loaded));
  EXPECT_STREQ("Tarvolin \xC1\xA4\xBA\xB8(&A)...", loaded);
  FreeLibrary(module);
}

// ---------------------------------------------------------------------------------------------
// Icon group and its images

struct IconImage {
  int size;  // pixels; 256 is entered as 0 in the group
  int bitCount;
  uint32_t bytes;  // 0: a PNG image, whose size is the artwork's
};
// Images 1 to 13, in order.
const IconImage kIconImages[] = {
    {48, 4, 1640}, {32, 4, 744},  {24, 4, 488},  {16, 4, 296},  {48, 8, 3752}, {32, 8, 2216}, {24, 8, 1736},
    {16, 8, 1384}, {256, 32, 0},  {48, 32, 9640}, {32, 32, 4264}, {24, 32, 2440}, {16, 32, 1128},
};

struct GroupEntry {
  uint8_t width, height, colorCount, reserved;
  uint16_t planes, bitCount;
  uint32_t bytesInRes;
  uint16_t id;
};

std::vector<GroupEntry> ParseIconGroup(const std::vector<uint8_t>& bytes, uint16_t* type, size_t* trailing) {
  ByteReader in(bytes);
  EXPECT_EQ(0, in.U16()) << "group header reserved field";
  *type = in.U16();
  const uint16_t count = in.U16();
  std::vector<GroupEntry> entries;
  for (uint16_t i = 0; i < count && in.ok(); ++i) {
    GroupEntry e = {};
    e.width = in.U8();
    e.height = in.U8();
    e.colorCount = in.U8();
    e.reserved = in.U8();
    e.planes = in.U16();
    e.bitCount = in.U16();
    e.bytesInRes = in.U32();
    e.id = in.U16();
    if (in.ok()) entries.push_back(e);
  }
  *trailing = in.Remaining();
  return entries;
}

TEST_F(ProgramResources, IconGroupListsThirteenImagesInTheirOrder) {
  uint16_t type = 0;
  size_t trailing = 0;
  const std::vector<GroupEntry> entries = ParseIconGroup(Load(RT_GROUP_ICON, kAppIcon), &type, &trailing);
  EXPECT_EQ(1, type) << "not an icon group";
  ASSERT_EQ(13u, entries.size());
  EXPECT_EQ(0u, trailing) << "data after the group's entries";
  for (size_t i = 0; i < entries.size(); ++i) {
    const IconImage& want = kIconImages[i];
    const GroupEntry& e = entries[i];
    SCOPED_TRACE("group entry " + std::to_string(i + 1));
    EXPECT_EQ(i + 1, e.id) << "image identifier";
    EXPECT_EQ(want.size == 256 ? 0 : want.size, e.width) << "width";
    EXPECT_EQ(want.size == 256 ? 0 : want.size, e.height) << "height";
    EXPECT_EQ(want.bitCount == 4 ? 16 : 0, e.colorCount) << "colour count";
    EXPECT_EQ(0, e.reserved);
    EXPECT_EQ(1, e.planes) << "planes";
    EXPECT_EQ(want.bitCount, e.bitCount) << "bits per pixel";
    if (want.bytes != 0) {
      EXPECT_EQ(want.bytes, e.bytesInRes) << "bytes";
    }
    // The image itself must be as big as the group says.
    bool found = false;
    const std::vector<uint8_t> image = s_file->Data(RT_ICON, static_cast<WORD>(i + 1), kKorean, &found);
    EXPECT_TRUE(found) << "image " << i + 1 << " is missing in Korean";
    EXPECT_EQ(e.bytesInRes, image.size()) << "group entry and image disagree on the size";
  }
}

uint32_t Crc32(const std::vector<uint8_t>& bytes, size_t from, size_t count) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < from + count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A PNG image: signature, IHDR first, every chunk's checksum right, IEND ending the data exactly.
void ExpectPngIcon(const std::vector<uint8_t>& bytes, int size) {
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GE(bytes.size(), 8u);
  ASSERT_TRUE(std::equal(signature, signature + 8, bytes.begin())) << "no PNG signature";
  ByteReader in(bytes);
  in.Seek(8);
  std::vector<std::string> chunks;
  while (in.ok() && in.Remaining() > 0) {
    const uint32_t length = in.U32BigEndian();
    const size_t typeAt = in.Offset();
    const std::vector<uint8_t> type = in.Bytes(4);
    if (!in.ok() || in.Remaining() < static_cast<size_t>(length) + 4) {
      ADD_FAILURE() << "chunk runs past the end of the image";
      return;
    }
    chunks.push_back(std::string(type.begin(), type.end()));
    if (chunks.size() == 1) {
      ASSERT_EQ("IHDR", chunks[0]);
      ASSERT_EQ(13u, length);
      EXPECT_EQ(static_cast<uint32_t>(size), in.U32BigEndian()) << "PNG width";
      EXPECT_EQ(static_cast<uint32_t>(size), in.U32BigEndian()) << "PNG height";
      EXPECT_EQ(8, in.U8()) << "bits per channel";
      EXPECT_EQ(6, in.U8()) << "colour type (6: RGBA, 32 bits per pixel)";
      EXPECT_EQ(0, in.U8()) << "compression";
      EXPECT_EQ(0, in.U8()) << "filter";
      EXPECT_EQ(0, in.U8()) << "interlace";
    } else {
      in.Bytes(length);
    }
    EXPECT_EQ(Crc32(bytes, typeAt, 4 + length), in.U32BigEndian()) << "checksum of chunk " << chunks.back();
    if (chunks.back() == "IEND") break;
  }
  ASSERT_FALSE(chunks.empty());
  EXPECT_EQ("IEND", chunks.back()) << "PNG has no end chunk";
  EXPECT_EQ(0u, in.Remaining()) << "data after the PNG's end";
}

TEST_F(ProgramResources, EachIconImageHasItsFormatSizeAndBytes) {
  for (size_t i = 0; i < 13; ++i) {
    const IconImage& want = kIconImages[i];
    const WORD id = static_cast<WORD>(i + 1);
    SCOPED_TRACE("icon image " + std::to_string(id));
    const std::vector<uint8_t> bytes = Load(RT_ICON, id);
    if (want.bytes == 0) {
      ExpectPngIcon(bytes, want.size);
      printf("icon image %u: %dx%d PNG, %u bytes\n", id, want.size, want.size, static_cast<unsigned>(bytes.size()));
    } else {
      EXPECT_EQ(want.bytes, bytes.size()) << "bytes";
      ByteReader in(bytes);
      EXPECT_EQ(40u, in.U32()) << "BITMAPINFOHEADER size";
      EXPECT_EQ(want.size, in.S32()) << "width";
      EXPECT_EQ(2 * want.size, in.S32()) << "height (colour and mask together)";
      EXPECT_EQ(1, in.U16()) << "planes";
      EXPECT_EQ(want.bitCount, in.U16()) << "bits per pixel";
      EXPECT_EQ(static_cast<uint32_t>(BI_RGB), in.U32()) << "compression";
    }
    // The platform makes an icon of the image at its own size.
    HICON icon = CreateIconFromResourceEx(const_cast<uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                                          TRUE, 0x00030000, want.size, want.size, LR_DEFAULTCOLOR);
    ASSERT_NE(nullptr, icon) << "the platform rejects the image";
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(want.size, mask.bmWidth) << "width of the icon the platform made";
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

// ---------------------------------------------------------------------------------------------
// Banner bitmap

TEST_F(ProgramResources, BannerHasItsHeaderSizeAndNoTransparentPixel) {
  const std::vector<uint8_t> bytes = Load(RT_BITMAP, kBanner);
  EXPECT_EQ(47362u, bytes.size()) << "bytes";
  ByteReader in(bytes);
  EXPECT_EQ(40u, in.U32()) << "BITMAPINFOHEADER size";
  EXPECT_EQ(242, in.S32()) << "width";
  EXPECT_EQ(65, in.S32()) << "height (positive: bottom-up)";
  EXPECT_EQ(1, in.U16()) << "planes";
  EXPECT_EQ(24, in.U16()) << "bits per pixel";
  EXPECT_EQ(static_cast<uint32_t>(BI_RGB), in.U32()) << "compression";
  EXPECT_EQ(0u, in.U32()) << "image size field";
  EXPECT_EQ(2834, in.S32()) << "horizontal pixels per metre";
  EXPECT_EQ(2834, in.S32()) << "vertical pixels per metre";
  EXPECT_EQ(0u, in.U32()) << "colours used (no colour table)";
  EXPECT_EQ(0u, in.U32()) << "important colours";

  // 65 rows of 728 bytes (726 of pixels, 2 of padding) follow the header; magenta is the key colour.
  const size_t rowBytes = 728;
  ASSERT_GE(bytes.size(), 40 + 65 * rowBytes);
  int magenta = 0;
  for (size_t row = 0; row < 65; ++row) {
    for (size_t x = 0; x < 242; ++x) {
      const uint8_t* p = &bytes[40 + row * rowBytes + 3 * x];  // blue, green, red
      if (p[0] == 0xFF && p[1] == 0x00 && p[2] == 0xFF) ++magenta;
    }
  }
  EXPECT_EQ(0, magenta) << "pixels of the transparent colour RGB(255, 0, 255)";
}

// ---------------------------------------------------------------------------------------------
// Version block

struct VersionNode {
  std::wstring key;
  uint16_t type;  // 1: text, 0: binary
  std::vector<uint8_t> value;
  std::vector<VersionNode> children;
  bool ok;
};

// One node of the version tree (length, value length, type, key, value, children), 32-bit aligned.
VersionNode ParseVersionNode(const std::vector<uint8_t>& bytes, size_t at, size_t end) {
  ByteReader in(bytes);
  in.Seek(at);
  VersionNode node = {};
  const uint16_t length = in.U16();
  const uint16_t valueLength = in.U16();
  node.type = in.U16();
  node.key = in.WideString();
  in.Align(4);
  const size_t nodeEnd = at + length;
  node.ok = in.ok() && length >= 6 && nodeEnd <= end;
  if (!node.ok) return node;
  node.value = in.Bytes(node.type == 1 ? valueLength * 2u : valueLength);
  in.Align(4);
  while (in.ok() && in.Offset() + 6 <= nodeEnd) {
    node.children.push_back(ParseVersionNode(bytes, in.Offset(), nodeEnd));
    const VersionNode& child = node.children.back();
    ByteReader childLength(bytes);
    childLength.Seek(in.Offset());
    const uint16_t size = childLength.U16();
    if (!child.ok || size == 0) {
      node.ok = false;
      break;
    }
    in.Seek(in.Offset() + size);
    in.Align(4);
  }
  node.ok = node.ok && in.ok();
  return node;
}

std::wstring TextValue(const VersionNode& node) {
  std::wstring text;
  for (size_t i = 0; i + 1 < node.value.size(); i += 2) {
    const wchar_t c = static_cast<wchar_t>(node.value[i] | (node.value[i + 1] << 8));
    if (c == 0) break;
    text += c;
  }
  return text;
}

const VersionNode* Child(const VersionNode& node, const std::wstring& key) {
  for (const VersionNode& child : node.children)
    if (child.key == key) return &child;
  return nullptr;
}

TEST_F(ProgramResources, VersionBlockHasTheFixedPartKoreanStringsAndTranslation) {
  const std::vector<uint8_t> bytes = Load(RT_VERSION, 1);
  const VersionNode root = ParseVersionNode(bytes, 0, bytes.size());
  ASSERT_TRUE(root.ok) << "version block does not parse";
  EXPECT_EQ(std::wstring(L"VS_VERSION_INFO"), root.key);

  ASSERT_EQ(52u, root.value.size()) << "fixed part";
  ByteReader fixed(root.value);
  const struct {
    const char* field;
    uint32_t value;
  } fields[] = {{"signature", 0xFEEF04BD}, {"structure version", 0x00010000}, {"file version (high)", 0x07DA000C},
                {"file version (low)", 0x00010002}, {"product version (high)", 0x07DA000C},
                {"product version (low)", 0x00010002}, {"flags mask", 0x3F}, {"flags", 0},
                {"operating system", 0x4}, {"file type", 1}, {"file subtype", 0}, {"file date (high)", 0},
                {"file date (low)", 0}};
  for (const auto& field : fields) EXPECT_EQ(field.value, fixed.U32()) << std::hex << field.field;

  ASSERT_EQ(2u, root.children.size()) << "string and variable information";
  const VersionNode* strings = Child(root, L"StringFileInfo");
  ASSERT_NE(nullptr, strings);
  ASSERT_EQ(1u, strings->children.size()) << "one string table";
  const VersionNode& table = strings->children[0];
  EXPECT_EQ(std::wstring(L"041203b5"), table.key) << "Korean, code page 949";

  const std::map<std::wstring, std::wstring> expected = {
      {L"CompanyName", L"쿠델"},       {L"FileDescription", L"쿠델"},      {L"FileVersion", L"2010.12.1.2"},
      {L"InternalName", L"Tarvolin.exe"}, {L"OriginalFilename", L"Tarvolin.exe"}, {L"ProductName", L"쿠델"},
      {L"ProductVersion", L"2010.12.1.2"}};
  std::map<std::wstring, std::wstring> actual;
  for (const VersionNode& entry : table.children) {
    EXPECT_EQ(1, entry.type) << Describe(entry.key) << " is not text";
    actual[entry.key] = TextValue(entry);
  }
  for (const auto& want : expected) {
    const auto it = actual.find(want.first);
    if (it == actual.end()) {
      ADD_FAILURE() << "missing " << Describe(want.first);
      continue;
    }
    EXPECT_EQ(want.second, it->second) << Describe(want.first) << " is " << Describe(it->second);
  }
  ASSERT_EQ(1u, actual.count(L"LegalCopyright")) << "no legal notice";
  EXPECT_FALSE(actual[L"LegalCopyright"].empty()) << "empty legal notice";
  EXPECT_EQ(8u, table.children.size()) << "the seven entries and the legal notice, nothing else";

  const VersionNode* variables = Child(root, L"VarFileInfo");
  ASSERT_NE(nullptr, variables);
  ASSERT_EQ(1u, variables->children.size());
  const VersionNode& translation = variables->children[0];
  EXPECT_EQ(std::wstring(L"Translation"), translation.key);
  EXPECT_EQ(0, translation.type);
  const std::vector<uint8_t> korean949 = {0x12, 0x04, 0xB5, 0x03};  // language 0x0412, code page 949
  EXPECT_EQ(korean949, translation.value);
}

// ---------------------------------------------------------------------------------------------
// Manifest

// The markup as a list of tags ("name attr=value ... /" with attributes sorted, "/name" for end
// tags); text between tags is listed as "text: ...". Comments are left out.
std::vector<std::string> Tags(const std::string& xml, std::string* declaration) {
  std::vector<std::string> tags;
  size_t at = 0;
  for (;;) {
    const size_t open = xml.find('<', at);
    const std::string between = xml.substr(at, open == std::string::npos ? std::string::npos : open - at);
    if (between.find_first_not_of(" \t\r\n") != std::string::npos) tags.push_back("text: " + between);
    if (open == std::string::npos) break;
    if (xml.compare(open, 4, "<!--") == 0) {
      const size_t close = xml.find("-->", open);
      at = close == std::string::npos ? xml.size() : close + 3;
      continue;
    }
    const size_t close = xml.find('>', open);
    if (close == std::string::npos) {
      tags.push_back("unterminated: " + xml.substr(open));
      break;
    }
    std::string body = xml.substr(open + 1, close - open - 1);
    at = close + 1;
    if (body.size() >= 2 && body.front() == '?' && body.back() == '?') {
      *declaration = body;
      continue;
    }
    bool selfClosing = !body.empty() && body.back() == '/';
    if (selfClosing) body.pop_back();
    // name, then name="value" pairs
    std::vector<std::string> parts;
    size_t p = 0;
    const size_t nameEnd = body.find_first_of(" \t\r\n");
    const std::string name = body.substr(0, nameEnd);
    p = nameEnd == std::string::npos ? body.size() : nameEnd;
    while (p < body.size()) {
      p = body.find_first_not_of(" \t\r\n", p);
      if (p == std::string::npos) break;
      const size_t eq = body.find('=', p);
      const size_t quote = eq == std::string::npos ? std::string::npos : body.find_first_of("\"'", eq);
      const size_t endQuote = quote == std::string::npos ? std::string::npos : body.find(body[quote], quote + 1);
      if (endQuote == std::string::npos) {
        parts.push_back("malformed: " + body.substr(p));
        break;
      }
      std::string attrName = body.substr(p, eq - p);
      attrName.erase(attrName.find_last_not_of(" \t\r\n") + 1);
      parts.push_back(attrName + "=" + body.substr(quote + 1, endQuote - quote - 1));
      p = endQuote + 1;
    }
    std::sort(parts.begin(), parts.end());
    std::string tag = name;
    for (const std::string& part : parts) tag += " " + part;
    if (selfClosing) tag += " /";
    tags.push_back(tag);
  }
  return tags;
}

TEST_F(ProgramResources, ManifestRequestsAsInvokerAndNothingElse) {
  EXPECT_TRUE(s_file->Data(RT_MANIFEST, 1, kKorean).empty()) << "a Korean manifest";
  const std::vector<uint8_t> bytes = Load(RT_MANIFEST, 1, kEnglishUs);
  ASSERT_FALSE(bytes.empty());
  const std::string xml(bytes.begin(), bytes.end());
  EXPECT_NE(0, xml.compare(0, 3, "\xEF\xBB\xBF")) << "byte order mark";

  std::string declaration;
  const std::vector<std::string> tags = Tags(xml, &declaration);
  EXPECT_NE(std::string::npos, declaration.find("encoding=\"UTF-8\"")) << "declaration: " << declaration;
  const std::vector<std::string> expected = {
      "assembly manifestVersion=1.0 xmlns=urn:schemas-microsoft-com:asm.v1",
      "trustInfo xmlns=urn:schemas-microsoft-com:asm.v3",
      "security",
      "requestedPrivileges",
      "requestedExecutionLevel level=asInvoker uiAccess=false /",
      "/requestedPrivileges",
      "/security",
      "/trustInfo",
      "/assembly",
  };
  EXPECT_EQ(expected, tags);
  EXPECT_EQ(std::string::npos, xml.find("dependency")) << "the manifest declares a dependent assembly";

  // The platform accepts it as the program's activation context.
  const std::string path = ShippedProgramPath();
  ACTCTXA context = {};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = path.c_str();
  context.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE handle = CreateActCtxA(&context);
  EXPECT_NE(INVALID_HANDLE_VALUE, handle) << "error " << GetLastError();
  if (handle != INVALID_HANDLE_VALUE) ReleaseActCtx(handle);
}

}  // namespace
