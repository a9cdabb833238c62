// Records every message box instead of showing it.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace zor {

class FakeMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    MessageIcon icon;
  };
  std::map<unsigned long, std::string> errorTexts;
  unsigned long lastError = 0;

  void Show(const std::string& text, const std::string& caption, MessageIcon icon) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shown.push_back({text, caption, icon});
  }
  bool SystemErrorText(unsigned long code, std::string* text) override {
    auto found = errorTexts.find(code);
    if (found == errorTexts.end()) return false;
    *text = found->second;
    return true;
  }

  unsigned long LastError() override { return lastError; }

  std::vector<Shown> ShownBoxes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shown;
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<Shown> m_shown;
};

}  // namespace zor
