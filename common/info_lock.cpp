#include "common/info_lock.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "common/lock_names.h"

namespace zor {

std::string InfoLockName(const std::string& path) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : path) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '/') c = '\\';
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "%s%016" PRIx64, locks::kInfoPrefix, hash);
  return name;
}

}  // namespace zor
