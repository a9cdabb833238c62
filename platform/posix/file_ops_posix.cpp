#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_ops.h"

namespace zor {

namespace {

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename or removal is durable only once its directory is.
bool SyncDirectoryOf(const std::string& path) {
  const int fd = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  close(fd);
  return synced;
}

class PosixFileOps : public FileOps {
 public:
  FileRead Read(const std::string& path, std::string& content) override { return ReadWholeFile(path, content); }

  bool Exists(const std::string& path) override {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
  }

  bool WriteFlushed(const std::string& path, std::string_view content) override {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < content.size()) {
      const ssize_t n = write(fd, content.data() + done, content.size() - done);
      if (n < 0 && errno == EINTR) continue;
      ok = n > 0;
      if (ok) done += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    return close(fd) == 0 && ok && SyncDirectoryOf(path);
  }

  bool Move(const std::string& from, const std::string& to, bool replace) override {
    if (!replace && Exists(to)) return false;
    return std::rename(from.c_str(), to.c_str()) == 0 && SyncDirectoryOf(to);
  }

  bool Remove(const std::string& path) override {
    if (unlink(path.c_str()) != 0) return errno == ENOENT;
    return SyncDirectoryOf(path);
  }
};

}  // namespace

FileOps& SystemFileOps() {
  static PosixFileOps ops;
  return ops;
}

}  // namespace zor
