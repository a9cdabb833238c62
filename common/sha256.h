// SHA-256, for checking update packages. Windows 2000 offers no SHA-256 of its own (its CryptoAPI
// provider with SHA-256 came later), so the programs carry this small one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zor {

class Sha256 {
 public:
  Sha256();
  void Add(const void* data, size_t size);
  // The digest of everything added; the object is spent afterwards.
  std::array<uint8_t, 32> Finish();

 private:
  void Block(const uint8_t* block);

  uint32_t m_state[8];
  uint8_t m_buffer[64];
  size_t m_buffered = 0;
  uint64_t m_length = 0;  // bytes added
};

// The digest of data as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view data);

}  // namespace zor
