#include <windows.h>

#include "sim/board/board_file.h"

namespace zor::sim {

struct BoardFile::Impl {
  void* view = nullptr;
};

BoardFile::BoardFile() : m_impl(new Impl) {}

BoardFile::~BoardFile() {
  if (m_impl->view) UnmapViewOfFile(m_impl->view);
  delete m_impl;
}

bool BoardFile::Map(const std::string& path) {
  if (m_impl->view) return true;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // The mapping's size sets the file's size: a new or short file grows to a record and its lock.
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(kBoardFileSize), nullptr);
  if (mapping) {
    m_impl->view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kBoardFileSize);
    CloseHandle(mapping);  // the view keeps the mapping alive
  }
  CloseHandle(file);
  return m_impl->view != nullptr;
}

BoardState* BoardFile::State() const { return static_cast<BoardState*>(m_impl->view); }

}  // namespace zor::sim
