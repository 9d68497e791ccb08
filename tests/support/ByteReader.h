// Reads little-endian fields from a block of bytes, as resource data is laid out. Reading past the
// end yields zeros and clears ok(), so a truncated block shows up as a failed check, not a crash.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <iosfwd>
#include <string>
#include <vector>

namespace tarvolin_test {

// A string-or-ordinal field of a dialog template (menu, class, title, control text).
struct NameOrOrdinal {
  bool isOrdinal = false;
  uint16_t ordinal = 0;
  std::wstring text;

  static NameOrOrdinal Ordinal(uint16_t value) { return {true, value, {}}; }
  static NameOrOrdinal Text(const std::wstring& value) { return {false, 0, value}; }
  bool operator==(const NameOrOrdinal& other) const {
    return isOrdinal == other.isOrdinal && (isOrdinal ? ordinal == other.ordinal : text == other.text);
  }
};

// Printable form for failure messages (texts as \uXXXX beyond ASCII).
std::string Describe(const NameOrOrdinal& value);
std::string Describe(const std::wstring& text);
// How GoogleTest prints a NameOrOrdinal in a failure message.
void PrintTo(const NameOrOrdinal& value, std::ostream* out);

class ByteReader {
 public:
  explicit ByteReader(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}

  uint8_t U8() { return static_cast<uint8_t>(Take(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
  int16_t S16() { return static_cast<int16_t>(U16()); }
  int32_t S32() { return static_cast<int32_t>(U32()); }
  uint32_t U32BigEndian();
  // A zero-terminated UTF-16 string.
  std::wstring WideString();
  // 0x0000: empty; 0xFFFF then a 16-bit ordinal; otherwise a zero-terminated UTF-16 string.
  NameOrOrdinal ReadNameOrOrdinal();
  std::vector<uint8_t> Bytes(size_t count);
  // Moves to the next multiple of `boundary` counted from the start of the block.
  void Align(size_t boundary);
  void Seek(size_t offset);

  size_t Offset() const { return m_offset; }
  size_t Size() const { return m_bytes.size(); }
  size_t Remaining() const { return m_offset < m_bytes.size() ? m_bytes.size() - m_offset : 0; }
  bool ok() const { return m_ok; }

 private:
  uint32_t Take(size_t count);

  const std::vector<uint8_t>& m_bytes;
  size_t m_offset = 0;
  bool m_ok = true;
};

}  // namespace tarvolin_test
