// The one exit state every settings piece shares. Where the program must end (a failed firmware
// buffer, a missing vendor library, a failed restart), the operation records the exit code here;
// from then on every operation that would write the firmware, change a Windows setting, start a
// program or restart does nothing and returns false. Giving the user's power settings back is the
// one change still made, inside a RestoreScope.
#pragma once

#include <string>

#include "platform/message_box.h"

namespace zor {

class SettingsExit {
 public:
  bool Requested() const { return m_requested; }
  int Code() const { return m_code; }
  // An operation that would change something must not: the program is to end and the user's
  // settings are not being given back.
  bool Blocks() const { return m_requested && !m_restoring; }

  void Request(int code) {
    m_requested = true;
    m_code = code;
  }
  // Shows why before the program ends.
  void Request(int code, MessageBoxes& boxes, const std::string& text, const std::string& caption,
               MessageIcon icon) {
    boxes.Show(text, caption, icon);
    Request(code);
  }

  // Marks the giving back of the user's power settings for as long as it lives.
  class RestoreScope {
   public:
    // Scopes nest: the giving back of the power plans runs within the whole one.
    explicit RestoreScope(SettingsExit& exit) : m_exit(exit), m_outer(exit.m_restoring) {
      m_exit.m_restoring = true;
    }
    ~RestoreScope() { m_exit.m_restoring = m_outer; }
    RestoreScope(const RestoreScope&) = delete;
    RestoreScope& operator=(const RestoreScope&) = delete;

   private:
    SettingsExit& m_exit;
    bool m_outer;
  };

 private:
  bool m_requested = false;
  bool m_restoring = false;
  int m_code = 0;
};

}  // namespace zor
