#include "common/info_store.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "common/info_format.h"
#include "common/info_lock.h"
#include "platform/atomic_file.h"
#include "platform/utf16.h"
#include "platform/named_mutex.h"
#include "platform/shared_memory.h"

namespace zor {

namespace {

// Long enough for any healthy holder (a write takes milliseconds), short enough that a hung
// process cannot freeze the other program's window.
constexpr uint32_t kLockWaitMs = 2000;
// Once a holder has kept the lock past kLockWaitMs, the store only tries it this long until it
// gets it again, so that a hung or hostile holder cannot slow every access.
constexpr uint32_t kBypassWaitMs = 25;

// A file last written at least this long before it was read cannot change again without getting
// another stamp, whatever the file system's time granularity (FAT's is the coarsest, 2 s).
constexpr int64_t kSettledAge = 2 * 10000000 + 1;

std::string CutDefault(std::string_view def, size_t capacity) {
  def = TrimDefault(def);
  return capacity == 0 ? std::string() : std::string(def.substr(0, capacity - 1));
}

// What reading the file gave.
enum class Loaded { kOk, kMissing, kFailed, kNotAFile, kTooLarge };

// How the file's text is stored, and an odd last byte of a UTF-16 file, which a write keeps.
struct FileForm {
  TextEncoding encoding = TextEncoding::kBytes;
  std::string oddByte;
};

// A name or value as the content of a UTF-16 file holds it (UTF-8), from the code page's bytes the
// programs pass, as the platform's "A" profile functions take them.
std::string FromCodePage(std::string_view text, const CodePage& page) { return Utf16ToUtf8(page.ToUtf16(text)); }

// A value of a UTF-16 file as the platform's "A" profile read gives it: at most capacity - 1
// characters, passed through the code page into capacity - 1 bytes. A character that would not fit
// whole (half a pair, or a double-byte character's lead) is left out rather than cut.
std::string CutToCodePage(std::string_view value, size_t capacity, const CodePage& page) {
  if (capacity == 0) return std::string();
  std::u16string units = Utf8ToUtf16(UnquoteProfileValue(value));
  const auto dropLast = [&units] {
    units.pop_back();
    if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
  };
  if (units.size() > capacity - 1) {
    units.resize(capacity);
    dropLast();
  }
  std::string bytes = page.FromUtf16(units);
  while (bytes.size() > capacity - 1 && !units.empty()) {
    dropLast();
    bytes = page.FromUtf16(units);
  }
  return bytes;
}

std::string Lookup(const std::string& content, const FileForm& form, const CodePage& page, std::string_view section,
                   std::string_view key, std::string_view def, size_t capacity) {
  if (form.encoding == TextEncoding::kBytes) {
    const auto value = FindProfileValue(content, section, key);
    return value ? CutProfileValue(*value, capacity) : CutDefault(def, capacity);
  }
  const auto value = FindProfileValue(content, FromCodePage(section, page), FromCodePage(key, page));
  return value ? CutToCodePage(*value, capacity, page) : CutDefault(def, capacity);
}

// The last content read, reused while nothing can have changed the file: every store that
// replaces the file bumps a counter shared by all processes, and a writer outside the store
// changes the file's stamp (the cache is only kept for a file whose stamp has settled).
struct SharedFile {
  SharedFile(std::string p, const CodePage& page)
      : path(std::move(p)),
        codePage(page),
        mutex(InfoLockName(path), ObjectAccess::kSystemAndAdministrators),
        shared(InfoLockName(path) + "-gen", sizeof(std::atomic<uint32_t>),
               ObjectAccess::kSystemAndAdministrators),
        generation(static_cast<std::atomic<uint32_t>*>(shared.Data())),
        fileName(path) {}

  // The file's stamp, and in name the file it belongs to: on a case-sensitive file system the
  // other program's spelling when only that one exists.
  FileStamp Stamp(std::string& name) {
    {
      std::lock_guard<std::mutex> guard(cacheLock);
      name = fileName;
    }
    FileStamp stamp = StampFile(name);
    if (stamp.exists) return stamp;
    name = ResolveFileNameCase(path);
    stamp = StampFile(name);
    std::lock_guard<std::mutex> guard(cacheLock);
    fileName = name;
    return stamp;
  }

  uint32_t Generation() const { return generation ? generation->load(std::memory_order_acquire) : 0; }

  // Whether the content in the cache is still the file's; the generation is read before the stamp
  // so that a replace finishing in between is noticed on one or the other. Called with cacheLock.
  bool CacheCurrent(uint32_t seen, const FileStamp& stamp) const {
    return cacheValid && generation && cacheGeneration == seen && cacheStamp == stamp;
  }

