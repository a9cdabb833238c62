// Message boxes that the settings worker raises, shown by the window's own thread: owned by the
// main window, so never hidden behind it, and the window keeps painting while one is open. The
// worker waits for the box to be answered, as it would for its own; a box the window never showed
// (it went first, or the program is ending) counts as answered.
#pragma once

#include <memory>
#include <string>

#include "platform/message_box.h"
#include "ui/window.h"

namespace zor {

class PostedBoxes : public MessageBoxes {
 public:
  explicit PostedBoxes(MessageBoxes& system) : m_system(system) {}

  // From now on boxes go through the poster (until then they are shown on the calling thread,
  // which is the window's during its start).
  void PostThrough(std::shared_ptr<ui::WindowPoster> poster) { m_poster = std::move(poster); }

  void Show(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool SystemErrorText(unsigned long code, std::string* text) override {
    return m_system.SystemErrorText(code, text);
  }
  unsigned long LastError() override { return m_system.LastError(); }

 private:
  MessageBoxes& m_system;
  std::shared_ptr<ui::WindowPoster> m_poster;
};

}  // namespace zor
