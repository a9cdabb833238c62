#include "platform/uninstall_entry.h"

namespace zor {

// No uninstall entries natively.
bool RecordInstalledVersion(const std::string& /*version*/) { return false; }

}  // namespace zor
