// The name of the cross-process lock that guards one INFO.DAT.
#pragma once

#include <string>

namespace zor {

// The same for every spelling of the path that differs only in letter case or separators, so the
// GUI's "Info.dat" and the service's "INFO.DAT" share one lock.
std::string InfoLockName(const std::string& path);

}  // namespace zor
