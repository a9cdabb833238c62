// A folder's owner and access list, read on Windows 2000 and later.
#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "apps/updexe/folder_access.h"

namespace zor {

namespace {

// Rights that change what the folder holds or who may change it, on it or on the files in it.
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                      FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                      GENERIC_ALL;

class TrustedAccounts {
 public:
  TrustedAccounts() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY creator = SECURITY_CREATOR_SID_AUTHORITY;
    PSID sid = nullptr;
    if (AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &sid)) m_allocated.push_back(sid);
    if (AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &sid)) {
      m_allocated.push_back(sid);
    }
    // Whoever creates a file there owns it: the creator already had the right to.
    if (AllocateAndInitializeSid(&creator, 1, SECURITY_CREATOR_OWNER_RID, 0, 0, 0, 0, 0, 0, 0, &sid)) {
      m_allocated.push_back(sid);
    }
    // The running account: Updexe runs as an administrator.
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
      DWORD size = 0;
      GetTokenInformation(token, TokenUser, nullptr, 0, &size);
      m_user.resize(size);
      if (size == 0 || !GetTokenInformation(token, TokenUser, m_user.data(), size, &size)) m_user.clear();
      CloseHandle(token);
    }
  }
  ~TrustedAccounts() {
    for (PSID sid : m_allocated) FreeSid(sid);
  }
  TrustedAccounts(const TrustedAccounts&) = delete;
  TrustedAccounts& operator=(const TrustedAccounts&) = delete;

  bool Trusted(PSID sid) const {
    for (PSID trusted : m_allocated) {
      if (EqualSid(sid, trusted)) return true;
    }
    return !m_user.empty() && EqualSid(sid, reinterpret_cast<const TOKEN_USER*>(m_user.data())->User.Sid);
  }

 private:
  std::vector<PSID> m_allocated;
  std::vector<BYTE> m_user;
};

class Win32FolderAccess : public FolderAccess {
 public:
  bool OthersMayWrite(const std::string& folder, bool* othersMayWrite) override {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
      return false;
    }
    const TrustedAccounts trusted;
    // No access list at all lets everyone in; an owner may always rewrite the list.
    bool others = !dacl || !owner || !trusted.Trusted(owner);
    for (DWORD i = 0; !others && i < dacl->AceCount; ++i) {
      void* entry = nullptr;
      if (!GetAce(dacl, i, &entry)) {
        others = true;
        break;
      }
      const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
      if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
      const ACCESS_ALLOWED_ACE* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
      if ((allowed->Mask & kChangeRights) != 0 && !trusted.Trusted(const_cast<DWORD*>(&allowed->SidStart))) {
        others = true;
      }
    }
    LocalFree(descriptor);
    *othersMayWrite = others;
    return true;
  }
};

}  // namespace

FolderAccess& SystemFolderAccess() {
  static Win32FolderAccess access;
  return access;
}

}  // namespace zor
