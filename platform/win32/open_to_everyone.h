// Security attributes with a NULL DACL, so every account can open a named object: the service runs
// as SYSTEM and zor2 as the user, and both must share the same locks and memory.
#pragma once

#include <windows.h>

namespace zor {

class OpenToEveryone {
 public:
  OpenToEveryone() {
    if (InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorDacl(&m_descriptor, TRUE, nullptr, FALSE)) {
      m_attributes = {sizeof m_attributes, &m_descriptor, FALSE};
      m_valid = true;
    }
  }
  OpenToEveryone(const OpenToEveryone&) = delete;
  OpenToEveryone& operator=(const OpenToEveryone&) = delete;

  // The attributes to pass on creation; null (the default security) when they could not be made.
  SECURITY_ATTRIBUTES* Attributes() { return m_valid ? &m_attributes : nullptr; }

 private:
  SECURITY_DESCRIPTOR m_descriptor{};
  SECURITY_ATTRIBUTES m_attributes{};
  bool m_valid = false;
};

}  // namespace zor
