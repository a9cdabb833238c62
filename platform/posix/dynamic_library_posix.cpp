#include <dlfcn.h>

#include "platform/dynamic_library.h"

namespace zor {

namespace {

class PosixLibrary : public DynamicLibrary {
 public:
  explicit PosixLibrary(void* handle) : m_handle(handle) {}
  ~PosixLibrary() override { dlclose(m_handle); }
  PosixLibrary(const PosixLibrary&) = delete;
  PosixLibrary& operator=(const PosixLibrary&) = delete;

  EntryAddress Find(const char* name) const override {
    return reinterpret_cast<EntryAddress>(dlsym(m_handle, name));
  }

 private:
  void* m_handle;
};

}  // namespace

std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(const std::string& fullPath) {
  // dlopen searches the library path for a bare name; only absolute paths are taken.
  if (fullPath.empty() || fullPath[0] != '/') return nullptr;
  void* handle = dlopen(fullPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  return std::make_unique<PosixLibrary>(handle);
}

std::string SystemLibraryDirectory() { return "/usr/lib"; }

}  // namespace zor
