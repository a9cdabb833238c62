// Whole-file access for small shared files that another process may read or rewrite at any moment:
// a reader sees either the old or the new content, never a half-written file.
#pragma once

#include <string>
#include <string_view>

namespace zor {

enum class FileRead { Ok, Missing, Failed };

// Reads the whole file into content (cleared first).
FileRead ReadWholeFile(const std::string& path, std::string& content);

// Writes content to a temporary file beside path and moves it over path in one step.
bool ReplaceWholeFile(const std::string& path, std::string_view content);

// path itself when it exists or the file system ignores case; otherwise an existing file in the same
// directory whose name differs from path's only in case; otherwise path.
std::string ResolveFileNameCase(const std::string& path);

}  // namespace zor
