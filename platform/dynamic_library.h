// A loaded code library (a DLL on Windows, a shared object natively). The object owns the module
// handle; the library stays loaded for as long as the object lives.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zor {

// A resolved entry point, before it is given its real type. Generic function-pointer type so the
// cast to the entry's own type is a function-to-function conversion.
using EntryAddress = void (*)();

class DynamicLibrary {
 public:
  virtual ~DynamicLibrary() = default;
  // The exported entry point with this plain name, or nullptr when there is none.
  virtual EntryAddress Find(const char* name) const = 0;
};

// Loads the library at this full path only (no search of the current directory or PATH);
// nullptr when it cannot be loaded.
std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(const std::string& fullPath);

using LibraryLoader = std::function<std::unique_ptr<DynamicLibrary>(const std::string& fullPath)>;

// Loads the library `name` from each directory in turn, by full path; empty directories are
// skipped. The first that loads is the one (`loadedPath` then names it); nullptr when none does.
// Never the current directory or the search path: the programs run with administrator rights.
std::unique_ptr<DynamicLibrary> LoadFromDirectories(const std::string& name,
                                                    const std::vector<std::string>& directories,
                                                    const LibraryLoader& loader,
                                                    std::string* loadedPath = nullptr);

// The system's library directory (Windows: GetSystemDirectory), without a trailing separator;
// "" when there is none.
std::string SystemLibraryDirectory();

}  // namespace zor
