#include "platform/code_page.h"
#include "platform/utf16.h"

namespace zor {

namespace {

class Utf8CodePage : public CodePage {
 public:
  std::string FromUtf16(std::u16string_view text) const override { return Utf16ToUtf8(text); }
  std::u16string ToUtf16(std::string_view bytes) const override { return Utf8ToUtf16(bytes); }
};

}  // namespace

const CodePage& AnsiCodePage() {
  static const Utf8CodePage page;
  return page;
}

}  // namespace zor
