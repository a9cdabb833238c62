#include "service/cpu_load.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/service/service_fakes.h"

namespace zor {
namespace {

// Builds performance-data blocks the way the system lays them out.
class BlockBuilder {
 public:
  explicit BlockBuilder(uint64_t time100ns) : m_bytes(88, 0) {
    Put32(24, 88);  // header length
    Put64(72, time100ns);
  }
  // An object with one counter definition per index; each counter's value lies at 8 + 8 k.
  BlockBuilder& Object(uint32_t titleIndex, std::vector<uint32_t> counters,
                       std::vector<std::pair<std::string, uint64_t>> instances, bool hasInstances,
                       uint64_t plainValue = 0) {
    const size_t start = m_bytes.size();
    m_bytes.resize(start + 64 + 40 * counters.size(), 0);
    Put32(start + 4, static_cast<uint32_t>(64 + 40 * counters.size()));
    Put32(start + 8, 64);
    Put32(start + 12, titleIndex);
    Put32(start + 32, static_cast<uint32_t>(counters.size()));
    Put32(start + 40, hasInstances ? static_cast<uint32_t>(instances.size()) : 0xFFFFFFFFu);
    for (size_t k = 0; k < counters.size(); ++k) {
      const size_t def = start + 64 + 40 * k;
      Put32(def, 40);
      Put32(def + 4, counters[k]);
      Put32(def + 36, static_cast<uint32_t>(8 + 8 * k));
    }
    const size_t blockSize = 8 + 8 * counters.size();
    if (!hasInstances) {
      AddCounterBlock(blockSize, plainValue, counters.size());
    }
    for (const auto& [name, value] : instances) {
      const size_t inst = m_bytes.size();
      const size_t nameBytes = 2 * (name.size() + 1);
      const size_t length = (24 + nameBytes + 7) / 8 * 8;
      m_bytes.resize(inst + length, 0);
      Put32(inst, static_cast<uint32_t>(length));
      Put32(inst + 16, 24);
      Put32(inst + 20, static_cast<uint32_t>(nameBytes));
      for (size_t i = 0; i < name.size(); ++i) m_bytes[inst + 24 + 2 * i] = static_cast<uint8_t>(name[i]);
      AddCounterBlock(blockSize, value, counters.size());
    }
    Put32(start, static_cast<uint32_t>(m_bytes.size() - start));
    Put32(28, Get32(28) + 1);
    return *this;
  }
  const std::vector<uint8_t>& Bytes() const { return m_bytes; }

 private:
  void AddCounterBlock(size_t size, uint64_t value, size_t counters) {
    const size_t at = m_bytes.size();
    m_bytes.resize(at + size, 0);
    Put32(at, static_cast<uint32_t>(size));
    for (size_t k = 0; k < counters; ++k) Put64(at + 8 + 8 * k, value + k);
  }
  void Put32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) m_bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  void Put64(size_t at, uint64_t v) {
    for (int i = 0; i < 8; ++i) m_bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  uint32_t Get32(size_t at) const {
    return m_bytes[at] | m_bytes[at + 1] << 8 | m_bytes[at + 2] << 16 | uint32_t(m_bytes[at + 3]) << 24;
  }
  std::vector<uint8_t> m_bytes;
};

PerfLookup Find(const std::vector<uint8_t>& block, uint32_t object, uint32_t counter,
                const char* instance, uint64_t& value) {
  uint64_t time = 0;
  return FindPerfCounter(block.data(), block.size(), object, counter, instance, value, time);
}

TEST(FindPerfCounter, WalksObjectsCountersAndInstances) {
  BlockBuilder builder(5000);
  builder.Object(2, {240}, {}, false, 777)
      .Object(238, {4, 6}, {{"0", 100}, {"1", 200}, {"_TOTAL", 300}}, true);
  const auto& block = builder.Bytes();
  uint64_t value = 0, time = 0;
  ASSERT_EQ(FindPerfCounter(block.data(), block.size(), 238, 6, "_Total", value, time),
            PerfLookup::kFound);
  EXPECT_EQ(value, 301u);  // the second counter of the instance matched without case
  EXPECT_EQ(time, 5000u);
  ASSERT_EQ(Find(block, 238, 4, "1", value), PerfLookup::kFound);
  EXPECT_EQ(value, 200u);
  ASSERT_EQ(Find(block, 2, 240, nullptr, value), PerfLookup::kFound);
  EXPECT_EQ(value, 777u);

  EXPECT_EQ(Find(block, 230, 6, "_Total", value), PerfLookup::kNoObject);
  EXPECT_EQ(Find(block, 238, 7, "_Total", value), PerfLookup::kNoCounter);
  EXPECT_EQ(Find(block, 238, 6, "_Totals", value), PerfLookup::kNoInstance);
  EXPECT_EQ(Find(block, 2, 240, "_Total", value), PerfLookup::kNoInstance);
}

TEST(FindPerfCounter, CutBlocksNeverReadPastTheEnd) {
  BlockBuilder builder(5000);
  builder.Object(238, {6}, {{"_Total", 300}}, true);
  const auto& full = builder.Bytes();
  for (size_t size = 0; size < full.size(); ++size) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(size));
    uint64_t value = 0;
    EXPECT_NE(Find(cut, 238, 6, "_Total", value), PerfLookup::kFound) << size;
  }
}

