#include <windows.h>

#include "platform/file_ops.h"

namespace zor {

namespace {

class Win32FileOps : public FileOps {
 public:
  FileRead Read(const std::string& path, std::string& content) override { return ReadWholeFile(path, content); }

  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool WriteFlushed(const std::string& path, std::string_view content) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < content.size()) {
      DWORD wrote = 0;
      const size_t left = content.size() - done;
      const DWORD chunk = static_cast<DWORD>(left > (1u << 20) ? (1u << 20) : left);
      ok = WriteFile(file, content.data() + done, chunk, &wrote, nullptr) && wrote > 0;
      done += wrote;
    }
    ok = ok && FlushFileBuffers(file);
    return CloseHandle(file) && ok;
  }

  bool Move(const std::string& from, const std::string& to, bool replace) override {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExA(from.c_str(), to.c_str(), flags) != FALSE;
  }

  bool Remove(const std::string& path) override {
    if (DeleteFileA(path.c_str())) return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
};

}  // namespace

FileOps& SystemFileOps() {
  static Win32FileOps ops;
  return ops;
}

}  // namespace zor
