// The rail targets of the saving in force, written again by the service: after a resume the
// voltage regulator has forgotten them, and after a boot nobody has set them yet, while the
// window that sets them may never be opened.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/firmware.h"
#include "common/memory_view.h"
#include "common/rail_targets.h"
#include "platform/hwk.h"
#include "service/trace.h"

namespace zor {

enum class RailReapply {
  kApplied,      // the level's or the advanced set's targets written and applied
  kSavingOff,    // saving is off in the firmware: the rails are left alone
  kNoRailTable,  // the firmware gave no RailTable inside the service's mapping
};

// A "SETTING" value of INFO.DAT, with its default.
using SettingReader = std::function<std::string(const char* key, const char* def)>;

// energyTable is the service's mapping from energyTableAddress. With "Adv" = 1 the advanced set's
// rails are written, otherwise those of the level in ControlFlags; then the firmware applies the
// RailTable.
RailReapply ReapplyRails(Hwk& hwk, const fw::SmiTarget& target, MemoryView energyTable,
                         uint32_t energyTableAddress, const PlatformClass& platform,
                         const SettingReader& readSetting, TraceSink& trace);

}  // namespace zor
