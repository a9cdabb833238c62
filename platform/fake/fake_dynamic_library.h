// A library whose entry points are functions of the test itself; it records which names were
// looked up, so tests can check binding order and that nothing unresolved is called.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"

namespace zor {

class FakeDynamicLibrary : public DynamicLibrary {
 public:
  template <typename Fn>
  void Add(const std::string& name, Fn function) {
    m_entries[name] = reinterpret_cast<EntryAddress>(function);
  }
  void Remove(const std::string& name) { m_entries.erase(name); }

  EntryAddress Find(const char* name) const override;

  // Every name asked for, in order (shared so a test can keep reading after handing the library
  // over).
  std::vector<std::string>* lookups = nullptr;

 private:
  std::map<std::string, EntryAddress> m_entries;
};

}  // namespace zor
