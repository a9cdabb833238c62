// Bounds-checked access to mapped firmware memory. Every firmware read and write goes through a
// view; an access that would leave the mapping is refused and touches nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zor {

class MemoryView {
 public:
  MemoryView() = default;
  MemoryView(uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}

  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }

  // True when [offset, offset + width) lies inside the view.
  bool Contains(size_t offset, size_t width) const {
    return offset <= m_size && width <= m_size - offset;
  }

  // The part [offset, offset + length); an empty view when it does not fit.
  MemoryView Sub(size_t offset, size_t length) const {
    return Contains(offset, length) ? MemoryView(m_data + offset, length) : MemoryView();
  }

  bool ReadBytes(size_t offset, void* out, size_t length) const {
    if (!Contains(offset, length)) return false;
    if (length) std::memcpy(out, m_data + offset, length);
    return true;
  }
  bool WriteBytes(size_t offset, const void* in, size_t length) const {
    if (!Contains(offset, length)) return false;
    if (length) std::memcpy(m_data + offset, in, length);
    return true;
  }

  bool Read8(size_t offset, uint8_t& value) const { return ReadLe(offset, 1, value); }
  bool Read16(size_t offset, uint16_t& value) const { return ReadLe(offset, 2, value); }
  bool Read32(size_t offset, uint32_t& value) const { return ReadLe(offset, 4, value); }
  bool Write8(size_t offset, uint8_t value) const { return WriteLe(offset, 1, value); }
  bool Write16(size_t offset, uint16_t value) const { return WriteLe(offset, 2, value); }
  bool Write32(size_t offset, uint32_t value) const { return WriteLe(offset, 4, value); }

  // Value readers for callers that have already checked the range; out of range reads as 0.
  uint8_t U8(size_t offset) const { uint8_t v = 0; Read8(offset, v); return v; }
  uint16_t U16(size_t offset) const { uint16_t v = 0; Read16(offset, v); return v; }
  uint32_t U32(size_t offset) const { uint32_t v = 0; Read32(offset, v); return v; }

 private:
  template <typename T>
  bool ReadLe(size_t offset, size_t width, T& value) const {
    if (!Contains(offset, width)) return false;
    uint64_t v = 0;
    for (size_t i = 0; i < width; ++i) v |= static_cast<uint64_t>(m_data[offset + i]) << (8 * i);
    value = static_cast<T>(v);
    return true;
  }
  template <typename T>
  bool WriteLe(size_t offset, size_t width, T value) const {
    if (!Contains(offset, width)) return false;
    const uint64_t v = value;
    for (size_t i = 0; i < width; ++i) m_data[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    return true;
  }

  uint8_t* m_data = nullptr;
  size_t m_size = 0;
};

}  // namespace zor
