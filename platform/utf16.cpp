#include "platform/utf16.h"

#include <cstdint>

namespace zor {

namespace {

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The character of the UTF-8 sequence at text[pos] and its length. Encoded surrogates count as
// characters, as Utf16ToUtf8 writes a lone one that way.
uint32_t NextUtf8Lenient(std::string_view text, size_t pos, size_t& length) {
  const uint8_t lead = static_cast<uint8_t>(text[pos]);
  length = 1;
  size_t count = 0;
  uint32_t code = 0, least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 1, code = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 2, code = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 3, code = lead & 0x07, least = 0x10000;
  } else {
    return lead;
  }
  if (text.size() - pos <= count) return lead;
  for (size_t i = 1; i <= count; ++i) {
    const uint8_t next = static_cast<uint8_t>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return lead;
    code = code << 6 | (next & 0x3F);
  }
  if (code < least || code > 0x10FFFF) return lead;
  length = count + 1;
  return code;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    size_t length = 1;
    const uint32_t code = NextUtf8Lenient(text, pos, length);
    if (code >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(code);
    }
    pos += length;
  }
  return units;
}

std::string Utf16ToUtf8(std::u16string_view units) {
  std::string text;
  text.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t code = units[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
      ++i;
    }
    AppendUtf8(text, code);
  }
  return text;
}

}  // namespace zor
