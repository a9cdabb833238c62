#include <windows.h>

#include "platform/dynamic_library.h"

namespace zor {

namespace {

class Win32Library : public DynamicLibrary {
 public:
  explicit Win32Library(HMODULE module) : m_module(module) {}
  ~Win32Library() override { FreeLibrary(m_module); }
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  EntryAddress Find(const char* name) const override {
    return reinterpret_cast<EntryAddress>(GetProcAddress(m_module, name));
  }

 private:
  HMODULE m_module;
};

}  // namespace

std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(const std::string& fullPath) {
  // A relative name would make LoadLibrary search the current directory and PATH.
  const bool absolute = fullPath.size() > 2 &&
                        ((fullPath[1] == ':' && (fullPath[2] == '\\' || fullPath[2] == '/')) ||
                         (fullPath[0] == '\\' && fullPath[1] == '\\'));
  if (!absolute) return nullptr;
  // Altered search path: the library's own dependencies are looked up beside it, not in the
  // current directory.
  HMODULE module = LoadLibraryExA(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) return nullptr;
  return std::make_unique<Win32Library>(module);
}

std::string SystemLibraryDirectory() {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(buffer, length);
}

}  // namespace zor
