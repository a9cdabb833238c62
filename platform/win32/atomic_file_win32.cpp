#include <windows.h>

#include <atomic>
#include <cstdio>

#include "platform/atomic_file.h"

namespace zor {

namespace {

// Another program (a virus scanner, an editor) may hold the file open for a moment.
constexpr int kBusyRetries = 20;
constexpr DWORD kBusyWaitMs = 5;

bool IsBusy(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt <= kBusyRetries; ++attempt) {
    file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file != INVALID_HANDLE_VALUE) break;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return FileRead::Missing;
    if (!IsBusy(error)) return FileRead::Failed;
    Sleep(kBusyWaitMs);
  }
  if (file == INVALID_HANDLE_VALUE) return FileRead::Failed;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1 << 30)) {
    content.reserve(static_cast<size_t>(size.QuadPart));
  }
  char buffer[4096];
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    content.append(buffer, got);
  }
  CloseHandle(file);
  return ok ? FileRead::Ok : FileRead::Failed;
}

bool ReplaceWholeFile(const std::string& path, std::string_view content) {
  static std::atomic<unsigned> counter{0};
  std::string temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".~%lu-%u.tmp", GetCurrentProcessId(), counter++);
    temp = path + suffix;
    file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < content.size()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(content.size() - done > 1u << 20 ? 1u << 20 : content.size() - done);
    ok = WriteFile(file, content.data() + done, chunk, &wrote, nullptr) && wrote > 0;
    done += wrote;
  }
  // The data must be on disk before the new name is, or a power cut could leave an empty file.
  ok = ok && FlushFileBuffers(file);
  CloseHandle(file);
  for (int attempt = 0; ok; ++attempt) {
    if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    if (attempt >= kBusyRetries || !IsBusy(GetLastError())) break;
    Sleep(kBusyWaitMs);
  }
  DeleteFileA(temp.c_str());
  return false;
}

namespace {

int64_t FileTimeValue(const FILETIME& time) {
  return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

}  // namespace

FileStamp StampFile(const std::string& path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.exists = true;
  stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.modified = FileTimeValue(data.ftLastWriteTime);
  return stamp;
}

int64_t FileClockNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeValue(now);
}

std::string ResolveFileNameCase(const std::string& path) { return path; }

}  // namespace zor
