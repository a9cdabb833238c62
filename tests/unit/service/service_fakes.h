// Small doubles for the service's ports: a board that answers the sensor, PCI and SMBus ports, a
// clock that only moves when slept on, an in-memory VALUE section and a trace that keeps its text.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/firmware_layout.h"
#include "common/memory_view.h"
#include "platform/clock.h"
#include "platform/hwk.h"
#include "service/trace.h"
#include "service/value_store.h"

namespace zor::test {

constexpr uint32_t kIndexPort = 0x295, kDataPort = 0x296;
constexpr uint32_t kVoltageReg = 0x20, kCurrentReg = 0x21;
constexpr uint32_t kSmbusBase = 0x400;

// Sensor registers behind the index/data pair, a PCI config space answering the SMBus base, and an
// SMBus host controller that is ready after `busyPolls` status reads.
class PortBoard : public Hwk {
 public:
  std::map<uint8_t, uint8_t> sensors;
  uint8_t phaseState = 0;
  int busyPolls = 0;  // status reads that still show busy; < 0 stuck for ever
  uint32_t pciAddress = 0;
  std::vector<std::pair<uint32_t, uint32_t>> smbusWrites;
  int statusReads = 0;

  uint8_t qv_inp(uint32_t port) override {
    if (port == kDataPort) return sensors.count(m_index) ? sensors[m_index] : 0;
    if (port == kSmbusBase) {
      ++statusReads;
      if (busyPolls < 0) return 1;
      if (busyPolls > 0) { --busyPolls; return 1; }
      return 0;
    }
    if (port == kSmbusBase + 5) return phaseState;
    return 0xFF;
  }
  void qv_outp(uint32_t port, uint32_t value) override {
    if (port == kIndexPort) m_index = static_cast<uint8_t>(value);
    if (port >= kSmbusBase && port < kSmbusBase + 8) smbusWrites.emplace_back(port - kSmbusBase, value);
  }
  uint32_t qv_inpd(uint32_t port) override {
    return port == 0xCFC && pciAddress == 0x8000FB20u ? (kSmbusBase | 1) : 0xFFFFFFFFu;
  }
  void qv_outpd(uint32_t port, uint32_t value) override {
    if (port == 0xCF8) pciAddress = value;
  }
  bool ReadMSR(uint32_t, uint64_t*) override { return false; }
  uint64_t MapMemEx(uint32_t, uint32_t, uint32_t) override { return 0; }
  void UnMapMemEx(uint32_t, uint32_t) override {}
  void SMICmd(SmiRegisters& regs) override { regs.eax = 0x86; }
  bool HWK_Alloc_Kernel_PhysMem(uint32_t, uint64_t*) override { return false; }
  void HWK_Free_Kernel_PhysMem(uint64_t) override {}
  bool HWK_TranslateLinsToPhys(uint64_t, uint32_t*) override { return false; }
  void HWK_MapMem_Copy_Userbuf_To_Phys(const void*, uint64_t, uint32_t) override {}

 private:
  uint8_t m_index = 0;
};

// An EnergyTable in register mode reading from PortBoard's sensor registers.
struct TableBytes {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(fw::kServiceTableMapLength, 0);
  TableBytes() {
    View().Write8(fw::et::kRevision, 0x21);
    View().Write16(fw::et::kSensorIndexPort, kIndexPort);
    View().Write16(fw::et::kSensorDataPort, kDataPort);
    View().Write16(fw::et::kVoltageRegister, kVoltageReg);
    View().Write16(fw::et::kVoltageStepMv, 10);
    View().Write16(fw::et::kCurrentRegister, kCurrentReg);
  }
  MemoryView View() { return MemoryView(bytes.data(), bytes.size()); }
  void Control(uint16_t flags) { View().Write16(fw::et::kControlFlags, flags); }
  void Status(uint16_t flags) { View().Write16(fw::et::kStatusFlags, flags); }
  void Scale(uint32_t value) { View().Write32(fw::et::kCurrentScale, value); }
};

class ManualClock : public Clock {
 public:
  uint64_t now = 1000;
  uint64_t slept = 0;
  std::function<void()> onSleep;
  uint64_t NowMs() override { return now; }
  void SleepMs(uint32_t ms) override { Advance(ms); }
  void SleepUntilMs(uint64_t deadline) override { Advance(deadline > now ? deadline - now : 0); }

 private:
  void Advance(uint64_t ms) {
    now += ms;
    slept += ms;
    if (onSleep) onSleep();
  }
};

class MemoryValues : public ValueStore, public ValueFile {
 public:
  std::map<std::string, std::string> values;  // keys lower-cased
  std::vector<std::string> writes;            // keys as written, in order
  bool failWrites = false;
  int failTransactions = 0;  // so many transactions fail, with failure
  StoreResult failure = StoreResult::kBusy;
  int transactions = 0;

  StoreResult Transaction(const std::function<void(ValueFile&)>& body) override {
    ++transactions;
    if (failTransactions > 0) {
      --failTransactions;
      // A file that cannot be read is read as all defaults; a busy lock runs nothing.
      if (failure == StoreResult::kUnreadable) {
        std::map<std::string, std::string> kept;
        kept.swap(values);
        body(*this);
        kept.swap(values);
      }
      return failure;
    }
    body(*this);
    return StoreResult::kOk;
  }
  std::string Get(std::string_view key) override {
    auto it = values.find(Lower(key));
    return it == values.end() ? "0" : it->second;
  }
  bool Set(std::string_view key, std::string_view value) override {
    if (failWrites) return false;
    writes.emplace_back(key);
    values[Lower(key)] = std::string(value);
    return true;
  }
  bool Has(std::string_view key) const { return values.count(Lower(key)) != 0; }
  std::string At(std::string_view key) const {
    auto it = values.find(Lower(key));
    return it == values.end() ? "" : it->second;
  }

 private:
  static std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
  }
};

class TextTrace : public TraceSink {
 public:
  std::string text;
  void Write(std::string_view line) override { text += line; }
};

}  // namespace zor::test
