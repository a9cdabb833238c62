#include "service/value_store.h"

#include "common/info_keys.h"
#include "common/info_store.h"

namespace zor {

namespace {

constexpr const char* kSection = info::kValue;
constexpr size_t kCapacity = 255;

class InfoValueFile : public ValueFile {
 public:
  explicit InfoValueFile(InfoFile& file) : m_file(file) {}
  std::string Get(std::string_view key) override { return m_file.Read(kSection, key, "0", kCapacity); }
  bool Set(std::string_view key, std::string_view value) override {
    return m_file.Write(kSection, key, value);
  }

 private:
  InfoFile& m_file;
};

}  // namespace

InfoValueStore::InfoValueStore(InfoStore& store, TraceSink* trace) : m_store(store) {
  if (!trace) return;
  m_store.SetBusyNotice([trace] { trace->Write("INFO.DAT lock busy, going on without it!!\n"); });
}

StoreResult InfoValueStore::Transaction(const std::function<void(ValueFile&)>& body) {
  return m_store.Transact([&](InfoFile& file) {
    InfoValueFile values(file);
    body(values);
  });
}

}  // namespace zor
