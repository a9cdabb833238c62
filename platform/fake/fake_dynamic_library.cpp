#include "platform/fake/fake_dynamic_library.h"

namespace zor {

EntryAddress FakeDynamicLibrary::Find(const char* name) const {
  if (m_lookups) m_lookups->push_back(name);
  const auto it = m_entries.find(name);
  return it == m_entries.end() ? nullptr : it->second;
}

}  // namespace zor
