#include "common/info_store.h"

#include <cstdint>

#include "common/info_format.h"
#include "common/info_lock.h"
#include "platform/atomic_file.h"
#include "platform/named_mutex.h"

namespace zor {

namespace {

// Long enough for any healthy holder (a write takes milliseconds), short enough that a hung
// process cannot freeze the other program's window.
constexpr uint32_t kLockWaitMs = 2000;

std::string CutDefault(std::string_view def, size_t capacity) {
  def = TrimDefault(def);
  return capacity == 0 ? std::string() : std::string(def.substr(0, capacity - 1));
}

// The file's content, read at most once per locked call and kept up to date by its own writes.
class LockedFile : public InfoFile {
 public:
  explicit LockedFile(const std::string& path) : m_path(path) {}

  std::string Read(std::string_view section, std::string_view key, std::string_view def,
                   size_t capacity) override {
    if (!Load()) return CutDefault(def, capacity);
    const auto value = FindProfileValue(m_content, section, key);
    return value ? CutProfileValue(*value, capacity) : CutDefault(def, capacity);
  }

  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    if (!IsWritableEntry(section, key, value)) return false;
    // An unreadable file is left alone: rewriting it from nothing would lose every other key.
    if (!Load() && !m_missing) return false;
    std::string changed = SetProfileValue(m_content, section, key, value);
    if (!m_missing && changed == m_content) return true;
    if (!ReplaceWholeFile(ResolveFileNameCase(m_path), changed)) {
      m_loaded = false;
      return false;
    }
    m_content = std::move(changed);
    m_missing = false;
    return true;
  }

 private:
  // True when the content is known; m_missing tells a missing file from a failed read.
  bool Load() {
    if (!m_loaded) {
      const FileRead result = ReadWholeFile(ResolveFileNameCase(m_path), m_content);
      m_missing = result == FileRead::Missing;
      m_loaded = result == FileRead::Ok;
      if (m_missing) m_content.clear();
    }
    return m_loaded;
  }

  const std::string& m_path;
  std::string m_content;
  bool m_loaded = false;
  bool m_missing = false;
};

}  // namespace

struct InfoStore::Impl {
  explicit Impl(std::string p) : path(std::move(p)), mutex(InfoLockName(path)) {}
  std::string path;
  NamedMutex mutex;
};

InfoStore::InfoStore(std::string path) : m_impl(new Impl(std::move(path))) {}

InfoStore::~InfoStore() { delete m_impl; }

const std::string& InfoStore::Path() const { return m_impl->path; }

// A single read or write goes ahead even when the lock stays busy: the file is only ever replaced
// whole, so it cannot be seen torn, and a stuck holder must not stall the caller.
std::string InfoStore::Read(std::string_view section, std::string_view key, std::string_view def,
                            size_t capacity) {
  NamedMutexLock lock(m_impl->mutex, kLockWaitMs);
  LockedFile file(m_impl->path);
  return file.Read(section, key, def, capacity);
}

bool InfoStore::Write(std::string_view section, std::string_view key, std::string_view value) {
  NamedMutexLock lock(m_impl->mutex, kLockWaitMs);
  LockedFile file(m_impl->path);
  return file.Write(section, key, value);
}

// A transaction needs the lock: when it stays busy the body does not run and the caller tries again
// at its next cycle.
bool InfoStore::Update(const std::function<void(InfoFile&)>& body) {
  NamedMutexLock lock(m_impl->mutex, kLockWaitMs);
  if (!lock.Held()) return false;
  LockedFile file(m_impl->path);
  body(file);
  return true;
}

}  // namespace zor
