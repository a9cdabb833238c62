#include "tests/unit/settings/settings_rig.h"

#include <gtest/gtest.h>

#include "common/firmware_layout.h"

namespace zor::test {


SettingsRig::SettingsRig(const char* profile, uint32_t faults, int osClass)
    : boardState(std::make_unique<sim::BoardState>()),
      board(*boardState),
      hwk(board),
      powercfgRegistry(std::make_unique<FakePowercfgRegistry>(registry)) {
  const sim::BoardProfile* chosen = sim::FindProfile(profile);
  EXPECT_NE(chosen, nullptr) << profile;
  sim::Board::Create(*boardState, *chosen);
  board.SetFault(faults, true);

  processes.onStart = [this](const std::string& line) {
    if (!powercfgWorks) return;
    std::vector<std::string> parts = fixtures::SplitCommandLine(line);
    if (parts.empty() || parts[0].find("owercfg") == std::string::npos) return;
    parts.erase(parts.begin());
    fixtures::RunPowercfg(parts, *powercfgRegistry);
  };

  const fw::GuiDiscovery discovery = fw::DiscoverForGui(hwk, sleeper);
  sleeper.waits.clear();
  EXPECT_EQ(discovery.status, fw::GuiDiscoveryStatus::Ok);
  state.m_strAppDir = "C:\\Program Files\\Zorwise";
  state.m_nOsClass = osClass;
  state.m_wSmiPort = discovery.target.port;
  state.m_wSmiType = discovery.target.type;
  state.m_dwEsAddr = discovery.energyTableAddress;
  state.m_dwEs2Addr = discovery.railTableAddress;
  state.m_pEs = discovery.energyTable;
  state.m_bAltTable = (board.StatusFlags() & fw::sf::kSmbusRegulator) != 0;
  state.m_bX58 = chosen && chosen->platform == sim::PlatformClass::kX58;
  state.m_bP55 = chosen && chosen->platform == sim::PlatformClass::kP55;
  state.m_bP67 = chosen && chosen->platform == sim::PlatformClass::kP67;

  SettingsPorts ports{hwk,     registry, processes, services, boxes,      shutdown,
                      vendors, sleeper,  kSystemDir, nullptr};
  ports.readSetting = [this](const std::string& key, const std::string& def) {
    auto found = settings.find(key);
    return found == settings.end() ? def : found->second;
  };
  control = std::make_unique<SettingsControl>(state, std::move(ports));
  control->Rails().LoadRailBases();
  packetsBefore = boardState->packetCount;
}

std::vector<uint16_t> SettingsRig::SentFlags() const {
  std::vector<uint16_t> flags;
  for (uint32_t n = packetsBefore; n < boardState->packetCount; ++n) {
    const sim::PacketLogEntry& entry = boardState->packets[n % sim::kPacketLogSize];
    EXPECT_EQ(entry.verdict, sim::PacketVerdict::kAccepted) << "packet " << entry.sequence;
    flags.push_back(static_cast<uint16_t>(entry.bytes[8] | entry.bytes[9] << 8));
  }
  return flags;
}

void SettingsRig::SetControlFlags(uint16_t flags) {
  MemoryView(boardState->tables, sizeof boardState->tables).Write16(fw::et::kControlFlags, flags);
}

uint32_t SettingsRig::RailValue(int role) const {
  const RailSlot& slot = state.m_aRails[role];
  if (!slot.offset) return 0;
  return fw::RailTableWithin(state.m_pEs, state.m_dwEsAddr, state.m_dwEs2Addr)
      .U32(slot.offset + fw::rt::kPresentValue);
}

}  // namespace zor::test
