#include "platform/win32/object_security.h"

#include <cstdlib>

namespace zor {

ObjectSecurity::ObjectSecurity(ObjectAccess access) {
  if (!InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION)) return;
  const bool described =
      access == ObjectAccess::kEveryone
          ? SetSecurityDescriptorDacl(&m_descriptor, TRUE, nullptr, FALSE) != FALSE
          : RestrictToSystemAndAdministrators();
  if (!described) return;
  m_attributes = {sizeof m_attributes, &m_descriptor, FALSE};
  m_valid = true;
}

ObjectSecurity::~ObjectSecurity() {
  std::free(m_acl);
  if (m_system) FreeSid(m_system);
  if (m_administrators) FreeSid(m_administrators);
}

// Built from well-known SIDs with calls every NT since 4.0 has (no SDDL, which Windows 2000 reads
// differently for some aliases).
bool ObjectSecurity::RestrictToSystemAndAdministrators() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &m_system))
    return false;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, &m_administrators))
    return false;
  const DWORD size = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) +
                     GetLengthSid(m_system) + GetLengthSid(m_administrators);
  m_acl = static_cast<ACL*>(std::calloc(1, size));
  return m_acl && InitializeAcl(m_acl, size, ACL_REVISION) &&
         AddAccessAllowedAce(m_acl, ACL_REVISION, GENERIC_ALL, m_system) &&
         AddAccessAllowedAce(m_acl, ACL_REVISION, GENERIC_ALL, m_administrators) &&
         SetSecurityDescriptorDacl(&m_descriptor, TRUE, m_acl, FALSE);
}

}  // namespace zor