TEST(LoadPercent, IdleShareOverTheInterval) {
  EXPECT_EQ(LoadPercent(0, 250, 0, 1000), 75);
  EXPECT_EQ(LoadPercent(1000, 1996, 0, 1000), 0);  // 0.4 + 0.5 truncated
  EXPECT_EQ(LoadPercent(0, 0, 0, 1000), 100);
  EXPECT_EQ(LoadPercent(0, 500, 1000, 1000), 0);   // clock did not move
  EXPECT_EQ(LoadPercent(0, 2000, 0, 1000), 0);     // idle ran ahead of the clock
  EXPECT_EQ(LoadPercent(500, 100, 0, 1000), 100);  // idle counter ran backwards
}

class ScriptedPerf : public PerfData {
 public:
  int platform = 1;
  std::vector<std::vector<uint8_t>> blocks;  // one per query; empty = no data
  std::vector<std::pair<uint64_t, uint64_t>> times;
  int enableCalls = 0;

  int PlatformCode() override { return platform; }
  bool EnableCounters() override { ++enableCalls; return true; }
  int queries = 0;
  bool Query(uint32_t, std::vector<uint8_t>& buffer) override {
    ++queries;
    if (m_query >= blocks.size() || blocks[m_query].empty()) { ++m_query; return false; }
    buffer = blocks[m_query++];
    return true;
  }
  bool SystemTimes(uint64_t& idle, uint64_t& total) override {
    if (m_times >= times.size()) return false;
    idle = times[m_times].first;
    total = times[m_times++].second;
    return true;
  }

 private:
  size_t m_query = 0, m_times = 0;
};

std::vector<uint8_t> ProcessorBlock(uint64_t time, uint64_t idle) {
  BlockBuilder builder(time);
  builder.Object(238, {6}, {{"_Total", idle}}, true);
  return builder.Bytes();
}

TEST(CpuLoadSampler, FirstSampleIsZeroThenTheLoad) {
  ScriptedPerf perf;
  perf.blocks = {ProcessorBlock(1000, 0), ProcessorBlock(2000, 250), ProcessorBlock(2000, 300)};
  CpuLoadSampler sampler(perf);
  EXPECT_EQ(sampler.Sample(), 0);
  EXPECT_EQ(sampler.Sample(), 75);
  EXPECT_EQ(sampler.Sample(), 0);  // same time stamp
  EXPECT_EQ(perf.enableCalls, 1);
}

// Without a Processor object (counters disabled, or a system without them) the counter would read
// 0 and the load 100 % for ever; the system's time totals give the real figure.
TEST(CpuLoadSampler, FallsBackToSystemTimesWithoutProcessorData) {
  ScriptedPerf perf;
  BlockBuilder other(1000);
  other.Object(230, {6}, {}, false);
  perf.blocks = {other.Bytes(), ProcessorBlock(2000, 0), ProcessorBlock(3000, 0)};
  perf.times = {{100, 1000}, {900, 2000}, {1100, 3000}};
  CpuLoadSampler sampler(perf);
  EXPECT_EQ(sampler.Sample(), 0);
  EXPECT_EQ(sampler.Sample(), 20);
  EXPECT_EQ(sampler.Sample(), 80);
  EXPECT_EQ(perf.queries, 1);  // not asked again
}

TEST(CpuLoadSampler, NoLoadOnOtherPlatforms) {
  for (int platform : {2, 3}) {
    ScriptedPerf perf;
    perf.platform = platform;
    CpuLoadSampler sampler(perf);
    EXPECT_EQ(sampler.Sample(), -1);
    EXPECT_EQ(perf.enableCalls, 0);
  }
}

// NT 4 reads the system object's processor time and has no counter switches to clear.
TEST(CpuLoadSampler, Nt4UsesTheSystemObjectAndLeavesTheRegistryAlone) {
  ScriptedPerf perf;
  perf.platform = 0;
  BlockBuilder first(1000), second(2000);
  first.Object(2, {240}, {}, false, 0);
  second.Object(2, {240}, {}, false, 600);
  perf.blocks = {first.Bytes(), second.Bytes()};
  CpuLoadSampler sampler(perf);
  EXPECT_EQ(sampler.Sample(), 0);
  EXPECT_EQ(sampler.Sample(), 40);
  EXPECT_EQ(perf.enableCalls, 0);
}

TEST(RunSampler, SamplesOnceASecondUntilStopped) {
  ScriptedPerf perf;
  perf.blocks = {ProcessorBlock(1000, 0), ProcessorBlock(2000, 500), ProcessorBlock(3000, 600)};
  CpuLoadSampler sampler(perf);
  ServiceFlags flags;
  test::ManualClock clock;
  const uint64_t start = clock.now;
  std::vector<int> seen;
  clock.onSleep = [&] {
    seen.push_back(flags.usage.load());
    if (clock.now - start >= 3000) flags.samplerStop = true;
  };
  RunSampler(sampler, flags, clock);
  EXPECT_EQ(seen, (std::vector<int>{0, 50, 90}));
  EXPECT_EQ(clock.now - start, 3000u);
}

}  // namespace
}  // namespace zor
