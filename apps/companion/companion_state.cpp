#include "apps/companion/companion_state.h"

#include <cstdio>

#include "common/figure_units.h"
#include "common/info_keys.h"

namespace zor {

CompanionFigures ReadCompanionFigures(InfoStore& info, FileOps& files) {
  CompanionFigures figures;
  if (!files.Exists(info.Path())) return figures;
  figures.present = true;
  std::string saveTime;
  // One read of the file for all the figures, so they belong to one publication.
  info.Transact([&](InfoFile& file) {
    const auto text = [&](const char* key) {
      return file.Read(info::kValue, key, "0", info::kPathCapacity);
    };
    const std::string cpu = text(info::kCpuMax);
    const std::string current = text(info::kCurrent);
    const std::string total = text(info::kTotal);
    saveTime = text(info::kSaveTime);
    figures.cpuPower = ProfileReal(cpu);
    figures.current = ProfileReal(current);
    figures.total = ProfileReal(total);
    figures.raw = cpu + ";" + current + ";" + total + ";" + saveTime;
  });
  return figures;
}

const char* LookName(CompanionLook look) {
  switch (look) {
    case CompanionLook::kSavingOn:
      return "saving on";
    case CompanionLook::kSavingOff:
      return "saving off";
    case CompanionLook::kStale:
      return "stale";
    case CompanionLook::kNoService:
      return "no service";
  }
  return "";
}

namespace {

// The part of the raw texts that only moves while saving: Current, Total and SaveTime.
std::string Counters(const std::string& raw) {
  const size_t first = raw.find(';');
  return first == std::string::npos ? std::string() : raw.substr(first + 1);
}

}  // namespace

void CompanionState::Tick(const CompanionFigures& figures, const std::function<bool()>& serviceStopped) {
  const bool countersMoved =
      m_figures.present && figures.present && Counters(figures.raw) != Counters(m_figures.raw);
  if (countersMoved) {
    m_nCountersStill = 0;
  } else if (m_nCountersStill < FigureLiveness::kStillSeconds) {
    ++m_nCountersStill;
  }
  m_figures = figures;
  if (figures.present) m_liveness.Tick(figures.raw, serviceStopped);
}

CompanionLook CompanionState::Look() const {
  if (!m_figures.present) return CompanionLook::kNoService;
  if (m_liveness.Stale()) return CompanionLook::kStale;
  return m_nCountersStill < FigureLiveness::kStillSeconds ? CompanionLook::kSavingOn
                                                          : CompanionLook::kSavingOff;
}

std::string TooltipText(CompanionLook look, const CompanionFigures& figures, bool demoBoard) {
  const char* title = demoBoard ? "Zorwise, demo board" : "Zorwise";
  char text[kTooltipCapacity];
  switch (look) {
    case CompanionLook::kNoService:
      std::snprintf(text, sizeof text, "%s\n%s\nNo figures: INFO.DAT is missing", title,
                    kServiceNotRunningText);
      break;
    case CompanionLook::kStale:
      std::snprintf(text, sizeof text, "%s\n%s\nLast total %s", title, kServiceNotRunningText,
                    FigureWithUnit(Figure::kSavingFigure, figures.total).c_str());
      break;
    case CompanionLook::kSavingOn:
    case CompanionLook::kSavingOff:
      std::snprintf(text, sizeof text, "%s: %s\n%s %s\nSaving %s\nTotal %s", title, LookName(look),
                    FigureName(Figure::kCpuPower),
                    FigureWithUnit(Figure::kCpuPower, figures.cpuPower).c_str(),
                    FigureWithUnit(Figure::kSavingFigure, figures.current).c_str(),
                    FigureWithUnit(Figure::kSavingFigure, figures.total).c_str());
      break;
  }
  return text;
}

bool ShowsIconAtStart(bool logonStart, bool hiddenByUser) { return !(logonStart && hiddenByUser); }

}  // namespace zor
