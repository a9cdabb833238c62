// The few file operations an update is made of, each one durable when it returns, so that a power
// cut leaves every file either as it was before the call or as it is after it.
#pragma once

#include <string>
#include <string_view>

#include "platform/atomic_file.h"

namespace zor {

class FileOps {
 public:
  virtual ~FileOps() = default;
  virtual FileRead Read(const std::string& path, std::string& content) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // Creates or truncates path, writes content and flushes it to the disk.
  virtual bool WriteFlushed(const std::string& path, std::string_view content) = 0;
  // Renames in one step; an existing target is replaced only when replace is set.
  virtual bool Move(const std::string& from, const std::string& to, bool replace) = 0;
  // True when path is gone afterwards, whether or not it was there.
  virtual bool Remove(const std::string& path) = 0;
};

FileOps& SystemFileOps();

}  // namespace zor
