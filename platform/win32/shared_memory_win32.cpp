#include <windows.h>

#include "platform/shared_memory.h"

namespace zor {

struct SharedMemory::Impl {
  HANDLE mapping = nullptr;
  void* data = nullptr;
};

SharedMemory::SharedMemory(const std::string& name, size_t size) : m_impl(new Impl) {
  // A NULL DACL lets every account open it: the service runs as SYSTEM, zor2 as the user.
  SECURITY_DESCRIPTOR descriptor;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
  SECURITY_ATTRIBUTES* security = nullptr;
  if (InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
      SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) {
    security = &attributes;
  }
  m_impl->mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, security, PAGE_READWRITE, 0,
                                       static_cast<DWORD>(size), name.c_str());
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
