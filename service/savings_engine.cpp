#include "service/savings_engine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/firmware_tables.h"
#include "common/info_keys.h"

namespace zor {

namespace {

// The calculation's constants, as the figures in existing INFO.DAT files were made with them.
constexpr double kMilli = 0.001;
constexpr double kCurrentUnit = 0.00001;
constexpr uint32_t kScaleWithOffset = 160000;
constexpr double kDivisorNumerator = 10.0;
constexpr double kDivisorStep = 12.5;
constexpr double kPerDivisorHour = 2.777777777777778e-05;  // 1/36000
constexpr double kPerHour = 2.777777777777778e-06;         // 1/360000
constexpr double kStrongestWithDivisor = 1.5;
constexpr double kMildestWeight = 0.4444444444444444;       // 4/9
constexpr double kMiddleWeight = 0.6666666666666666;        // 2/3
constexpr double kMaxSaveTime = 8639999.0;                  // 99 days 23:59:59
constexpr double kMaxEnergy = 1e9;
constexpr uint8_t kNoReading = 0xFF;
constexpr uint32_t kSmbusBus = 0, kSmbusDevice = 31, kSmbusFunction = 3, kSmbusBaseRegister = 0x20;
constexpr int kPciAttempts = 3;
// Room for "%f" of any double.
constexpr size_t kNumberCapacity = 352;

// A figure read back from the file that is not a plain count is not trusted.
double RestoredFigure(const std::string& text) {
  const double value = std::atof(text.c_str());
  return std::isfinite(value) && value >= 0.0 ? value : 0.0;
}

}  // namespace

double EfficiencyFactor(uint32_t index) {
  if (index < 2 || index > 62) return 0.0;
  return 0.85 + 0.0125 * (index - 2);
}

SavingsEngine::SavingsEngine(Hwk& hwk, MemoryView table, ValueStore& store, Clock& clock,
                             TraceSink& trace, HardwareLocks& locks,
                             const std::atomic<int32_t>& usage)
    : m_table(table), m_store(store), m_clock(clock), m_trace(trace), m_io(hwk, clock, locks),
      m_usage(usage) {}

bool SavingsEngine::Prepare() {
  m_revision = m_table.U8(fw::et::kRevision);
  m_active = (m_table.U16(fw::et::kControlFlags) & fw::cf::kActive) != 0;
  m_efficiency = EfficiencyFactor(m_table.U8(fw::et::kEfficiencyIndex));
  m_smbusMode = (m_table.U16(fw::et::kStatusFlags) & fw::sf::kSmbusRegulator) != 0;
  if (!m_smbusMode) return true;

  m_trace.Write("1\n");
  uint32_t config = 0;
  bool read = false;
  for (int attempt = 0; attempt < kPciAttempts && !read; ++attempt) {
    read = m_io.ReadPciConfig(kSmbusBus, kSmbusDevice, kSmbusFunction, kSmbusBaseRegister, config) ==
           IoStatus::kOk;
  }
  if (!read) {
    m_trace.Write("PCI access busy!!\n");
    return false;
  }
  m_smbusBase = config & 0xFFFE;
  m_trace.Write("2\n");

  fw::VrInfo vr;
  const fw::TableError error = fw::ReadVrBlock(m_table, vr);
  m_trace.Write("3\n");
  if (error != fw::TableError::None) {
    Tracef(m_trace, "%s outside the table!!\n", fw::TableErrorName(error));
    return false;
  }
  m_smbusAddress = vr.smbusAddress;
  m_smbusCommand = vr.phaseCommand;
  m_trace.Write("4\n");
  m_coefficients.fill(0);
  m_trace.Write("5\n");
  for (uint32_t i = 0; i < vr.coefficientCount && i < m_coefficients.size(); ++i) {
    m_coefficients[i] = vr.coefficients[i];
  }
  m_trace.Write("6\n");
  return true;
}

StoreResult SavingsEngine::RestoreTotals() {
  const StoreResult result = m_store.Transaction([&](ValueFile& file) {
    m_current = RestoredFigure(file.Get(info::kCurrent));
    m_total = RestoredFigure(file.Get(info::kTotal));
    m_saveTime = RestoredFigure(file.Get(info::kSaveTime));
  });
  m_merge = result == StoreResult::kNotAFile || result == StoreResult::kTooLarge;
  if (m_merge) Saved(result);
  return result;
}

StoreResult SavingsEngine::MergeStored() {
  double current = 0.0, total = 0.0, saveTime = 0.0;
  const StoreResult result = m_store.Transaction([&](ValueFile& file) {
    current = RestoredFigure(file.Get(info::kCurrent));
    total = RestoredFigure(file.Get(info::kTotal));
    saveTime = RestoredFigure(file.Get(info::kSaveTime));
  });
  if (result == StoreResult::kOk) {
    m_current += current;
    m_total += total;
    m_saveTime += saveTime;
    m_merge = false;
  }
  return result;
}

void SavingsEngine::RunCycle() {
  const uint16_t status = m_table.U16(fw::et::kStatusFlags);
  m_status = status;
  if (status & fw::sf::kSkip) {
    m_table.Write16(fw::et::kStatusFlags, static_cast<uint16_t>(status & ~fw::sf::kSkip));
    return;
  }
  const uint16_t control = m_table.U16(fw::et::kControlFlags);
  m_control = control;
  m_throttleEnabled = (control & fw::cf::kThrottle) != 0;

  const uint32_t indexPort = m_table.U16(fw::et::kSensorIndexPort);
  const uint32_t dataPort = m_table.U16(fw::et::kSensorDataPort);
  const uint32_t voltageReg = m_table.U16(fw::et::kVoltageRegister);
  ByteRead volts, current;
  // In SMBus mode the current is read after the regulator, so the lock is not held across that.
  if (m_smbusMode) {
    volts = m_io.ReadSensor(indexPort, dataPort, voltageReg);
  } else {
    m_io.ReadSensorPair(indexPort, dataPort, voltageReg, m_table.U16(fw::et::kCurrentRegister), volts,
                        current);
  }
  if (!volts.Ok() || volts.value == kNoReading) return;
  m_vout = volts.value * static_cast<double>(m_table.U16(fw::et::kVoltageStepMv)) * kMilli;

  double amps = 0.0;
  if (!ReadCurrentAmps(status, control, current, amps)) return;
  m_cpuMax = amps * m_vout;

  if (!(control & fw::cf::kActive)) {
    m_active = false;
    // Each save replaces and flushes the whole file: once a second is as often as it is read.
    const uint64_t now = m_clock.NowMs();
    if (m_cpuMax != 0.0 && (!m_saved || now - m_lastSaveMs >= kSaveIntervalMs)) {
      m_saved = true;
      m_lastSaveMs = now;
      Saved(m_store.Transaction([&](ValueFile& file) { SetReal(file, info::kCpuMax, m_cpuMax); }));
    }
    return;
  }
  m_active = true;
  double energy = EnergyIncrement(amps, control);
  if (m_saveTime > kMaxSaveTime) m_saveTime = 0.0;
  if (!(energy >= 0.0 && energy <= kMaxEnergy)) energy = 0.0;  // also NaN
  m_current += energy;
  m_total += energy;
  m_counted += energy;
  if (energy > 0.0) m_unpublished = true;

  // Publish on whole seconds only: the counter's fraction is below one cycle.
  if (std::trunc(m_saveTime) * 10.0 != std::trunc(m_saveTime * 10.0)) return;
  Publish(energy);
}

bool SavingsEngine::ReadCurrentAmps(uint16_t status, uint16_t control, const ByteRead& sensor,
                                    double& amps) {
  if (m_smbusMode) {
    const uint32_t indexPort = m_table.U16(fw::et::kSensorIndexPort);
    const uint32_t dataPort = m_table.U16(fw::et::kSensorDataPort);
    const uint32_t reg = m_table.U16(fw::et::kCurrentRegister);
    const ByteRead phaseState = m_io.SmbusReadByte(m_smbusBase, m_smbusAddress, m_smbusCommand);
    if (!phaseState.Ok() || phaseState.value == kNoReading) return false;
    m_phase = phaseState.value & 7;
    const ByteRead smbusCurrent = m_io.ReadSensor(indexPort, dataPort, reg);
    if (!smbusCurrent.Ok() || smbusCurrent.value == kNoReading) return false;
    const int reading = smbusCurrent.value == 0 ? 1 : smbusCurrent.value;
    amps = m_coefficients[static_cast<size_t>(m_phase)] * static_cast<double>(reading) * kCurrentUnit;
    return true;
  }

  if (!sensor.Ok()) return false;
  const int reading = sensor.value == 0 ? 1 : sensor.value;
  if (status & fw::sf::kRangeMode) return RangeCurrent(reading, amps);

  const uint32_t scale = m_table.U32(fw::et::kCurrentScale);
  const int counted = (!(control & fw::cf::kActive) && scale > kScaleWithOffset) ? reading + 1 : reading;
  amps = counted * static_cast<double>(scale) * kCurrentUnit;
  return true;
}

// A reading no range covers is taken at the voltage's figure, as the boards have always shown it.
bool SavingsEngine::RangeCurrent(int reading, double& amps) {
  if (m_table.empty()) {
    m_trace.Write("Calc piout Map=NULL\n");
    return false;
  }
  fw::CurrentRanges ranges;
  if (fw::LocateCurrentRanges(m_table, ranges) != fw::TableError::None) {
    if (!m_rangeRefused) {
      Tracef(m_trace, "CurrentRange count %u outside the table!!\n",
             static_cast<unsigned>(m_table.U32(fw::et::kCurrentScale)));
    }
    m_rangeRefused = true;
    return false;
  }
  m_rangeRefused = false;
  amps = m_vout;
  for (uint32_t i = 0; i < ranges.count(); ++i) {
    const fw::CurrentRange range = ranges.At(i);
    if (range.low <= reading && reading <= range.high) {
      amps = range.coefficient * static_cast<double>(reading) * kCurrentUnit;
    }
  }
  return true;
}

double SavingsEngine::EnergyIncrement(double amps, uint16_t control) const {
  const double weighted = amps * (1.0 + m_efficiency);
  const int level = (control & fw::cf::kLevelMask) >> fw::cf::kLevelShift;
  const uint8_t divisor = m_table.U8(fw::et::kSaveDivisor);
  if ((control & fw::cf::kUseDivisor) && divisor != 0) {
    double energy = weighted * kDivisorNumerator / (divisor * kDivisorStep) * kPerDivisorHour;
    if (level == fw::kLevelL3) energy *= kStrongestWithDivisor;
    return energy;
  }
  double energy = weighted * kPerHour;
  if (level == fw::kLevelL1) energy *= kMildestWeight;
  if (level == fw::kLevelL2) energy *= kMiddleWeight;
  return energy;
}

void SavingsEngine::Saved(StoreResult result) {
  const char* lasting = nullptr;
  switch (result) {
    case StoreResult::kOk:
      m_traced = result;
      return;
    case StoreResult::kReadOnly: lasting = "SetQVValue failure: INFO.DAT is read-only!!\n"; break;
    case StoreResult::kNotAFile: lasting = "INFO.DAT is a directory, going on without it!!\n"; break;
    case StoreResult::kTooLarge: lasting = "INFO.DAT is larger than 1 MB, going on without it!!\n"; break;
    default:
      m_trace.Write("SetQVValue failure!!\n");
      return;
  }
  if (m_traced != result) m_trace.Write(lasting);
  m_traced = result;
}

void SavingsEngine::Publish(double energy) {
  m_saved = true;
  m_lastSaveMs = m_clock.NowMs();
  if (m_merge) {
    const StoreResult merged = MergeStored();
    if (merged != StoreResult::kOk) return Saved(merged);
  }
  Saved(m_store.Transaction([&](ValueFile& file) {
    SetReal(file, info::kVout, m_vout);
    if (std::atoi(file.Get(info::kCmd).c_str()) == 1) {
      m_current = 0.0;
      m_saveTime = 0.0;
      if (!file.Set(info::kCmd, "0")) m_trace.Write("SetQVValue failure!!\n");
    }
    if (m_cpuMax != 0.0) SetReal(file, info::kCpuMax, m_cpuMax);
    if (energy > 0.0) {
      SetReal(file, info::kCurrent, m_current);
      SetReal(file, info::kTotal, m_total);
      SetReal(file, info::kSaveTime, m_saveTime);
      SetValue(file, info::kUsage, m_usage.load(std::memory_order_relaxed));
      SetValue(file, info::kPhase, m_phase + 1);
      m_unpublished = false;
    }
  }));
}

void SavingsEngine::Flush() {
  if (!m_unpublished) return;
  if (m_merge) {
    const StoreResult merged = MergeStored();
    if (merged != StoreResult::kOk) return Saved(merged);
  }
  Saved(m_store.Transaction([&](ValueFile& file) {
    SetReal(file, info::kCurrent, m_current);
    SetReal(file, info::kTotal, m_total);
    SetReal(file, info::kSaveTime, m_saveTime);
  }));
  m_unpublished = false;
}

void SavingsEngine::SetReal(ValueFile& file, const char* key, double value) {
  char text[kNumberCapacity];
  std::snprintf(text, sizeof text, "%f", value);
  if (!file.Set(key, text)) m_trace.Write("SetQVValue failure!!\n");
}

void SavingsEngine::SetValue(ValueFile& file, const char* key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  if (!file.Set(key, text)) m_trace.Write("SetQVValue failure!!\n");
}

}  // namespace zor
