// Whole-file access for small shared files that another process may read or rewrite at any moment:
// a reader sees either the old or the new content, never a half-written file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zor {

enum class FileRead { Ok, Missing, Failed };

// Reads the whole file into content (cleared first).
FileRead ReadWholeFile(const std::string& path, std::string& content);

enum class FileWrite { Ok, ReadOnly, Failed };

// Writes content to a temporary file beside path and puts it in path's place in one step; an
// existing file keeps its access list and attributes. A file marked read-only is left alone
// (ReadOnly). Temporary files that writers killed mid-write left beside path are removed first.
FileWrite ReplaceWholeFile(const std::string& path, std::string_view content);

// What identifies one version of a file cheaply: its size and last write time, in 100-ns units of
// the same clock as FileClockNow. Two different versions can share a stamp when written within the
// file system's time granularity.
struct FileStamp {
  bool exists = false;
  bool directory = false;  // the name is a directory's, not a file's
  uint64_t size = 0;
  int64_t modified = 0;
  bool operator==(const FileStamp& other) const {
    return exists == other.exists && directory == other.directory && size == other.size &&
           modified == other.modified;
  }
};

FileStamp StampFile(const std::string& path);
int64_t FileClockNow();

// path itself when it exists or the file system ignores case; otherwise an existing file in the same
// directory whose name differs from path's only in case; otherwise path.
std::string ResolveFileNameCase(const std::string& path);

}  // namespace zor
