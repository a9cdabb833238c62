// A single-byte ANSI code page as Western Windows systems have one: the first 256 characters are
// bytes of their own number, any other becomes '?'.
#pragma once

#include "platform/code_page.h"

namespace zor::test {

class Latin1CodePage : public CodePage {
 public:
  std::string FromUtf16(std::u16string_view text) const override {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
      bytes += text[i] < 0x100 ? static_cast<char>(text[i]) : '?';
      // A surrogate pair is one character.
      if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        ++i;
      }
    }
    return bytes;
  }
  std::u16string ToUtf16(std::string_view bytes) const override {
    std::u16string text;
    for (char byte : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(byte));
    return text;
  }
};

}  // namespace zor::test
