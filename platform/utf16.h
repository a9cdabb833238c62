// UTF-8 and UTF-16 text, converted without loss: a lone surrogate keeps its own three-byte form in
// UTF-8, and a byte that starts no complete, shortest UTF-8 sequence stands for the character of
// its own number.
#pragma once

#include <string>
#include <string_view>

namespace zor {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace zor
