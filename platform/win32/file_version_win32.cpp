#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/file_version.h"
#include "platform/program_paths.h"

namespace zor {

std::string ProgramFileVersion() {
  const std::string path = ProgramPath();
  if (path.empty()) return std::string();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return std::string();
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return std::string();
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  char root[] = "\\";
  if (!VerQueryValueA(data.data(), root, reinterpret_cast<void**>(&fixed), &length) || !fixed ||
      length < sizeof *fixed || fixed->dwSignature != 0xFEEF04BD) {
    return std::string();
  }
  char text[32];
  std::snprintf(text, sizeof text, "%lu.%lu", static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)));
  return text;
}

}  // namespace zor
