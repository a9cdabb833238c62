// RegKey: the small key class zor2's start-up and power-plan code share. Every operation returns
// true on success and keeps the last status code, value type and size for the caller to inspect.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace zor {

class RegKey {
 public:
  static constexpr size_t kStringCapacity = 200;
  static constexpr size_t kBufferCapacity = 255;

  explicit RegKey(Registry& registry) : m_registry(registry) {}

  // Opens path under root with full access in the 32-bit view, closing any key held before.
  bool Open(RegRoot root, const std::string& path);
  // A string value of at most 200 bytes, without its terminator.
  bool ReadString(const std::string& name, std::string* value);
  // A REG_BINARY or string value, up to 255 bytes, into a new buffer.
  bool ReadBuffer(const std::string& name, std::vector<uint8_t>* value);
  bool ReadDword(const std::string& name, uint32_t* value);
  bool WriteDword(const std::string& name, uint32_t value);
  // Stored with its terminating zero, as the system's string functions expect.
  bool WriteString(const std::string& name, const std::string& value);
  void Close() { m_key.reset(); }

  long LastResult() const { return m_result; }
  uint32_t LastType() const { return m_type; }
  size_t LastSize() const { return m_size; }

 private:
  bool Query(const std::string& name, size_t capacity, std::vector<uint8_t>* data);
  bool Keep(long result) {
    m_result = result;
    return result == kRegSuccess;
  }

  Registry& m_registry;
  std::unique_ptr<RegistryKey> m_key;
  long m_result = kRegSuccess;
  uint32_t m_type = 0;
  size_t m_size = 0;
};

}  // namespace zor
