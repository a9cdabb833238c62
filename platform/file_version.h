// The version a program file carries in its version resource, so a program names the version that
// runs rather than the one it was first installed as.
#pragma once

#include <string>

namespace zor {

// "major.minor" of this program's file version; "" when it carries none or it cannot be read.
std::string ProgramFileVersion();

}  // namespace zor
