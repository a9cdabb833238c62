#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/board/board_file.h"

namespace zor::sim {

struct BoardFile::Impl {
  void* view = nullptr;
};

BoardFile::BoardFile() : m_impl(new Impl) {}

BoardFile::~BoardFile() {
  if (m_impl->view) munmap(m_impl->view, kBoardFileSize);
  delete m_impl;
}

bool BoardFile::Map(const std::string& path) {
  if (m_impl->view) return true;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat info = {};
  bool ok = fstat(fd, &info) == 0;
  if (ok && info.st_size != static_cast<off_t>(kBoardFileSize)) {
    ok = ftruncate(fd, kBoardFileSize) == 0;
  }
  if (ok) {
    void* view = mmap(nullptr, kBoardFileSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view != MAP_FAILED) m_impl->view = view;
  }
  close(fd);
  return m_impl->view != nullptr;
}

BoardState* BoardFile::State() const { return static_cast<BoardState*>(m_impl->view); }

}  // namespace zor::sim
