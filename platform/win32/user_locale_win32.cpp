#include <windows.h>

#include "platform/user_locale.h"

namespace zor {

char UserDecimalMark() {
  char mark[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, mark, sizeof mark) <= 1) return '.';
  return mark[0];
}

}  // namespace zor
