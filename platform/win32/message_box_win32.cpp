#include <windows.h>

#include "platform/message_box.h"

namespace zor {

namespace {

class Win32MessageBoxes : public MessageBoxes {
 public:
  void Show(const std::string& text, const std::string& caption, MessageIcon icon) override {
    UINT type = MB_OK;
    if (icon == MessageIcon::Stop) type |= MB_ICONSTOP;
    if (icon == MessageIcon::Information) type |= MB_ICONINFORMATION;
    // The active window of this thread is the main window whenever one is shown.
    MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), type);
  }

  bool SystemErrorText(unsigned long code, std::string* text) override {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer),
        0, nullptr);
    if (!length || !buffer) return false;
    text->assign(buffer, length);
    LocalFree(buffer);
    return true;
  }

  unsigned long LastError() override { return GetLastError(); }
};

}  // namespace

MessageBoxes& SystemMessageBoxes() {
  static Win32MessageBoxes boxes;
  return boxes;
}

}  // namespace zor
