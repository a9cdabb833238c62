#include "service/cpu_load.h"

#include <cctype>
#include <cstring>
#include <string>

#include "common/memory_view.h"

namespace zor {

namespace {

// Offsets within the system's performance-data records (the same in 32- and 64-bit builds).
namespace block {
constexpr size_t kHeaderLength = 24;
constexpr size_t kObjectCount = 28;
constexpr size_t kTime100ns = 72;
constexpr size_t kSize = 88;
}  // namespace block
namespace object {
constexpr size_t kTotalLength = 0;
constexpr size_t kDefinitionLength = 4;
constexpr size_t kHeaderLength = 8;
constexpr size_t kTitleIndex = 12;
constexpr size_t kCounterCount = 32;
constexpr size_t kInstanceCount = 40;
constexpr size_t kSize = 64;
constexpr int32_t kNoInstances = -1;
}  // namespace object
namespace counter {
constexpr size_t kLength = 0;
constexpr size_t kTitleIndex = 4;
constexpr size_t kOffset = 36;
constexpr size_t kSize = 40;
}  // namespace counter
namespace instance {
constexpr size_t kLength = 0;
constexpr size_t kNameOffset = 16;
constexpr size_t kNameLength = 20;
constexpr size_t kSize = 24;
}  // namespace instance

constexpr uint32_t kSystemObject = 2, kSystemProcessorTime = 240;
constexpr uint32_t kProcessorObject = 238, kProcessorTime = 6;
constexpr char kTotalInstance[] = "_Total";
constexpr uint32_t kSamplePeriodMs = 1000;

// The UTF-16 name in the code page's terms: only its ASCII letters can match a wanted name.
bool NameMatches(const ReadOnlyView& r, size_t offset, size_t bytes, const char* wanted) {
  std::string name;
  for (size_t i = 0; i + 1 < bytes; i += 2) {
    const unsigned unit = r.U16(offset + i);
    if (unit == 0) break;
    name += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  if (name.size() != std::strlen(wanted)) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) !=
        std::tolower(static_cast<unsigned char>(wanted[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

PerfLookup FindPerfCounter(const uint8_t* data, size_t size, uint32_t objectIndex,
                           uint32_t counterIndex, const char* instanceName, uint64_t& value,
                           uint64_t& time100ns) {
  const ReadOnlyView r(data, size);
  if (!r.Contains(0, block::kSize)) return PerfLookup::kNoObject;
  time100ns = r.U64(block::kTime100ns);

  size_t obj = r.U32(block::kHeaderLength);
  const uint32_t objects = r.U32(block::kObjectCount);
  bool found = false;
  for (uint32_t i = 0; i < objects && r.Contains(obj, object::kSize); ++i) {
    if (r.U32(obj + object::kTitleIndex) == objectIndex) {
      found = true;
      break;
    }
    const uint32_t length = r.U32(obj + object::kTotalLength);
    if (length == 0) break;
    obj += length;
  }
  if (!found) return PerfLookup::kNoObject;

  size_t def = obj + r.U32(obj + object::kHeaderLength);
  const uint32_t counters = r.U32(obj + object::kCounterCount);
  bool counterFound = false;
  uint32_t counterOffset = 0;
  for (uint32_t i = 0; i < counters && r.Contains(def, counter::kSize); ++i) {
    if (r.U32(def + counter::kTitleIndex) == counterIndex) {
      counterFound = true;
      counterOffset = r.U32(def + counter::kOffset);
      break;
    }
    const uint32_t length = r.U32(def + counter::kLength);
    if (length == 0) break;
    def += length;
  }
  if (!counterFound) return PerfLookup::kNoCounter;

  size_t counterBlock = obj + r.U32(obj + object::kDefinitionLength);
  const int32_t instances = static_cast<int32_t>(r.U32(obj + object::kInstanceCount));
  if (instances != object::kNoInstances || instanceName) {
    if (!instanceName || instances < 0) return PerfLookup::kNoInstance;
    size_t inst = counterBlock;
    bool matched = false;
    for (int32_t i = 0; i < instances && r.Contains(inst, instance::kSize); ++i) {
      const size_t nameAt = inst + r.U32(inst + instance::kNameOffset);
      const size_t nameBytes = r.U32(inst + instance::kNameLength);
      const size_t blockAt = inst + r.U32(inst + instance::kLength);
      if (!r.Contains(blockAt, 4)) break;
      if (r.Contains(nameAt, nameBytes) && NameMatches(r, nameAt, nameBytes, instanceName)) {
        counterBlock = blockAt;
        matched = true;
        break;
      }
      const uint32_t blockLength = r.U32(blockAt);
      if (blockLength == 0) break;
      inst = blockAt + blockLength;
    }
    if (!matched) return PerfLookup::kNoInstance;
  }
  if (!r.Contains(counterBlock + counterOffset, 8)) return PerfLookup::kNoCounter;
  value = r.U64(counterBlock + counterOffset);
  return PerfLookup::kFound;
}

int LoadPercent(uint64_t prevIdle, uint64_t idle, uint64_t prevTime, uint64_t time) {
  if (time <= prevTime) return 0;
  const double idleShare = static_cast<double>(static_cast<int64_t>(idle - prevIdle)) /
                           static_cast<double>(time - prevTime);
  const double load = (1.0 - idleShare) * 100.0 + 0.5;
  if (!(load > 0.0)) return 0;
  // An idle counter that runs backwards would give more than the whole machine.
  if (load >= 100.0) return 100;
  return static_cast<int>(load);
}

int CpuLoadSampler::Sample() {
  if (m_platform < 0) m_platform = m_perf.PlatformCode();
  // Only the later NT family has the switches; NT 4's system object needs none.
  if (m_first && m_platform == 1) m_perf.EnableCounters();
  if (m_platform != 0 && m_platform != 1) return -1;

  const bool nt4 = m_platform == 0;
  uint64_t value = 0;
  uint64_t time = 0;
  Source source = Source::kPerfData;
  const uint32_t objectIndex = nt4 ? kSystemObject : kProcessorObject;
  // A system that once answered without the counter keeps doing so, and asking is costly there.
  if (m_source == Source::kSystemTimes || !m_perf.Query(objectIndex, m_buffer) ||
      FindPerfCounter(m_buffer.data(), m_buffer.size(), objectIndex,
                      nt4 ? kSystemProcessorTime : kProcessorTime, nt4 ? nullptr : kTotalInstance,
                      value, time) != PerfLookup::kFound) {
    source = Source::kSystemTimes;
    if (!m_perf.SystemTimes(value, time)) return 0;
  }

  int load = 0;
  if (!m_first && source == m_source) load = LoadPercent(m_prevValue, value, m_prevTime, time);
  m_first = false;
  m_source = source;
  m_prevValue = value;
  m_prevTime = time;
  return load;
}

void RunSampler(CpuLoadSampler& sampler, ServiceFlags& flags, Clock& clock) {
  uint64_t next = clock.NowMs();
  while (!flags.samplerStop.load()) {
    flags.usage.store(sampler.Sample());
    next += kSamplePeriodMs;
    if (clock.NowMs() > next + kSamplePeriodMs) next = clock.NowMs() + kSamplePeriodMs;
    // One wake-up a second; the thread ends within a second of the stop.
    clock.SleepUntilMs(next);
  }
}

}  // namespace zor
