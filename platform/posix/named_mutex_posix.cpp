#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/named_mutex.h"

namespace zor {

// A lock file per name under /tmp. flock() excludes other processes and other descriptors of this
// one; the in-process mutex keeps two threads sharing one NamedMutex apart. The kernel drops the
// lock of a process that dies, which is the abandoned case.
struct NamedMutex::Impl {
  int fd = -1;
  std::timed_mutex local;
};

namespace {

std::string LockFilePath(const std::string& name) {
  std::string file = "/tmp/zorwise-lock-";
  for (char c : name) file += (c == '/' || c == '\\') ? '_' : c;
  return file;
}

}  // namespace

// Natively every test runs as one account: the access is not modelled.
NamedMutex::NamedMutex(const std::string& name, ObjectAccess) : m_impl(new Impl) {
  m_impl->fd = open(LockFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

NamedMutex::~NamedMutex() {
  if (m_impl->fd >= 0) close(m_impl->fd);
  delete m_impl;
}

bool NamedMutex::Valid() const { return m_impl->fd >= 0; }

bool NamedMutex::Lock(uint32_t timeoutMs) {
  if (m_impl->fd < 0) return false;
  using Clock = std::chrono::steady_clock;
  const bool forever = timeoutMs == kInfinite;
  const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
  if (forever) {
    m_impl->local.lock();
  } else if (!m_impl->local.try_lock_until(deadline)) {
    return false;
  }
  for (;;) {
    if (flock(m_impl->fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    if (!forever && Clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  m_impl->local.unlock();
  return false;
}

void NamedMutex::Unlock() {
  flock(m_impl->fd, LOCK_UN);
  m_impl->local.unlock();
}

}  // namespace zor
