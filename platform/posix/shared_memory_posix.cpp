#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/shared_memory.h"

namespace zor {

struct SharedMemory::Impl {
  void* data = nullptr;
  size_t size = 0;
};

// A file under /tmp beside the lock files; ftruncate only ever grows it, and new bytes read as 0.
SharedMemory::SharedMemory(const std::string& name, size_t size, ObjectAccess) : m_impl(new Impl) {
  std::string path = "/tmp/zorwise-shm-";
  for (char c : name) path += (c == '/' || c == '\\') ? '_' : c;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  fchmod(fd, 0666);  // the other program may run under another account
  struct stat info;
  if (fstat(fd, &info) == 0 &&
      (static_cast<size_t>(info.st_size) >= size || ftruncate(fd, static_cast<off_t>(size)) == 0)) {
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data != MAP_FAILED) {
      m_impl->data = data;
      m_impl->size = size;
    }
  }
  close(fd);
}

SharedMemory::~SharedMemory() {
  if (m_impl->data) munmap(m_impl->data, m_impl->size);
  delete m_impl;
}

void* SharedMemory::Data() const { return m_impl->data; }

}  // namespace zor
