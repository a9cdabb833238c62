// How the board's readings follow the load, the level the firmware runs and the rails it applied:
// about 25 W idle to 95 W at full load at 1.10-1.35 V, less with saving on and at stronger levels.
#include <cmath>

#include "common/firmware_layout.h"
#include "common/memory_view.h"
#include "sim/board/board.h"
#include "sim/board/board_firmware.h"

namespace zor::sim {

namespace {

constexpr int kDefaultLoad = 30;
constexpr double kIdleWatts = 25.0;
constexpr double kLoadWatts = 70.0;
constexpr double kIdleVolts = 1.10;
constexpr double kLoadVolts = 0.25;
constexpr double kWattsPerRailUnit = 0.00005;  // 10000 units (10 mV) below base save 0.5 W

struct LevelEffect {
  double idle;
  double load;
  double volts;
};

LevelEffect EffectOf(uint16_t flags) {
  if (!(flags & fw::cf::kActive)) return {1.0, 1.0, 0.0};
  int level = (flags & fw::cf::kLevelMask) >> fw::cf::kLevelShift;
  if (level % 2 == 0) level = fw::kLevelL1;
  if (level == fw::kLevelL3) return {0.80, 0.75, 0.06};
  if (level == fw::kLevelL2) return {0.88, 0.85, 0.04};
  return {0.94, 0.92, 0.02};
}

uint8_t ToRaw(double value) {
  const double rounded = std::floor(value + 0.5);
  if (!(rounded >= 1.0)) return 1;
  return rounded > 254.0 ? 254 : static_cast<uint8_t>(rounded);
}

}  // namespace

int Board::Load() {
  int load = m_state.pinnedLoad;
  if (load < 0) load = m_loadSource ? m_loadSource() : kDefaultLoad;
  load = load < 0 ? 0 : (load > 100 ? 100 : load);
  m_state.lastLoad = load;
  return load;
}

Readings Board::Measure() {
  Readings r;
  r.load = Load();
  const uint16_t flags = ControlFlags();
  const LevelEffect effect = EffectOf(flags);
  const double fraction = r.load / 100.0;
  double idle = kIdleWatts * effect.idle;
  double dynamic = kLoadWatts * fraction * effect.load;
  if (flags & fw::cf::kActive) {
    if (flags & fw::cf::kThrottle) dynamic *= 0.9;
    if ((flags & fw::cf::kLowPower) && m_state.profile.offersLowPower) idle -= 2.0;
  }
  double railSaving = 0;
  for (uint32_t i = 0; i < kMaxRails; ++i) {
    if (m_state.appliedRails[i] < m_state.railBases[i]) {
      railSaving += (m_state.railBases[i] - m_state.appliedRails[i]) * kWattsPerRailUnit;
    }
  }
  r.watts = std::fmax(5.0, idle + dynamic - railSaving);
  // Saving trims the load-line rise; the idle voltage stays where the processor needs it.
  r.volts = kIdleVolts + (kLoadVolts - effect.volts) * fraction;
  r.amps = r.watts / r.volts;

  // Phase shedding: with saving on the regulator runs as few phases as the load allows.
  r.activePhases = static_cast<uint8_t>((flags & fw::cf::kActive) ? 1 + (r.load * 5 + 50) / 100 : 6);
  r.phaseIndex = static_cast<uint8_t>(r.activePhases - 1);

  r.voltageRaw = ToRaw(r.volts * 1000.0 / kVoltageStepMv);
  switch (m_state.profile.currentMode) {
    case CurrentMode::kRegister:
      r.currentRaw = ToRaw(r.amps / (kCurrentScale * 0.00001));
      break;
    case CurrentMode::kRange: {
      const RangeEntry& low = Range(0);
      const RangeEntry& high = Range(1);
      const double lowAmps = low.coefficient * 0.00001;
      if (r.amps <= lowAmps * low.high) {
        r.currentRaw = ToRaw(r.amps / lowAmps);
      } else {
        const uint8_t raw = ToRaw(r.amps / (high.coefficient * 0.00001));
        r.currentRaw = static_cast<uint8_t>(raw < high.low ? high.low : raw);
      }
      break;
    }
    case CurrentMode::kSmbus:
      r.currentRaw = ToRaw(r.amps / (PhaseCoefficient(r.phaseIndex) * 0.00001));
      break;
  }
  if (m_state.pinnedVoltageRaw >= 0) r.voltageRaw = static_cast<uint8_t>(m_state.pinnedVoltageRaw);
  if (m_state.pinnedCurrentRaw >= 0) r.currentRaw = static_cast<uint8_t>(m_state.pinnedCurrentRaw);
  return r;
}

void Board::UpdatePhaseWord(const Readings& readings) {
  if (!(ControlFlags() & fw::cf::kActive)) return;  // the packet's word stands while saving is off
  const MemoryView table(m_state.tables, sizeof m_state.tables);
  table.Write16(fw::et::kPhaseMask, static_cast<uint16_t>((1u << readings.activePhases) - 1));
}

uint8_t Board::ReadSensor(uint8_t reg) {
  if (reg == kVoltageRegister) {
    if (HasFault(kFaultFfVoltage)) return 0xFF;
    const Readings now = Measure();
    UpdatePhaseWord(now);
    return now.voltageRaw;
  }
  if (reg == kCurrentRegister) {
    if (HasFault(kFaultFfCurrent)) return 0xFF;
    return Measure().currentRaw;
  }
  return 0;
}

}  // namespace zor::sim
