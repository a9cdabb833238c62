// The system's ANSI code page: the bytes through which the platform's "A" functions pass text. A
// profile read of a UTF-16 INFO.DAT gives its values in it, and takes names and values in it.
#pragma once

#include <string>
#include <string_view>

namespace zor {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // Characters the page lacks become what the platform makes of them (a best fit, or '?').
  virtual std::string FromUtf16(std::u16string_view text) const = 0;
  virtual std::u16string ToUtf16(std::string_view bytes) const = 0;
};

// The ANSI code page of this system; on Linux, whose programs speak UTF-8, that is UTF-8.
const CodePage& AnsiCodePage();

}  // namespace zor
