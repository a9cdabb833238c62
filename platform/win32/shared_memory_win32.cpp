#include <windows.h>

#include "platform/shared_memory.h"
#include "platform/win32/object_security.h"

namespace zor {

struct SharedMemory::Impl {
  HANDLE mapping = nullptr;
  void* data = nullptr;
};

SharedMemory::SharedMemory(const std::string& name, size_t size, ObjectAccess access)
    : m_impl(new Impl) {
  ObjectSecurity security(access);
  m_impl->mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE,
                                       0, static_cast<DWORD>(size), name.c_str());
  if (!m_impl->mapping) m_impl->mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
  if (m_impl->mapping) m_impl->data = MapViewOfFile(m_impl->mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
}

SharedMemory::~SharedMemory() {
  if (m_impl->data) UnmapViewOfFile(m_impl->data);
  if (m_impl->mapping) CloseHandle(m_impl->mapping);
  delete m_impl;
}

void* SharedMemory::Data() const { return m_impl->data; }

}  // namespace zor
