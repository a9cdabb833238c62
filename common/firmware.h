// The firmware's energy-saving protocol: finding the "$ESY4" pointer, SMI calls, the discovery
// sequences of the service and of zor2, and the RailTable apply. Outcomes are returned, never
// shown: the service writes the trace text to its log, zor2 turns the status into its message
// box, message dialog, exit code or relaunch.
#pragma once

#include <cstdint>
#include <string>

#include "common/memory_view.h"
#include "platform/hwk.h"

namespace zor::fw {

// Waits between firmware requests; injected so tests do not wait.
class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void SleepMs(uint32_t milliseconds) = 0;
};

// Sleeps for real.
class ThreadSleeper : public Sleeper {
 public:
  void SleepMs(uint32_t milliseconds) override;
};

// Where the firmware's SMI handler listens.
struct SmiTarget {
  uint16_t port = 0;
  uint8_t type = 0;
};

struct EsyPointerScan {
  bool found = false;  // at least one "$ESY4"; port and type stay 0 otherwise
  bool mapped = true;  // false when the BIOS area could not be mapped
  SmiTarget target;
};

// Scans the BIOS area at every 16 bytes; the last pointer found wins. The mapping is released.
EsyPointerScan LocateEsyPointer(Hwk& hwk);

// One energy-saving SMI: AH function, AL SmiType, EBX selector, EDX SmiPort, ESI as given.
// Returns the registers as the firmware left them; EAX 0 means success.
SmiRegisters SmiCall(Hwk& hwk, const SmiTarget& target, uint8_t function, uint32_t selector,
                     uint32_t esi = 0);

// Releases a MapMemEx result.
void Unmap(Hwk& hwk, uint64_t mapping);

// The bytes of a MapMemEx result of `length` bytes (empty for a failed mapping).
MemoryView MappedView(uint64_t mapping, uint32_t length);

// ---- Service discovery ------------------------------------------------------------------------

enum class ServiceDiscoveryStatus { Ok, NoSmiInfo, NotSupported, NoTableAddress, MapFailed };

struct ServiceDiscovery {
  ServiceDiscoveryStatus status = ServiceDiscoveryStatus::NoSmiInfo;
  const char* trace = "";  // the trace-log line of a failure ("" on success)
  SmiTarget target;
  uint32_t tableAddress = 0;  // physical address of the EnergyTable
  uint64_t mapping = 0;       // MapMemEx result; hand to Unmap when the service stops
  MemoryView table;           // the mapped 8192 bytes
};

// Pointer, 0xB0/0xB1 for the EnergyTable, map 8192 bytes. A port of 0 with a non-zero type is
// accepted here.
ServiceDiscovery DiscoverForService(Hwk& hwk);

// ---- zor2 discovery -----------------------------------------------------------------------

enum class GuiDiscoveryStatus {
  Ok,
  NoSmiInfo,              // no pointer, or port or type 0
  NotSupported,           // 0xB0 for the EnergyTable refused
  NoTableAddress,         // ten 0xB1 requests for the EnergyTable refused
  RailTableNotSupported,  // 0xB0 for the RailTable refused
  NoRailTableAddress,     // 0xB1 for the RailTable refused: relaunch
  MapFailed,              // the EnergyTable could not be mapped
  RailTableOutside,       // the RailTable does not lie inside the mapping
};

struct GuiDiscovery {
  GuiDiscoveryStatus status = GuiDiscoveryStatus::NoSmiInfo;
  SmiTarget target;
  uint32_t energyTableAddress = 0;
  uint32_t railTableAddress = 0;
  uint64_t mapping = 0;    // kept for the program's life
  MemoryView energyTable;  // the mapped 4608 bytes
  MemoryView railTable;    // the rest of the mapping from the RailTable's start
};

// Steps of zor2's start: pointer, 0xB0/0xB1 (10 tries 500 ms apart) for the EnergyTable, 0xB0 and
// (after 500 ms) 0xB1 for the RailTable, map 4608 bytes. What the user is told of a failure is
// zor2's own business (gui/app/discovery_outcome.h).
GuiDiscovery DiscoverForGui(Hwk& hwk, Sleeper& sleeper);

// The RailTable inside zor2's EnergyTable mapping, at the difference of the two addresses. Empty
// when the RailTable starts before the EnergyTable or its header does not fit.
MemoryView RailTableWithin(MemoryView energyMapping, uint32_t energyTableAddress,
                           uint32_t railTableAddress);

// ---- RailTable apply -----------------------------------------------------------------------

// Asks the firmware to apply the RailTable as it now stands in memory (0xB2, selector 0xB9).
void ApplyRailTable(Hwk& hwk, const SmiTarget& target);

}  // namespace zor::fw
