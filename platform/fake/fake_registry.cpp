#include "platform/fake/fake_registry.h"

#include <algorithm>
#include <cctype>

namespace zor {

namespace {
std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}
}  // namespace

class FakeRegistryKey : public RegistryKey {
 public:
  FakeRegistryKey(FakeRegistry& registry, std::string key) : m_registry(registry), m_name(std::move(key)) {
    ++m_registry.m_openKeys;
  }
  ~FakeRegistryKey() override {
    std::lock_guard<std::mutex> lock(m_registry.m_mutex);
    --m_registry.m_openKeys;
  }

  long Query(const std::string& name, size_t capacity, uint32_t* type,
             std::vector<uint8_t>* data) override {
    std::lock_guard<std::mutex> lock(m_registry.m_mutex);
    auto key = m_registry.m_keys.find(m_name);
    if (key == m_registry.m_keys.end()) return kRegFileNotFound;
    auto value = key->second.find(Lower(name));
    if (value == key->second.end()) return kRegFileNotFound;
    if (value->second.data.size() > capacity) return kRegMoreData;
    *type = value->second.type;
    *data = value->second.data;
    return kRegSuccess;
  }

  long Set(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) override {
    std::lock_guard<std::mutex> lock(m_registry.m_mutex);
    m_registry.m_keys[m_name][Lower(name)] = FakeRegistry::Value{type, data};
    return kRegSuccess;
  }

 private:
  FakeRegistry& m_registry;
  std::string m_name;
};

std::string FakeRegistry::KeyName(RegRoot root, const std::string& path) {
  return (root == RegRoot::LocalMachine ? "hklm\\" : "hkcu\\") + Lower(path);
}

long FakeRegistry::Open(RegRoot root, const std::string& path, RegAccess,
                        std::unique_ptr<RegistryKey>* key) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_failOpens) return m_failOpens;
  const std::string name = KeyName(root, path);
  if (!m_keys.count(name)) return kRegFileNotFound;
  *key = std::make_unique<FakeRegistryKey>(*this, name);
  return kRegSuccess;
}

void FakeRegistry::CreateKey(RegRoot root, const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_keys[KeyName(root, path)];
}

void FakeRegistry::RemoveKey(RegRoot root, const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_keys.erase(KeyName(root, path));
}

bool FakeRegistry::HasKey(RegRoot root, const std::string& path) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_keys.count(KeyName(root, path)) != 0;
}

void FakeRegistry::Set(RegRoot root, const std::string& path, const std::string& name, Value value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_keys[KeyName(root, path)][Lower(name)] = std::move(value);
}

void FakeRegistry::SetString(RegRoot root, const std::string& path, const std::string& name,
                             const std::string& value) {
  std::vector<uint8_t> data(value.begin(), value.end());
  data.push_back(0);
  Set(root, path, name, Value{kRegSz, data});
}

void FakeRegistry::SetDword(RegRoot root, const std::string& path, const std::string& name,
                            uint32_t value) {
  std::vector<uint8_t> data(4);
  for (size_t i = 0; i < 4; ++i) data[i] = static_cast<uint8_t>(value >> (8 * i));
  Set(root, path, name, Value{kRegDword, data});
}

void FakeRegistry::SetBinary(RegRoot root, const std::string& path, const std::string& name,
                             const std::vector<uint8_t>& value) {
  Set(root, path, name, Value{kRegBinary, value});
}

bool FakeRegistry::Get(RegRoot root, const std::string& path, const std::string& name,
                       Value* value) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto key = m_keys.find(KeyName(root, path));
  if (key == m_keys.end()) return false;
  auto found = key->second.find(Lower(name));
  if (found == key->second.end()) return false;
  *value = found->second;
  return true;
}

std::string FakeRegistry::GetString(RegRoot root, const std::string& path,
                                    const std::string& name) const {
  Value value;
  if (!Get(root, path, name, &value)) return "";
  std::string text(value.data.begin(), value.data.end());
  const size_t end = text.find('\0');
  return end == std::string::npos ? text : text.substr(0, end);
}

int FakeRegistry::OpenKeys() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_openKeys;
}

}  // namespace zor
