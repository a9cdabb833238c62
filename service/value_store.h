// Section "VALUE" of INFO.DAT as the service uses it. Every access runs inside a transaction that
// holds the store's cross-process lock, so the GUI can neither read half a publication nor slip a
// reset request in between the service's read of "Cmd" and its write of "Cmd" = "0".
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/info_store.h"
#include "service/trace.h"

namespace zor {

class ValueFile {
 public:
  virtual ~ValueFile() = default;
  // The key's text, "0" when missing, cut as a 255-character buffer would cut it.
  virtual std::string Get(std::string_view key) = 0;
  virtual bool Set(std::string_view key, std::string_view value) = 0;
};

class ValueStore {
 public:
  virtual ~ValueStore() = default;
  // Runs body with the lock held (or passed over, see InfoStore::Transact); kBusy when the body did
  // not run for want of the lock, kUnreadable when the file exists but could not be read (its
  // reads gave "0").
  virtual StoreResult Transaction(const std::function<void(ValueFile&)>& body) = 0;
  // False when the store goes on without its cross-process lock.
  virtual bool LockAvailable() const { return true; }
};

// The store over the shared INFO.DAT. With a trace, a lock that another process keeps past the
// store's wait (the store then goes on without it) is traced once.
class InfoValueStore : public ValueStore {
 public:
  explicit InfoValueStore(InfoStore& store, TraceSink* trace = nullptr);
  StoreResult Transaction(const std::function<void(ValueFile&)>& body) override;
  bool LockAvailable() const override { return m_store.LockAvailable(); }

 private:
  InfoStore& m_store;
};

}  // namespace zor
