#include <windows.h>

#include "platform/named_mutex.h"
#include "platform/win32/object_security.h"

namespace zor {

struct NamedMutex::Impl {
  HANDLE handle = nullptr;
};

NamedMutex::NamedMutex(const std::string& name, ObjectAccess access) : m_impl(new Impl) {
  ObjectSecurity security(access);
  m_impl->handle = CreateMutexA(security.Attributes(), FALSE, name.c_str());
  if (!m_impl->handle) m_impl->handle = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
}

NamedMutex::~NamedMutex() {
  if (m_impl->handle) CloseHandle(m_impl->handle);
  delete m_impl;
}

bool NamedMutex::Valid() const { return m_impl->handle != nullptr; }

bool NamedMutex::Lock(uint32_t timeoutMs) {
  if (!m_impl->handle) return false;
  const DWORD result = WaitForSingleObject(m_impl->handle, timeoutMs);
  return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void NamedMutex::Unlock() {
  if (m_impl->handle) ReleaseMutex(m_impl->handle);
}

}  // namespace zor
