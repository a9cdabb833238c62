#include <windows.h>

#include "platform/code_page.h"

namespace zor {

namespace {

class Win32AnsiCodePage : public CodePage {
 public:
  std::string FromUtf16(std::u16string_view text) const override {
    if (text.empty()) return std::string();
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, units, &bytes[0], length, nullptr, nullptr);
    return bytes;
  }
  std::u16string ToUtf16(std::string_view bytes) const override {
    if (bytes.empty()) return std::u16string();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::u16string();
    std::u16string text(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(&text[0]), length);
    return text;
  }
};

}  // namespace

const CodePage& AnsiCodePage() {
  static const Win32AnsiCodePage page;
  return page;
}

}  // namespace zor
