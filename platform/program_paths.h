// Where the running program lives. Both programs keep their files (INFO.DAT, Satae.log) and find
// their libraries (hwk.dll, skins) in their own directory, never the current one.
#pragma once

#include <string>

namespace zor {

// The full path of this program's executable ("" when the system cannot tell).
std::string ProgramPath();

// ProgramPath without its last element, and without a trailing separator.
std::string ProgramDirectory();

// dir joined with name by the platform's separator.
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace zor
