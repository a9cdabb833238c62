#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/atomic_file.h"

namespace zor {

namespace {

bool WriteAll(int fd, std::string_view content) {
  size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporary files are named "<file>.~<process>-<n>.tmp"; one whose process has ended was left by
// a writer killed mid-write and is removed.
void RemoveStaleTemporaries(const std::string& path) {
  const std::string dir = DirectoryOf(path);
  const std::string prefix = NameOf(path) + ".~";
  DIR* listing = opendir(dir.c_str());
  if (!listing) return;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0 || name.size() < prefix.size() + 4 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0) {
      continue;
    }
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid <= 0 || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)) {
      unlink((dir + "/" + name).c_str());
    }
  }
  closedir(listing);
}

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed;
  struct stat info;
  if (fstat(fd, &info) == 0 && info.st_size > 0) content.reserve(static_cast<size_t>(info.st_size));
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return FileRead::Failed;
    }
    content.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return FileRead::Ok;
}

FileWrite ReplaceWholeFile(const std::string& path, std::string_view content) {
  static std::atomic<unsigned> counter{0};
  // A file without write permission stands for one marked read-only: it is not replaced.
  struct stat old;
  const bool exists = stat(path.c_str(), &old) == 0;
  if (exists && (old.st_mode & 0222) == 0) return FileWrite::ReadOnly;
  RemoveStaleTemporaries(path);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".~%ld-%u.tmp", static_cast<long>(getpid()), counter++);
    temp = path + suffix;
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return FileWrite::Failed;
  }
  if (fd < 0) return FileWrite::Failed;
  // The other program may run under another account: keep the old file's permissions.
  if (exists) fchmod(fd, old.st_mode & 07777);
  const bool written = WriteAll(fd, content) && fsync(fd) == 0;
  if (close(fd) != 0 || !written || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return FileWrite::Failed;
  }
  return FileWrite::Ok;
}

FileStamp StampFile(const std::string& path) {
  FileStamp stamp;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.directory = S_ISDIR(info.st_mode);
  stamp.size = static_cast<uint64_t>(info.st_size);
  stamp.modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 10000000 + info.st_mtim.tv_nsec / 100;
  return stamp;
}

int64_t FileClockNow() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 10000000 + now.tv_nsec / 100;
}

std::string ResolveFileNameCase(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) == 0) return path;
  const std::string dir = DirectoryOf(path);
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  DIR* listing = opendir(dir.c_str());
  if (!listing) return path;
  // Several spellings may exist; take the smallest so every process picks the same one.
  std::string best;
  while (const dirent* entry = readdir(listing)) {
    if (strcasecmp(entry->d_name, name.c_str()) != 0) continue;
    if (best.empty() || best > entry->d_name) best = entry->d_name;
  }
  closedir(listing);
  if (best.empty()) return path;
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + best;
}

}  // namespace zor
