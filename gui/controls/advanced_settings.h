// The window-thread half of the advanced command: the dialog, and after a SAVE the low-power
// question. Its result goes to StoreAdvancedSettings (gui/settings) on the settings worker.
#pragma once

#include "gui/settings/advanced_command.h"
#include "ui/window.h"

namespace zor {

// Runs the advanced dialog modally over owner, opened on start. After a SAVE the result holds the
// fourteen [SETTING] keys in their order and, when the low-power option changed and the user
// confirmed it (message 12 or 13), the request to switch it and restart.
AdvancedChoice RunAdvancedSettings(ui::ModalHost& owner, const AdvancedStart& start);

}  // namespace zor
