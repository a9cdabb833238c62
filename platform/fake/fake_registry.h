// An in-memory registry for tests: keys by root and case-insensitive path, values by
// case-insensitive name. Keys exist only once a test creates them (or sets a value in them).
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace zor {

class FakeRegistry : public Registry {
 public:
  struct Value {
    uint32_t type = 0;
    std::vector<uint8_t> data;
  };

  long Open(RegRoot root, const std::string& path, RegAccess access,
            std::unique_ptr<RegistryKey>* key) override;

  void CreateKey(RegRoot root, const std::string& path);
  void RemoveKey(RegRoot root, const std::string& path);
  bool HasKey(RegRoot root, const std::string& path) const;
  void SetString(RegRoot root, const std::string& path, const std::string& name,
                 const std::string& value);
  void SetDword(RegRoot root, const std::string& path, const std::string& name, uint32_t value);
  void SetBinary(RegRoot root, const std::string& path, const std::string& name,
                 const std::vector<uint8_t>& value);
  // False when the key or value is missing.
  bool Get(RegRoot root, const std::string& path, const std::string& name, Value* value) const;
  std::string GetString(RegRoot root, const std::string& path, const std::string& name) const;

  // Makes the next opens fail with the given status (0 clears it).
  void FailOpens(long status) { m_failOpens = status; }
  int OpenKeys() const;

 private:
  friend class FakeRegistryKey;
  using Values = std::map<std::string, Value>;
  static std::string KeyName(RegRoot root, const std::string& path);
  void Set(RegRoot root, const std::string& path, const std::string& name, Value value);

  mutable std::mutex m_mutex;
  std::map<std::string, Values> m_keys;
  long m_failOpens = 0;
  int m_openKeys = 0;
};

}  // namespace zor
