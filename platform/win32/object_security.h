// The security attributes of a named kernel object for an ObjectAccess: a NULL DACL for everyone,
// or a DACL that grants SYSTEM and the Administrators group full access and nobody else any.
#pragma once

#include <windows.h>

#include "platform/object_access.h"

namespace zor {

class ObjectSecurity {
 public:
  explicit ObjectSecurity(ObjectAccess access);
  ~ObjectSecurity();
  ObjectSecurity(const ObjectSecurity&) = delete;
  ObjectSecurity& operator=(const ObjectSecurity&) = delete;

  // The attributes to pass on creation; null (the default security of the creator) when they could
  // not be made.
  SECURITY_ATTRIBUTES* Attributes() { return m_valid ? &m_attributes : nullptr; }

 private:
  bool RestrictToSystemAndAdministrators();

  SECURITY_DESCRIPTOR m_descriptor{};
  SECURITY_ATTRIBUTES m_attributes{};
  PSID m_system = nullptr;
  PSID m_administrators = nullptr;
  ACL* m_acl = nullptr;
  bool m_valid = false;
};

}  // namespace zor
