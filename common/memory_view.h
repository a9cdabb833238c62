// Bounds-checked access to mapped firmware memory and other outside data. Every firmware read and
// write goes through a view; an access that would leave the mapping is refused and touches nothing.
// A view over const bytes (ReadOnlyView) only reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace zor {

template <typename Byte>
class BasicMemoryView {
  static_assert(std::is_same_v<std::remove_const_t<Byte>, uint8_t>, "a view of bytes");
  static constexpr bool kWritable = !std::is_const_v<Byte>;

 public:
  BasicMemoryView() = default;
  BasicMemoryView(Byte* data, size_t size) : m_data(data), m_size(data ? size : 0) {}

  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }

  // True when [offset, offset + width) lies inside the view.
  bool Contains(size_t offset, size_t width) const {
    return offset <= m_size && width <= m_size - offset;
  }

  // The part [offset, offset + length); an empty view when it does not fit.
  BasicMemoryView Sub(size_t offset, size_t length) const {
    return Contains(offset, length) ? BasicMemoryView(m_data + offset, length) : BasicMemoryView();
  }

  bool ReadBytes(size_t offset, void* out, size_t length) const {
    if (!Contains(offset, length)) return false;
    if (length) std::memcpy(out, m_data + offset, length);
    return true;
  }
  bool WriteBytes(size_t offset, const void* in, size_t length) const {
    static_assert(kWritable, "a read-only view");
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
  uint64_t U64(size_t offset) const { uint64_t v = 0; ReadLe(offset, 8, v); return v; }

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
    static_assert(kWritable, "a read-only view");
    if (!Contains(offset, width)) return false;
    const uint64_t v = value;
    for (size_t i = 0; i < width; ++i) m_data[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    return true;
  }

  Byte* m_data = nullptr;
  size_t m_size = 0;
};

using MemoryView = BasicMemoryView<uint8_t>;
using ReadOnlyView = BasicMemoryView<const uint8_t>;

}  // namespace zor
