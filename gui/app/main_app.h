// zor2's start: one copy at a time, then the main window, modally, until it closes.
#pragma once

#include <functional>
#include <string>

#include "gui/app/main_dialog.h"
#include "platform/single_instance.h"
#include "ui/window.h"

namespace zor {

// Whether a copy started while another runs brings that one's window to the front: a start by the
// user does; the logon start ("state", in any case) does not.
bool BringsRunningCopyForward(const std::string& commandLine);

class CMainApp {
 public:
  // showRunningCopy brings the running copy's window to the front (restored if minimised).
  CMainApp(SingleInstance& instance, ui::ModalHost& desktop, std::function<void()> showRunningCopy = nullptr)
      : m_instance(instance), m_desktop(desktop), m_showRunningCopy(std::move(showRunningCopy)) {}

  // Runs the program with the command line (the text after the program's name) and returns its
  // exit status. A second copy ends at once and changes nothing; started by the user, it first
  // brings the running copy's window to the front. configure sees the window before it starts.
  // "restore" gives the user's settings back without a window.
  int InitInstance(MainPorts ports, const std::string& commandLine,
                   const std::function<void(CMainDialog&)>& configure = nullptr);

 private:
  SingleInstance& m_instance;
  ui::ModalHost& m_desktop;
  std::function<void()> m_showRunningCopy;
};

}  // namespace zor
