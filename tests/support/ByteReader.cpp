#include "ByteReader.h"

#include <stdio.h>

#include <ostream>

namespace tarvolin_test {

std::string Describe(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
      out += escaped;
    }
  }
  return out + "\"";
}

std::string Describe(const NameOrOrdinal& value) {
  if (!value.isOrdinal) return Describe(value.text);
  char text[24];
  snprintf(text, sizeof text, "ordinal 0x%04X", static_cast<unsigned>(value.ordinal));
  return text;
}

void PrintTo(const NameOrOrdinal& value, std::ostream* out) { *out << Describe(value); }

uint32_t ByteReader::Take(size_t count) {
  if (Remaining() < count) {
    m_ok = false;
    m_offset = m_bytes.size();
    return 0;
  }
  uint32_t value = 0;
  for (size_t i = 0; i < count; ++i) value |= static_cast<uint32_t>(m_bytes[m_offset + i]) << (8 * i);
  m_offset += count;
  return value;
}

uint32_t ByteReader::U32BigEndian() {
  const uint32_t little = U32();
  return (little >> 24) | ((little >> 8) & 0xFF00) | ((little << 8) & 0xFF0000) | (little << 24);
}

std::wstring ByteReader::WideString() {
  std::wstring text;
  for (;;) {
    const uint16_t c = U16();
    if (c == 0 || !m_ok) return text;
    text += static_cast<wchar_t>(c);
  }
}

NameOrOrdinal ByteReader::ReadNameOrOrdinal() {
  const size_t start = m_offset;
  const uint16_t first = U16();
  if (first == 0xFFFF) return NameOrOrdinal::Ordinal(U16());
  if (first == 0) return NameOrOrdinal::Text(L"");
  m_offset = start;
  return NameOrOrdinal::Text(WideString());
}

std::vector<uint8_t> ByteReader::Bytes(size_t count) {
  if (Remaining() < count) {
    m_ok = false;
    m_offset = m_bytes.size();
    return {};
  }
  std::vector<uint8_t> out(m_bytes.begin() + static_cast<ptrdiff_t>(m_offset),
                           m_bytes.begin() + static_cast<ptrdiff_t>(m_offset + count));
  m_offset += count;
  return out;
}

void ByteReader::Align(size_t boundary) {
  const size_t aligned = (m_offset + boundary - 1) / boundary * boundary;
  if (aligned > m_bytes.size()) {
    m_offset = m_bytes.size();  // padding at the very end may be left out
    return;
  }
  m_offset = aligned;
}

void ByteReader::Seek(size_t offset) {
  if (offset > m_bytes.size()) {
    m_ok = false;
    offset = m_bytes.size();
  }
  m_offset = offset;
}

}  // namespace tarvolin_test
