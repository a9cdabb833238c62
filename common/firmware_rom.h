// Rewriting the 16-bit value of the "DECG" settings block in the BIOS ROM, so that a setting
// survives a restart.
#pragma once

#include <cstdint>
#include <string>

#include "common/firmware.h"
#include "platform/hwk.h"

namespace zor::fw {

enum class RomUpdateStatus {
  Ok,
  RomMapFailed,      // mapping the ROM area ("Mapping 1")
  NoBlock,           // no "DECG" in the ROM area: nothing is written
  BlockCrossesPage,  // the value bytes would lie outside the block's page: nothing is written
  PageMapFailed,     // mapping the block's page ("Mapping 2")
  AllocFailed,       // no physical buffer for the new page
};

struct RomUpdateOutcome {
  RomUpdateStatus status = RomUpdateStatus::Ok;
  std::string message;          // "" for Ok
  const char* caption = "";     // "Error" for every failure, shown with the stop icon
  int exitCode = 0;             // 1 for every failure
  uint32_t pageAddress = 0;     // physical address of the block's page, when found
  uint32_t blockOffset = 0;     // the block's offset within that page
};

// Finds the first "DECG" in the 64 KiB below 4 GiB, copies its page, stores value at the block's
// bytes 4-5 and has the firmware write the page back (EAX 0x29, then 0x2D with the new page).
RomUpdateOutcome UpdataBiosSetting(Hwk& hwk, const SmiTarget& target, Sleeper& sleeper,
                                   uint16_t value);

// The value the first "DECG" block holds now; false when the ROM area cannot be mapped, holds no
// block, or the block's value bytes would lie outside its page.
bool ReadBiosSetting(Hwk& hwk, uint16_t& value);

}  // namespace zor::fw
