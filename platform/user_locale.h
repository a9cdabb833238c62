// The user's number format, for files a spreadsheet in the user's language opens as they are.
#pragma once

namespace zor {

// The character the user's locale writes between a number's whole part and its fraction.
char UserDecimalMark();

}  // namespace zor
