#include <windows.h>

#include "platform/registry.h"

namespace zor {

namespace {

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(HKEY key) : m_key(key) {}
  ~Win32Key() override { RegCloseKey(m_key); }

  long Query(const std::string& name, size_t capacity, uint32_t* type,
             std::vector<uint8_t>* data) override {
    data->assign(capacity, 0);
    DWORD size = static_cast<DWORD>(capacity);
    DWORD kind = 0;
    const LONG result = RegQueryValueExA(m_key, name.c_str(), nullptr, &kind, data->data(), &size);
    if (result != ERROR_SUCCESS) {
      data->clear();
      return result;
    }
    data->resize(size);
    *type = kind;
    return ERROR_SUCCESS;
  }

  long Set(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) override {
    return RegSetValueExA(m_key, name.c_str(), 0, type, data.data(),
                          static_cast<DWORD>(data.size()));
  }

 private:
  HKEY m_key;
};

class Win32Registry : public Registry {
 public:
  long Open(RegRoot root, const std::string& path, RegAccess access,
            std::unique_ptr<RegistryKey>* key) override {
    const HKEY base = root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const REGSAM sam = (access == RegAccess::Read ? KEY_READ : KEY_ALL_ACCESS) | KEY_WOW64_32KEY;
    HKEY handle = nullptr;
    const LONG result = RegOpenKeyExA(base, path.c_str(), 0, sam, &handle);
    if (result != ERROR_SUCCESS) return result;
    *key = std::make_unique<Win32Key>(handle);
    return ERROR_SUCCESS;
  }
};

}  // namespace

Registry& SystemRegistry() {
  static Win32Registry registry;
  return registry;
}

}  // namespace zor