  // A read answered from the cache, looked up where the content lies rather than copied out.
  bool ReadCached(std::string_view section, std::string_view key, std::string_view def, size_t capacity,
                  std::string& value) {
    const uint32_t seen = Generation();
    std::string name;
    const FileStamp stamp = Stamp(name);
    std::lock_guard<std::mutex> guard(cacheLock);
    if (!CacheCurrent(seen, stamp)) return false;
    value = stamp.exists ? Lookup(*cacheContent, cacheForm, codePage, section, key, def, capacity)
                         : CutDefault(def, capacity);
    return true;
  }

  // Reads the file as text (see DecodeProfileFile), or shares the cache's when it is current.
  // The generation and stamp are taken first, so a change during the read leaves the cache
  // stale-looking rather than wrong. A directory or an oversized file is not read at all.
  Loaded Load(std::shared_ptr<const std::string>& content, FileForm& form) {
    const uint32_t seen = Generation();
    std::string name;
    const FileStamp stamp = Stamp(name);
    {
      std::lock_guard<std::mutex> guard(cacheLock);
      if (CacheCurrent(seen, stamp)) {
        content = cacheContent;
        form = cacheForm;
        return stamp.exists ? Loaded::kOk : Loaded::kMissing;
      }
    }
    if (stamp.directory) return Loaded::kNotAFile;
    if (stamp.size > kMaxInfoFileBytes) return Loaded::kTooLarge;
    std::string bytes;
    const FileRead result = ReadWholeFile(name, bytes);
    if (bytes.size() > kMaxInfoFileBytes) return Loaded::kTooLarge;  // grown since its stamp
    content = std::make_shared<const std::string>(DecodeProfileFile(bytes, form.encoding, &form.oddByte));
    const bool consistent = result == FileRead::Ok ? stamp.exists : result == FileRead::Missing && !stamp.exists;
    std::lock_guard<std::mutex> guard(cacheLock);
    cacheValid = generation && consistent && (!stamp.exists || FileClockNow() - stamp.modified >= kSettledAge);
    if (cacheValid) {
      cacheGeneration = seen;
      cacheStamp = stamp;
      cacheContent = content;
      cacheForm = form;
    }
    switch (result) {
      case FileRead::Ok: return Loaded::kOk;
      case FileRead::Missing: return Loaded::kMissing;
      case FileRead::Failed: break;
    }
    return Loaded::kFailed;
  }

  FileWrite Replace(const std::string& content, const FileForm& form) {
    std::string name;
    Stamp(name);
    const FileWrite replaced = ReplaceWholeFile(name, EncodeProfileFile(content, form.encoding, form.oddByte));
    if (replaced == FileWrite::Ok && generation) generation->fetch_add(1, std::memory_order_acq_rel);
    std::lock_guard<std::mutex> guard(cacheLock);
    cacheValid = false;
    return replaced;
  }

  std::string path;
  const CodePage& codePage;
  NamedMutex mutex;
  SharedMemory shared;
  std::atomic<uint32_t>* generation;
  std::atomic<bool> bypassing{false};  // the lock was held past its wait and is passed over
  std::function<void()> busyNotice;

  std::mutex cacheLock;  // threads of one process may share a store
  std::string fileName;
  bool cacheValid = false;
  uint32_t cacheGeneration = 0;
  FileStamp cacheStamp;
  std::shared_ptr<const std::string> cacheContent;  // shared with transactions, never changed
  FileForm cacheForm;
};

// The store's lock for one access. A lock that another process keeps past the wait is passed over,
// as the hardware tools' locks are when they cannot be had: its holder is hung or hostile, and the
// file is only ever replaced whole, so a reader still never sees half of it. That is told once;
// from then on the lock is only tried briefly, until it is taken again.
class StoreLock {
 public:
  explicit StoreLock(SharedFile& store)
      : m_store(store),
        m_held(store.mutex.Lock(store.bypassing.load() ? kBypassWaitMs : kLockWaitMs)) {
    if (m_held) {
      store.bypassing.store(false);
    } else if (store.mutex.Valid() && !store.bypassing.exchange(true) && store.busyNotice) {
      store.busyNotice();
    }
  }
  ~StoreLock() {
    if (m_held) m_store.mutex.Unlock();
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

 private:
  SharedFile& m_store;
  bool m_held;
};

// The file's content, read at most once per locked call and kept up to date by its own writes. A
// single write replaces the file at once; in a transaction the writes collect in memory and the file
// is replaced once, at Commit, since each replace costs a whole-file write and flush. A file is
// written back in the encoding it was read in.
class LockedFile : public InfoFile {
 public:
  LockedFile(SharedFile& store, bool deferred) : m_store(store), m_deferred(deferred) {}

