// A fresh directory for one test's INFO.DAT, removed afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace zor {

class StoreDir {
 public:
  StoreDir() {
    char pattern[] = "/tmp/zor-store-XXXXXX";
    m_dir = mkdtemp(pattern);
  }
  ~StoreDir() { std::filesystem::remove_all(m_dir); }
  StoreDir(const StoreDir&) = delete;
  StoreDir& operator=(const StoreDir&) = delete;

  std::string File(const std::string& name) const { return m_dir + "/" + name; }
  // The names of the files now in the directory.
  std::string Listing() const {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
      names += (names.empty() ? "" : " ") + entry.path().filename().string();
    }
    return names;
  }

 private:
  std::string m_dir;
};

}  // namespace zor
