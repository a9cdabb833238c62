#include "gui/app/discovery_outcome.h"

#include "gui/controls/message_ids.h"
#include "platform/program_paths.h"

namespace zor {

namespace {

constexpr char kNoSmiInfoText[] = "Can't Get SMI port and type!!";
constexpr char kNoTableText[] = "Get ZOR 2.0 data failure!!";
constexpr char kMapFailedText[] = "Map ZOR 2.0 data failure!!";
constexpr char kRailOutsideText[] = "ZOR 2.0 rail table lies outside the mapped data!!";
constexpr char kErrorCaption[] = "Error";
constexpr char kMsgCaption[] = "MSG";

// A failure told in a message box with the stop icon, after which zor2 ends with status 1.
GuiOutcome StopBox(const char* text) {
  GuiOutcome outcome;
  outcome.boxText = text;
  outcome.boxCaption = kErrorCaption;
  outcome.boxIcon = MessageIcon::Stop;
  outcome.exitCode = 1;
  return outcome;
}

}  // namespace

std::string RelaunchCommand(const std::string& programDir) {
  // Quoted: the program directory may hold blanks.
  return "\"" + JoinPath(programDir, "ReLaunch.exe") + "\" state";
}

GuiOutcome DiscoveryOutcome(fw::GuiDiscoveryStatus status, const std::string& programDir) {
  GuiOutcome outcome;
  switch (status) {
    case fw::GuiDiscoveryStatus::Ok:
      break;
    case fw::GuiDiscoveryStatus::NoSmiInfo:
      return StopBox(kNoSmiInfoText);
    case fw::GuiDiscoveryStatus::NotSupported:
      outcome.dialogId = kMessageNotSupported;
      outcome.exitCode = 0;  // nothing to do on this board
      break;
    case fw::GuiDiscoveryStatus::NoTableAddress:
      outcome.boxText = kNoTableText;
      outcome.boxCaption = kMsgCaption;
      outcome.dialogId = kMessageNoFirmwareData;
      outcome.exitCode = 1;
      break;
    case fw::GuiDiscoveryStatus::RailTableNotSupported:
      outcome.dialogId = kMessageNotSupported;
      outcome.exitCode = 1;
      break;
    case fw::GuiDiscoveryStatus::NoRailTableAddress:
      outcome.relaunchCommand = RelaunchCommand(programDir);
      outcome.exitCode = 1;
      break;
    case fw::GuiDiscoveryStatus::MapFailed:
      return StopBox(kMapFailedText);
    case fw::GuiDiscoveryStatus::RailTableOutside:
      return StopBox(kRailOutsideText);
  }
  return outcome;
}

}  // namespace zor
