// Message boxes and the system's error texts, so that logic can report without a window system
// and tests can read what the user would have seen.
#pragma once

#include <string>

namespace zor {

enum class MessageIcon { None, Stop, Information };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A modal OK box owned by the program's main window.
  virtual void Show(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
  // The system's text for an error code in the default language; false when it has none.
  virtual bool SystemErrorText(unsigned long code, std::string* text) = 0;
  // The calling thread's last system error code.
  virtual unsigned long LastError() = 0;
};

MessageBoxes& SystemMessageBoxes();

}  // namespace zor
