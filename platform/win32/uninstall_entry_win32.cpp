#include <windows.h>

#include "platform/uninstall_entry.h"

namespace zor {
namespace {

class RegistryVersionListing : public VersionListing {
 public:
  bool Record(const std::string& version) override {
    HKEY key = nullptr;
    // Opened, never created; no view flag, so the programs' own view, as the setup wrote it.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    const LONG set = RegSetValueExA(key, "DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                                    static_cast<DWORD>(version.size() + 1));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
  }
};

}  // namespace

VersionListing& SystemVersionListing() {
  static RegistryVersionListing listing;
  return listing;
}

}  // namespace zor
