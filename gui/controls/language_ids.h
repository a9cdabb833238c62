// The system languages (GetSystemDefaultLangID) that have skins of their own; every other
// language gets the English ones.
#pragma once

namespace zor {

constexpr unsigned kLangTraditionalChinese = 0x0404;  // 1028
constexpr unsigned kLangSimplifiedChinese = 0x0804;   // 2052

}  // namespace zor
