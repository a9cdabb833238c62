#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/user_locale.h"

namespace zor {

// From LC_ALL, LC_NUMERIC or LANG as a program started with setlocale(LC_NUMERIC, "") would see
// it, without changing this program's own locale (its number formatting stays ".").
char UserDecimalMark() {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string kept = previous ? previous : "C";
  char mark = '.';
  if (std::setlocale(LC_NUMERIC, "")) {
    const std::lconv* conv = std::localeconv();
    if (conv && conv->decimal_point && conv->decimal_point[0]) mark = conv->decimal_point[0];
  }
  std::setlocale(LC_NUMERIC, kept.c_str());
  return mark;
}

}  // namespace zor
