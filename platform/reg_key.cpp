#include "platform/reg_key.h"

namespace zor {

namespace {
constexpr long kInvalidHandle = 6;  // ERROR_INVALID_HANDLE: no key open
}

bool RegKey::Open(RegRoot root, const std::string& path) {
  m_key.reset();
  return Keep(m_registry.Open(root, path, RegAccess::AllAccess, &m_key));
}

bool RegKey::Query(const std::string& name, size_t capacity, std::vector<uint8_t>* data) {
  if (!m_key) return Keep(kInvalidHandle);
  m_type = 0;
  m_size = 0;
  if (!Keep(m_key->Query(name, capacity, &m_type, data))) return false;
  m_size = data->size();
  return true;
}

bool RegKey::ReadString(const std::string& name, std::string* value) {
  std::vector<uint8_t> data;
  if (!Query(name, kStringCapacity, &data)) return false;
  std::string text(data.begin(), data.end());
  const size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  *value = text;
  return true;
}

bool RegKey::ReadBuffer(const std::string& name, std::vector<uint8_t>* value) {
  std::vector<uint8_t> data;
  if (!Query(name, kBufferCapacity, &data)) return false;
  data.resize(kBufferCapacity, 0);  // the fields past a short value read as zero
  *value = std::move(data);
  return true;
}

bool RegKey::ReadDword(const std::string& name, uint32_t* value) {
  std::vector<uint8_t> data;
  if (!Query(name, 4, &data)) return false;
  uint32_t v = 0;
  for (size_t i = 0; i < data.size() && i < 4; ++i) v |= static_cast<uint32_t>(data[i]) << (8 * i);
  *value = v;
  return true;
}

bool RegKey::WriteDword(const std::string& name, uint32_t value) {
  if (!m_key) return Keep(kInvalidHandle);
  std::vector<uint8_t> data(4);
  for (size_t i = 0; i < 4; ++i) data[i] = static_cast<uint8_t>(value >> (8 * i));
  return Keep(m_key->Set(name, kRegDword, data));
}

bool RegKey::WriteString(const std::string& name, const std::string& value) {
  if (!m_key) return Keep(kInvalidHandle);
  std::vector<uint8_t> data(value.begin(), value.end());
  data.push_back(0);
  return Keep(m_key->Set(name, kRegSz, data));
}

}  // namespace zor
