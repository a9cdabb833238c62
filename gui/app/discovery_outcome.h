// What zor2 does about each outcome of its firmware discovery, in this order: a message box (when
// boxText is set), a message dialog (when dialogId is not 0), the relaunch helper started hidden
// (when relaunchCommand is set), then the end of the program with exitCode.
#pragma once

#include <string>

#include "common/firmware.h"
#include "platform/message_box.h"

namespace zor {

struct GuiOutcome {
  const char* boxText = nullptr;
  const char* boxCaption = nullptr;
  MessageIcon boxIcon = MessageIcon::None;
  int dialogId = 0;
  std::string relaunchCommand;
  int exitCode = 0;
};

// For Ok, nothing (the program goes on). programDir locates ReLaunch.exe.
GuiOutcome DiscoveryOutcome(fw::GuiDiscoveryStatus status, const std::string& programDir);

// The command that restarts zor2's helper in start-up mode: "<dir>\ReLaunch.exe" state, quoted.
std::string RelaunchCommand(const std::string& programDir);

}  // namespace zor
