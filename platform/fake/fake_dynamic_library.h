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

  // Appends every name asked for, in order, to `into` (kept by the test, so it can still be read
  // after the library was handed over).
  void RecordLookups(std::vector<std::string>* into) { m_lookups = into; }

 private:
  std::vector<std::string>* m_lookups = nullptr;
  std::map<std::string, EntryAddress> m_entries;
};

}  // namespace zor
