#include "platform/file_version.h"

namespace zor {

// Native programs carry no version resource.
std::string ProgramFileVersion() { return std::string(); }

}  // namespace zor
