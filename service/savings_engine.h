// The measuring cycle: CPU voltage and current from the board, the power they give, and, while the
// firmware's energy saving is active, the energy saved and the time spent saving. Figures are
// published in INFO.DAT once per whole second of saving time; while saving is off the power figure
// is kept every cycle and written at most once a second, as often as the window reads it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "common/firmware_layout.h"
#include "common/memory_view.h"
#include "platform/clock.h"
#include "platform/hwk.h"
#include "service/board_io.h"
#include "service/hardware_locks.h"
#include "service/trace.h"
#include "service/value_store.h"

namespace zor {

// Weight of the board's regulator efficiency, indexed by table byte 41.
double EfficiencyFactor(uint32_t index);

class SavingsEngine {
 public:
  SavingsEngine(Hwk& hwk, MemoryView table, ValueStore& store, Clock& clock, TraceSink& trace,
                HardwareLocks& locks, const std::atomic<int32_t>& usage);

  // Reads the table fields kept for the service's life (revision, saving state, efficiency and,
  // on SMBus boards, the regulator's address, command and phase coefficients). False when the
  // table is refused.
  bool Prepare();
  // Current, Total and SaveTime as the last run left them in INFO.DAT (0 for a missing file).
  // Anything but kOk restored nothing: the lock stayed busy or the file could not be read. A file
  // the store refuses (kNotAFile, kTooLarge) is traced here, once.
  StoreResult RestoreTotals();
  void RunCycle();
  // The loop's share: each cycle while saving counts as 0.1 s, whatever it really took.
  void AddCycleTime() { m_saveTime += kCycleSeconds; }
  // Writes the figures gathered since the last publication, so that a stop loses nothing.
  void Flush();

  bool Active() const { return m_active; }
  bool ThrottleEnabled() const { return m_throttleEnabled; }
  uint8_t Revision() const { return m_revision; }
  uint32_t SmbusBase() const { return m_smbusBase; }
  bool SmbusMode() const { return m_smbusMode; }

  double Current() const { return m_current; }
  double Total() const { return m_total; }
  // The energy this run's cycles counted, without what was restored or merged from the file.
  double Counted() const { return m_counted; }
  double SaveTime() const { return m_saveTime; }
  double CpuMax() const { return m_cpuMax; }
  double Vout() const { return m_vout; }
  int Phase() const { return m_phase; }
  // The table's flags as the last cycle read them.
  uint16_t ControlFlags() const { return m_control; }
  uint16_t StatusFlags() const { return m_status; }
  void SetSaveTime(double seconds) { m_saveTime = seconds; }

  static constexpr double kCycleSeconds = 0.1;

 private:
  // sensor: the current register, read with the voltage (all modes but SMBus).
  bool ReadCurrentAmps(uint16_t status, uint16_t control, const ByteRead& sensor, double& amps);
  bool RangeCurrent(int reading, double& amps);
  double EnergyIncrement(double amps, uint16_t control) const;
  void Publish(double energy);
  // After a start whose file was refused, the first save that can read the file adds what it holds
  // to what was counted meanwhile, rather than overwrite it; until then nothing is saved.
  StoreResult MergeStored();
  // Traces a failed save: a lasting cause (a read-only file, a directory or an oversized file in
  // its place) once until a save works again, others each time.
  void Saved(StoreResult result);
  void SetReal(ValueFile& file, const char* key, double value);
  void SetValue(ValueFile& file, const char* key, int value);

  MemoryView m_table;
  ValueStore& m_store;
  Clock& m_clock;
  TraceSink& m_trace;
  BoardIo m_io;
  const std::atomic<int32_t>& m_usage;

  uint8_t m_revision = 0;
  double m_efficiency = 0.0;
  bool m_smbusMode = false;
  uint32_t m_smbusBase = 0;
  uint32_t m_smbusAddress = 0;
  uint32_t m_smbusCommand = 0;
  std::array<uint32_t, fw::vr::kMaxCoefficients> m_coefficients{};
  bool m_rangeRefused = false;

  bool m_active = false;
  uint16_t m_control = 0;
  uint16_t m_status = 0;
  bool m_throttleEnabled = false;
  double m_vout = 0.0;
  double m_cpuMax = 0.0;
  int m_phase = 0;
  double m_current = 0.0;
  double m_total = 0.0;
  double m_counted = 0.0;
  double m_saveTime = 0.0;
  bool m_unpublished = false;
  uint64_t m_lastSaveMs = 0;
  bool m_saved = false;  // m_lastSaveMs is set
  StoreResult m_traced = StoreResult::kOk;  // the lasting cause last traced
  bool m_merge = false;                      // the totals have yet to be merged with the file's

  static constexpr uint64_t kSaveIntervalMs = 1000;
};

}  // namespace zor
