#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/atomic_file.h"

namespace zor {

namespace {

// Another program (a virus scanner, an editor) may hold the file open for a moment.
constexpr int kBusyRetries = 20;
constexpr DWORD kBusyWaitMs = 5;

bool IsBusy(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
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

namespace {

std::string DirectoryPart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool ProcessEnded(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

// Temporary files are named "<file>.~<process>-<n>.tmp"; one whose process has ended was left by
// a writer killed mid-write and is removed.
void RemoveStaleTemporaries(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + ".~*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const std::string dir = DirectoryPart(path);
  do {
    const char* marker = std::strstr(found.cFileName, ".~");
    if (!marker) continue;
    const unsigned long pid = std::strtoul(marker + 2, nullptr, 10);
    if (pid == 0 || ProcessEnded(static_cast<DWORD>(pid))) DeleteFileA((dir + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// Gives the temporary file what the file it replaces had: its access list (so a file an
// administrator opened up, or shut, stays so) and its hidden, system and archive attributes.
void CarryOver(const std::string& path, DWORD attributes, const std::string& temp) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  DWORD needed = 0;
  GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  if (needed > 0) {
    std::vector<char> descriptor(needed);
    if (GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed))
      SetFileSecurityA(temp.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
  }
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  if (attributes & kept) SetFileAttributesA(temp.c_str(), attributes & kept);
}

// The temporary file takes path's place in one rename, so that at every moment the file is either
// the old one or the new one, even for a process killed half-way. (ReplaceFile is no such step
// everywhere: Wine's removes the old file before it renames the new one.)
bool PutInPlace(const std::string& temp, const std::string& path) {
  return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace

FileWrite ReplaceWholeFile(const std::string& path, std::string_view content) {
  static std::atomic<unsigned> counter{0};
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return FileWrite::ReadOnly;
  }
  RemoveStaleTemporaries(path);
  std::string temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".~%lu-%u.tmp", GetCurrentProcessId(), counter++);
    temp = path + suffix;
    file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return FileWrite::Failed;
  }
  if (file == INVALID_HANDLE_VALUE) return FileWrite::Failed;
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
  if (ok) CarryOver(path, attributes, temp);
  for (int attempt = 0; ok; ++attempt) {
    if (PutInPlace(temp, path)) return FileWrite::Ok;
    if (attempt >= kBusyRetries || !IsBusy(GetLastError())) break;
    Sleep(kBusyWaitMs);
  }
  DeleteFileA(temp.c_str());
  return FileWrite::Failed;
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
  stamp.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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
