// The pieces of zor2's start that the developer tools standing in for the main window (advdemo,
// settings_probe) run as well, so that they start as zor2 does.
#pragma once

#include <string>

#include "common/firmware.h"
#include "common/info_store.h"
#include "gui/app/main_ports.h"
#include "gui/settings/main_state.h"
#include "gui/app/user_power_record.h"
#include "gui/settings/settings_control.h"

namespace zor {

// The program's folder and INFO.DAT beside it; false when the folder is unknown ("": its path did
// not fit, and a shorter one would point somewhere else).
bool FindProgramFiles(MainState& state, const std::string& programDir);

// The firmware's answer: the SMI target, both tables' addresses, zor2's mapping of the EnergyTable,
// and whether the rails sit behind the SMBus regulator.
void FillFromDiscovery(MainState& state, const fw::GuiDiscovery& discovery);

// The settings side's ports: the system's from ports, the board's hwk.dll, the boxes it may show
// (a window's go through its thread) and [SETTING] read from info, which must outlive them.
SettingsPorts WireSettingsPorts(const MainPorts& ports, Hwk& hwk, MessageBoxes& boxes,
                                InfoStore& info);

struct UserPowerAtStart {
  UserPowerSettings settings;
  bool parked = false;  // a "keep saving" close left them, with the saving plan still in force
};
// The user's own power plan and time-outs at a start, also set in the control's state: the parked
// ones, else the record of a run that did not end cleanly (what the system has may then be the
// saving plan), else the system's now, a time-out that cannot be read kept as unknown.
UserPowerAtStart ReadUserPowerAtStart(SettingsControl& control, InfoStore& info);

}  // namespace zor
