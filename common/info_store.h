// INFO.DAT, the settings and statistics file both programs share, with the semantics of the
// Windows private-profile functions: case-insensitive sections and keys, defaults, a capacity cut,
// in-place replacement. Each write replaces the whole file atomically, and every access to the file
// holds a lock shared by all processes, so neither program can see half a write or lose a key to
// the other. A read of a file that cannot have changed since the last one is answered from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace zor {

// What became of a transaction.
enum class StoreResult {
  kOk,
  kBusy,        // the body did not run for want of the lock (InfoStore itself passes over a
                // lock kept past its wait, see Transact)
  kUnreadable,  // the file exists but could not be read: its reads gave their defaults
  kReadOnly,    // the file is marked read-only: the changes were not saved
  kFailed,      // the changes could not be saved
  kNotAFile,    // a directory has the file's name: nothing was read or written, the body did not run
  kTooLarge,    // the file is past kMaxInfoFileBytes: nothing was read or written, the body did not run
};

// INFO.DAT holds a few hundred bytes. A file far past that is damage or mischief, and reading it
// at every call would cost both programs dearly, so it is left alone: reads give their defaults.
constexpr uint64_t kMaxInfoFileBytes = 1 << 20;

// The operations with the cross-process lock already held (see InfoStore::Transact).
class InfoFile {
 public:
  virtual ~InfoFile() = default;
  // The value of key in section, or def when the file, section or key is missing; at most
  // capacity - 1 characters, as a profile read into a buffer of that capacity would give.
  virtual std::string Read(std::string_view section, std::string_view key, std::string_view def,
                           size_t capacity) = 0;
  // Replaces the key's value in place, or adds the key (and section, and file). False on failure.
  virtual bool Write(std::string_view section, std::string_view key, std::string_view value) = 0;
};

class InfoStore {
 public:
  // path is the program's own name for the file ("...\Info.dat" or "...\INFO.DAT"); on a
  // case-sensitive file system an existing file whose name differs only in case is used instead.
  // Names and values are text in codePage, as the platform's "A" profile functions take and give
  // them: a UTF-16 file's text is converted, any other file's is taken byte for byte.
  explicit InfoStore(std::string path, const CodePage& codePage = AnsiCodePage());
  ~InfoStore();
  InfoStore(const InfoStore&) = delete;
  InfoStore& operator=(const InfoStore&) = delete;

  std::string Read(std::string_view section, std::string_view key, std::string_view def,
                   size_t capacity);
  bool Write(std::string_view section, std::string_view key, std::string_view value);

  // Runs body with the lock held across all its reads and writes (the reset handshake); its writes
  // reach the file together, in one replace, when body returns. A lock that another process keeps
  // past the store's wait (a hung or hostile holder) is passed over, and body runs without it. When
  // the file is refused (kNotAFile, kTooLarge), body does not run.
  StoreResult Transact(const std::function<void(InfoFile&)>& body);
  // Transact, true only for kOk.
  bool Update(const std::function<void(InfoFile&)>& body);

  // False when the cross-process lock could not be made (its name is taken by another kind of
  // object, or its access list shuts this account out): the store then goes on without it.
  bool LockAvailable() const;
  // Called once when an access first passes over a lock kept past its wait, and again only after
  // the lock was taken in between. Set before the store is shared between threads.
  void SetBusyNotice(std::function<void()> notice);

  const std::string& Path() const;

 private:
  struct Impl;
  Impl* m_impl;
};

// Value conversions of the programs.
int ProfileInt(std::string_view text);       // atoi semantics
double ProfileReal(std::string_view text);   // atof semantics
int TimeoutMinutes(std::string_view text);   // "3 Mins" -> 3, "1 hour" -> 60, "Never" -> 0

}  // namespace zor
