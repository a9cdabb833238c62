#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/message_box.h"

namespace zor {

namespace {

// No window system natively: what a box would say goes to the terminal.
class TerminalMessageBoxes : public MessageBoxes {
 public:
  void Show(const std::string& text, const std::string& caption, MessageIcon /*icon*/) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
  bool SystemErrorText(unsigned long code, std::string* text) override {
    *text = std::strerror(static_cast<int>(code));
    return true;
  }
  unsigned long LastError() override { return static_cast<unsigned long>(errno); }
};

}  // namespace

MessageBoxes& SystemMessageBoxes() {
  static TerminalMessageBoxes boxes;
  return boxes;
}

}  // namespace zor
