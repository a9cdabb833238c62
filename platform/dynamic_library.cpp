#include "platform/dynamic_library.h"

#include "platform/program_paths.h"

namespace zor {

std::unique_ptr<DynamicLibrary> LoadFromDirectories(const std::string& name,
                                                    const std::vector<std::string>& directories,
                                                    const LibraryLoader& loader,
                                                    std::string* loadedPath) {
  for (const std::string& dir : directories) {
    if (dir.empty()) continue;
    const std::string path = JoinPath(dir, name);
    std::unique_ptr<DynamicLibrary> library = loader(path);
    if (!library) continue;
    if (loadedPath) *loadedPath = path;
    return library;
  }
  return nullptr;
}

}  // namespace zor