  std::string Read(std::string_view section, std::string_view key, std::string_view def,
                   size_t capacity) override {
    if (!Load()) return CutDefault(def, capacity);
    return Lookup(*m_content, m_form, m_store.codePage, section, key, def, capacity);
  }

  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    if (!IsWritableEntry(section, key, value)) return false;
    // An unreadable file is left alone: rewriting it from nothing would lose every other key.
    if (!Load() && !m_missing) return false;
    std::string changed;
    if (m_form.encoding == TextEncoding::kBytes) {
      changed = SetProfileValue(*m_content, section, key, value);
    } else {
      const CodePage& page = m_store.codePage;
      const std::string s = FromCodePage(section, page), k = FromCodePage(key, page), v = FromCodePage(value, page);
      if (!IsWritableEntry(s, k, v)) return false;
      changed = SetProfileValue(*m_content, s, k, v);
    }
    if (!m_missing && changed == *m_content) return true;
    if (m_deferred) {
      m_content = std::make_shared<const std::string>(std::move(changed));
      m_loaded = true;  // the content in memory is now the one to save
      m_missing = false;
      m_dirty = true;
      return true;
    }
    if (m_store.Replace(changed, m_form) != FileWrite::Ok) {
      m_loaded = false;
      return false;
    }
    m_content = std::make_shared<const std::string>(std::move(changed));
    m_missing = false;
    return true;
  }

  // Why the file's content is not to be had, kOk when it is (or the file is missing).
  StoreResult Problem() {
    Load();
    return m_problem;
  }

  // Saves what the transaction's writes changed.
  StoreResult Commit() {
    if (m_problem != StoreResult::kOk) return m_problem;
    if (!m_dirty) return StoreResult::kOk;
    m_dirty = false;
    switch (m_store.Replace(*m_content, m_form)) {
      case FileWrite::Ok: return StoreResult::kOk;
      case FileWrite::ReadOnly: return StoreResult::kReadOnly;
      case FileWrite::Failed: break;
    }
    return StoreResult::kFailed;
  }

 private:
  // True when the content is known; m_missing tells a missing file from a failed read, which is
  // remembered for the whole call.
  bool Load() {
    if (!m_loaded && m_problem == StoreResult::kOk) {
      const Loaded result = m_store.Load(m_content, m_form);
      m_missing = result == Loaded::kMissing;
      m_loaded = result == Loaded::kOk;
      if (result == Loaded::kFailed) m_problem = StoreResult::kUnreadable;
      if (result == Loaded::kNotAFile) m_problem = StoreResult::kNotAFile;
      if (result == Loaded::kTooLarge) m_problem = StoreResult::kTooLarge;
      if (m_missing) {
        m_content = std::make_shared<const std::string>();
        m_form = FileForm();
      }
    }
    return m_loaded;
  }

  SharedFile& m_store;
  const bool m_deferred;
  // The cache's content until a write makes a changed one.
  std::shared_ptr<const std::string> m_content = std::make_shared<const std::string>();
  FileForm m_form;
  bool m_loaded = false;
  bool m_missing = false;
  StoreResult m_problem = StoreResult::kOk;  // remembered for the whole call
  bool m_dirty = false;
};

}  // namespace

struct InfoStore::Impl : SharedFile {
  using SharedFile::SharedFile;
};

InfoStore::InfoStore(std::string path, const CodePage& codePage) : m_impl(new Impl(std::move(path), codePage)) {}

InfoStore::~InfoStore() { delete m_impl; }

const std::string& InfoStore::Path() const { return m_impl->path; }

// A read that the cache answers needs no lock at all.
std::string InfoStore::Read(std::string_view section, std::string_view key, std::string_view def,
                            size_t capacity) {
  std::string value;
  if (m_impl->ReadCached(section, key, def, capacity, value)) return value;
  StoreLock lock(*m_impl);
  LockedFile file(*m_impl, false);
  return file.Read(section, key, def, capacity);
}

bool InfoStore::Write(std::string_view section, std::string_view key, std::string_view value) {
  StoreLock lock(*m_impl);
  LockedFile file(*m_impl, false);
  return file.Write(section, key, value);
}

// Without the lock (one that cannot be made, or one kept past its wait) the transaction still
// replaces the file whole, so a reader never sees half of it.
StoreResult InfoStore::Transact(const std::function<void(InfoFile&)>& body) {
  StoreLock lock(*m_impl);
  LockedFile file(*m_impl, true);
  const StoreResult problem = file.Problem();
  if (problem == StoreResult::kNotAFile || problem == StoreResult::kTooLarge) return problem;
  body(file);
  return file.Commit();
}

bool InfoStore::Update(const std::function<void(InfoFile&)>& body) {
  return Transact(body) == StoreResult::kOk;
}

bool InfoStore::LockAvailable() const { return m_impl->mutex.Valid(); }

void InfoStore::SetBusyNotice(std::function<void()> notice) {
  m_impl->busyNotice = std::move(notice);
}

}  // namespace zor
