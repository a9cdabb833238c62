// A few bytes of memory shared by every process that opens the same name: a named file mapping on
// Windows (with the access asked for, like NamedMutex), a mapped file natively. Zero-filled when
// first created. Reading it costs no system call.
#pragma once

#include <cstddef>
#include <string>

#include "platform/object_access.h"

namespace zor {

class SharedMemory {
 public:
  // name: a Windows object name such as "Global\ZorwiseInfoGen-0123"; size: at most a page.
  SharedMemory(const std::string& name, size_t size, ObjectAccess access = ObjectAccess::kEveryone);
  ~SharedMemory();
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  // The mapped bytes, page-aligned; nullptr when the mapping could not be made.
  void* Data() const;

 private:
  struct Impl;
  Impl* m_impl;
};

}  // namespace zor
