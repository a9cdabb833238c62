// Zor2Tray's logic: what the service's figures in INFO.DAT say, once a second, and the icon and
// tooltip that show it. The companion runs as the user and only ever reads the file.
#pragma once

#include <functional>
#include <string>

#include "common/figure_liveness.h"
#include "common/info_store.h"
#include "platform/file_ops.h"

namespace zor {

// What the service last published.
struct CompanionFigures {
  bool present = false;  // INFO.DAT is there
  double cpuPower = 0;   // W
  double current = 0;    // saving figure since the last reset
  double total = 0;      // saving figure since the start date
  std::string raw;       // the texts as read, compared from one tick to the next
};

// The figures in info's file, read in one go; not present when the file is missing. The store is
// kept from one read to the next, so its lock and cache are made once.
CompanionFigures ReadCompanionFigures(InfoStore& info, FileOps& files);

enum class CompanionLook {
  kSavingOn,   // figures live, the saving counters moving
  kSavingOff,  // figures live, the saving counters still
  kStale,      // figures standing still and the service stopped
  kNoService,  // no INFO.DAT
};

// The word --state prints for a look.
const char* LookName(CompanionLook look);

class CompanionState {
 public:
  // Once a second, with the figures as read; serviceStopped as FigureLiveness asks it.
  void Tick(const CompanionFigures& figures, const std::function<bool()>& serviceStopped);
  CompanionLook Look() const;
  const CompanionFigures& Figures() const { return m_figures; }

 private:
  FigureLiveness m_liveness;
  CompanionFigures m_figures;
  // Ticks since the saving counters last moved; saving counts as on while this is short, as the
  // service publishes on whole seconds and a read can fall twice between two of them.
  int m_nCountersStill = FigureLiveness::kStillSeconds;
};

// The icon's tooltip: what the look says, the CPU power, the saving figures with their units, and
// "demo board" when the simulated board's library is beside the program. At most
// kTooltipCapacity - 1 characters.
constexpr size_t kTooltipCapacity = 128;
std::string TooltipText(CompanionLook look, const CompanionFigures& figures, bool demoBoard);

// Whether a start of Zor2Tray puts its icon up. The logon start (from the Run key) respects the
// user's "Hide icon"; a start by the user (the Start menu) brings the icon back.
bool ShowsIconAtStart(bool logonStart, bool hiddenByUser);

}  // namespace zor
