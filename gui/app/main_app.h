// zor2's start: one copy at a time, then the main window, modally, until it closes.
#pragma once

#include <functional>
#include <string>

#include "gui/app/main_dialog.h"
#include "platform/single_instance.h"
#include "ui/window.h"

namespace zor {

class CMainApp {
 public:
  CMainApp(SingleInstance& instance, ui::ModalHost& desktop)
      : m_instance(instance), m_desktop(desktop) {}

  // Runs the program with the command line (the text after the program's name) and returns its
  // exit status. A second copy ends at once, silently, and changes nothing. configure sees the
  // window before it starts. "restore" gives the user's settings back without a window.
  int InitInstance(MainPorts ports, const std::string& commandLine,
                   const std::function<void(CMainDialog&)>& configure = nullptr);

 private:
  SingleInstance& m_instance;
  ui::ModalHost& m_desktop;
};

}  // namespace zor
