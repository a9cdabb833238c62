// The Windows registry as zor2 uses it: keys opened by path under one of two roots, string, binary
// and DWORD values. Results are the system's status codes (0 = success), so a caller can show the
// system's text for a failure. Windows adapter in win32/, an in-memory registry in fake/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zor {

enum class RegRoot { LocalMachine, CurrentUser };

enum class RegAccess { Read, AllAccess };

// Value types with the system's numbers.
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;

constexpr long kRegSuccess = 0;
constexpr long kRegFileNotFound = 2;
constexpr long kRegMoreData = 234;

// One open key; closed when destroyed.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Reads up to capacity bytes of the value into data (resized to the size read) and its type.
  // A value larger than capacity gives kRegMoreData and no data.
  virtual long Query(const std::string& name, size_t capacity, uint32_t* type,
                     std::vector<uint8_t>* data) = 0;
  virtual long Set(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens an existing key in the 32-bit view; never creates one.
  virtual long Open(RegRoot root, const std::string& path, RegAccess access,
                    std::unique_ptr<RegistryKey>* key) = 0;
};

// The system's registry.
Registry& SystemRegistry();

}  // namespace zor
