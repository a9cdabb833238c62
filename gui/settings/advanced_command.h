// The advanced command's two halves around its dialog. The window thread reads the present state
// (ReadAdvancedStart, with the settings lock held), runs the dialog and asks the low-power
// question (RunAdvancedSettings in gui/controls), and hands the plain result to the settings
// worker, which stores and applies it (StoreAdvancedSettings, with the lock held).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/info_store.h"
#include "gui/settings/main_state.h"
#include "gui/settings/settings_control.h"

namespace zor {

// What the advanced dialog opens with: the platform class and every option as the system has it.
struct AdvancedStart {
  bool x58 = false;
  bool p55 = false;
  bool p67 = false;
  int level = 5;             // the main window's level code, as read
  bool vgaSaving = false;    // the main window's graphics-clock choice
  uint16_t powerItem = 0;    // the free PowerItem value; 0 when the profile has none
  int diskTimeout = 3;       // minutes of plan 4
  int monitorTimeout = 3;
  bool railPresent[kRailRoles] = {};
  bool railReduced[kRailRoles] = {};
  bool lowPowerOffered = false;
  bool lowPowerOn = false;
  bool throttling = false;
  bool fanEnergyCurve = false;
};

// What a run of the dialog decided.
struct AdvancedChoice {
  bool saved = false;
  // The [SETTING] keys and values, in the order they are written.
  std::vector<std::pair<std::string, std::string>> keys;
  // Change the firmware's low-power state and restart the system (the user said yes).
  bool toggleLowPower = false;
  // Non-zero: the dialog could not run and the program must end with this status.
  int exitCode = 0;
};

AdvancedStart ReadAdvancedStart(SettingsControl& control);

// Stores a saved choice in one INFO.DAT transaction, changes the low-power state when decided,
// applies the set, and requests the restart last. A choice that ends the program gives the user's
// power settings back first. True when a saved choice was stored.
//
// A set that could not be stored (the file stayed locked or could not be written, after
// kStoreAttempts tries) is neither applied nor half-applied: the user is told, and the set in
// force stays as it was.
bool StoreAdvancedSettings(SettingsControl& control, InfoStore& store, const AdvancedChoice& choice);

constexpr int kStoreAttempts = 3;
constexpr uint32_t kStoreRetryMs = 500;
extern const char kStoreFailedText[];
extern const char kStoreFailedCaption[];

}  // namespace zor
