// Every lock name Zorwise's programs share, with each other and with the other hardware tools on
// the machine: one spelling for all of them.
#pragma once

namespace zor::locks {

// Taken around shared hardware, so that two programs never interleave an index/data pair or an
// SMBus transaction.
constexpr char kIsaBus[] = "Global\\Access_ISABUS.HTP.Method";  // sensor index/data port pair
constexpr char kSmbus[] = "Global\\Access_SMBUS.HTP.Method";    // one SMBus transaction
constexpr char kPci[] = "Global\\Access_PCI";                   // one 0xCF8/0xCFC pair

// Held by the running zor2: the firmware is one per machine, so one name across all sessions.
constexpr char kZor2Instance[] = "Global\\QUARVEL_ZOR20_MUTEX_BY_MERVIK";

// Held by a running Zor2Tray: one copy per logon session, each user's desktop its own.
constexpr char kZor2TrayInstance[] = "Local\\Zorwise.Zor2Tray";

// An INFO.DAT's lock: this prefix and a hash of the file's path (InfoLockName).
constexpr char kInfoPrefix[] = "Global\\ZorwiseInfo-";

}  // namespace zor::locks
