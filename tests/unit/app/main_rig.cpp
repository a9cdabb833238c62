#include "tests/unit/app/main_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/firmware_layout.h"
#include "common/info_store.h"
#include "gui/app/main_layout.h"
#include "gui/settings/power_plan_keys.h"
#include "platform/program_paths.h"
#include "sim/board/board_firmware.h"

namespace zor::test {

namespace {

struct Size {
  int w;
  int h;
};

// Picture sizes of the test skin: the real skin's, near enough for every place and hit test.
Size SizeOf(const std::string& name) {
  if (name == "Main_on" || name == "Main_off") return {592, 548};
  if (name.rfind("OFF_", 0) == 0 || name.rfind("ON_", 0) == 0) return {140, 140};
  if (name.rfind("CLOSE", 0) == 0 || name.rfind("MINI", 0) == 0 || name.rfind("HELP", 0) == 0)
    return {32, 24};
  if (name.rfind("UPDATE", 0) == 0) return {48, 44};
  if (name.rfind("RESET", 0) == 0) return {56, 26};
  if (name.rfind("METER", 0) == 0 || (name.rfind("TOTAL_", 0) == 0 && name.size() > 7)) return {40, 20};
  if (name.rfind("LED", 0) == 0) return {40, 26};
  if (name.rfind("P3D", 0) == 0) return {100, 22};
  if (name[0] == 'L' && name.size() > 2 && name[2] == '_') return {36, 28};
  if (name == "PSN_11" || name == "TOTALNUM_11") return {238, 87};
  if (name == "BAR_0") return {474, 18};
  if (name.rfind("BAR_", 0) == 0) return {79, 18};
  if (name.rfind("PST_", 0) == 0) return {30, 58};
  if (name.rfind("SINCE_", 0) == 0 || name.rfind("TOTAL_", 0) == 0) return {12, 16};
  return {25, 34};
}

const char* const kSkinNames[] = {
    "Main_on", "Main_off", "OFF_nb", "OFF_NW", "OFF_OB", "OFF_OW", "OFF_DB", "OFF_DW", "ON_NB",
    "ON_NW", "ON_OB", "ON_OW", "ON_DB", "ON_DW", "CLOSE_N", "CLOSE_O", "CLOSE_D", "MINI_N",
    "MINI_O", "MINI_D", "HELP_N", "HELP_O", "HELP_D", "UPDATE_N", "UPDATE_O", "UPDATE_D",
    "RESET_N", "RESET_O", "RESET_D", "RESET_X", "METER_N", "METER_O", "METER_D", "METER_DIS",
    "TOTAL_N", "TOTAL_O", "TOTAL_D", "TOTAL_DIS", "L1_N", "L1_O", "L1_D", "L1_DIS", "L2_N", "L2_O",
    "L2_D", "L2_DIS", "L3_N", "L3_O", "L3_D", "L3_DIS", "L4_N", "L4_O", "L4_D", "L4_DIS",
    "LED_OFF", "LED_ON", "P3D_OFF_N", "P3D_ON_N", "PSN_11", "TOTALNUM_11", "SINCE_10", "SINCE_11",
    "SINCE_12"};

constexpr int kAdvancedWidth = 640;  // the advanced dialog's backgrounds; the message box is 470

}  // namespace

MainRig::MainRig(const char* profile, uint32_t faults)
    : appDir(dir.File("")),
      boardState(std::make_unique<sim::BoardState>()),
      board(*boardState),
      powercfgRegistry(std::make_unique<FakePowercfgRegistry>(registry)),
      skin(std::make_shared<ui::TestResourceLibrary>()),
      res(std::make_shared<ui::TestResourceLibrary>()) {
  appDir.pop_back();  // no trailing separator
  const sim::BoardProfile* chosen = sim::FindProfile(profile);
  EXPECT_NE(chosen, nullptr) << profile;
  sim::Board::Create(*boardState, *chosen);
  board.SetFault(faults, true);
  system.cpu.eax = chosen ? chosen->cpuSignature : 0x106A5;
  processes.onStart = [this](const std::string& line) {
    std::vector<std::string> parts = fixtures::SplitCommandLine(line);
    if (parts.empty() || parts[0].find("owercfg") == std::string::npos) return;
    parts.erase(parts.begin());
    fixtures::RunPowercfg(parts, *powercfgRegistry);
  };
  // The user runs High performance.
  registry.SetString(RegRoot::LocalMachine, power::kSchemesRoot, "ActivePowerScheme",
                     power::kHighPerformance);
  registry.SetString(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                     "Other", "x");
  registry.SetString(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                     "Other", "x");

  for (const char* name : kSkinNames) Tile(name, SizeOf(name).w, SizeOf(name).h);
  char name[32];
  for (int n = 0; n <= 10; ++n) {
    for (const char* font : {"CPU_ON_%d", "CPU_OFF_%d", "PSN_%d", "TOTALNUM_%d"}) {
      std::snprintf(name, sizeof name, font, n);
      Tile(name, 25, 34);
    }
  }
  for (int n = 0; n <= 9; ++n) {
    for (const char* font : {"SINCE_%d", "TOTAL_%d"}) {
      std::snprintf(name, sizeof name, font, n);
      Tile(name, 12, 16);
    }
  }
  for (int n = 0; n <= 4; ++n) {
    std::snprintf(name, sizeof name, "PST_%d", n);
    Tile(name, 30, 58);
  }
  for (int n = 0; n <= 6; ++n) {
    std::snprintf(name, sizeof name, "BAR_%d", n);
    Tile(name, SizeOf(name).w, SizeOf(name).h);
  }
  // The message dialogs: a background per picture and the three buttons.
  for (const char* msg : {"MSG_1", "MSG_6", "MSG_8", "MSG_9"}) {
    auto image = std::make_shared<ui::Image>(470, 90, 0x204060u + static_cast<uint32_t>(names.size()));
    names[image.get()] = msg;
    res->Add(msg, image);
  }
  for (const char* button : {"MSG_OK_N", "MSG_OK_O", "MSG_OK_D", "MSG_YES_N", "MSG_YES_O",
                             "MSG_YES_D", "MSG_NO_N", "MSG_NO_O", "MSG_NO_D"})
    res->Add(button, std::make_shared<ui::Image>(70, 24, 0x102030));
}

MainRig::~MainRig() {
  if (host && window) Settle();
  host.reset();  // the host lets go of the window first
  window.reset();
}

void MainRig::InstallAdvancedSkin() {
  advancedSkin = std::make_shared<ui::TestResourceLibrary>();
  programResources = std::make_shared<ui::TestResourceLibrary>();
  uint32_t face = 0x101010;
  const auto add = [&](const std::string& name, int w, int h) {
    advancedSkin->Add(name, std::make_shared<const ui::Image>(w, h, face += 0x010203));
  };
  for (const char* name : {"Main", "Main_X58", "Main_P55", "MAIN_P67"}) add(name, kAdvancedWidth, 390);
  for (const char* state : {"_N", "_O", "_D"}) {
    add(std::string("SAVE") + state, 60, 20);
    add(std::string("QUIT") + state, 60, 20);
    add(std::string("L") + state, 20, 20);
    add(std::string("R") + state, 20, 20);
  }
  for (const char* level : {"LV1", "LV2", "LV3"})
    for (const char* state : {"_N", "_O", "_D", "_dis"}) add(std::string(level) + state, 60, 14);
  add("RDO_On", 30, 14);
  add("RDO_Off", 30, 14);
  add("BBar", 60, 16);
  programResources->Add(131, std::make_shared<const ui::Image>(118, 22, 0x203040));
  programResources->Add(130, std::make_shared<const ui::Image>(38, 22, 0xE0E0E0));
  for (int id = 132; id <= 138; ++id)
    programResources->Add(id, std::make_shared<const ui::Image>(4, 3, 0x777777));
}

std::map<std::string, MainRig::Rail> MainRig::Rails() const {
  const sim::BoardState& s = *boardState;
  const MemoryView table(const_cast<uint8_t*>(s.tables), sizeof s.tables);
  const MemoryView rails = table.Sub(sim::kRailTableOffset, sim::kTablesLength - sim::kRailTableOffset);
  const uint32_t profile = sim::ProfileOffset(s.profile);
  const uint32_t items = table.U8(profile + fw::pf::kRailCount);
  std::map<std::string, Rail> out;
  uint32_t at = fw::rt::kEntries;
  for (uint32_t i = 0; i < sim::kMaxRails && s.railIds[i]; ++i) {
    for (uint32_t k = 0; k < items && k < sim::kMaxRails; ++k) {
      const uint32_t item = profile + fw::pf::kRails + k * fw::pf::kItemSize;
      if (table.U8(item + fw::rail_item::kRailId) != s.railIds[i]) continue;
      static const std::map<uint8_t, std::string> kRoles = {
          {1, "MEM"}, {2, "NB"}, {3, "SB"}, {4, "VTT"}, {11, "PCH"}};
      const auto role = kRoles.find(table.U8(item + fw::rail_item::kRole));
      if (role != kRoles.end())
        out[role->second] = Rail{rails.U32(at + fw::rt::kPresentValue), s.appliedRails[i]};
    }
    at += fw::rt::kEntryFixedSize + rails.U32(at + fw::rt::kSubCount) * fw::rt::kSubSize;
  }
  return out;
}

void MainRig::ForgetAppliedRails() {
  for (uint32_t i = 0; i < sim::kMaxRails; ++i) boardState->appliedRails[i] = boardState->railBases[i];
}

int MainRig::Timeout(int plan, bool disk) const {
  FakeRegistry::Value v;
  if (!registry.Get(RegRoot::LocalMachine, power::SettingKey(plan, disk), "ACSettingIndex", &v) ||
      v.data.size() != 4)
    return -1;
  return static_cast<int>((v.data[0] | v.data[1] << 8 | v.data[2] << 16 | v.data[3] << 24) / 60);
}

void MainRig::SetTimeout(int plan, bool disk, int minutes) {
  registry.SetDword(RegRoot::LocalMachine, power::SettingKey(plan, disk), "ACSettingIndex",
                    static_cast<uint32_t>(minutes) * 60u);
}

ui::Bitmap MainRig::Tile(const std::string& name, int width, int height) {
  const uint32_t colour = 0x010203u * static_cast<uint32_t>(names.size() + 1) & 0x7F7F7Fu;
  auto image = std::make_shared<ui::Image>(width, height, colour);
  if (name == "Main_on" || name == "Main_off") {
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) image->At(x, y) = ui::Pixel(255, 0, 255);
  }
  names[image.get()] = name;
  skin->Add(name, image);
  return image;
}

bool MainRig::Start(const std::string& commandLine) {
  MainPorts ports{[this]() -> std::unique_ptr<Hwk> {
                    if (!hwkLoads) return nullptr;
                    auto hwk = std::make_unique<BoardHwk>(board);
                    hwk->simulated = hwkSimulated;
                    return hwk;
                  },
                  registry, processes, services, boxes, shutdown, vendors, sleeper, system, shell,
                  appDir, kSystemDir, ""};
  window = std::make_unique<CMainDialog>(std::move(ports), commandLine);
  host = std::make_unique<ui::TestHost>(*window, ui::Rect{0, 0, 480, 300});
  host->SetLanguage(language);
  if (skinPresent) {
    const char* library = language == 2052 ? "SC.dll" : language == 1028 ? "TC.dll" : "ENG.dll";
    host->AddLibrary(JoinPath(appDir, library), skin);
  }
  host->AddLibrary(JoinPath(ProgramDirectory(), "res.dll"), res);
  if (advancedSkin) {
    host->AddLibrary(JoinPath(ProgramDirectory(), "AdvEng.dll"), advancedSkin);
    host->SetProgramResources(programResources);
  }
  host->onModal = [this](ui::TestHost& child) {
    if (advancedSkin && child.WindowRectNow().Width() == kAdvancedWidth) {
      if (advancedScript) advancedScript(child);
      return;
    }
    const ui::DrawOp* background = nullptr;
    for (const ui::DrawOp& op : child.Ops())
      if (op.kind == ui::DrawOp::Kind::Copy) {
        background = &op;
        break;
      }
    dialogs.push_back(background ? NameOf(background->image) : "?");
    if (answer == 0) return;
    const ui::Point at = answer == 1 ? ui::Point{325, 32} : ui::Point{415, 32};
    const bool okBox = dialogs.back() != "MSG_8";
    const ui::Point button = okBox ? ui::Point{415, 32} : at;
    child.MouseMove(button);
    child.Press(button);
    child.Release(button);
  };
  packetsBefore = boardState->packetCount;
  const bool shown = host->Init();
  if (shown) host->Paint();
  return shown;
}

void MainRig::Settle() {
  // The worker may be waiting for the window (a box it posted), so the window's work runs while
  // the worker is busy, as the window's own loop would run it.
  for (;;) {
    const bool idle = !window->Worker() || window->Worker()->Idle();
    if (host->RunPosted() == 0 && idle) return;
    if (!idle) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void MainRig::Click(ui::Point p) {
  host->MouseMove(p, 0);
  host->Press(p);
  host->Release(p);
}

void MainRig::ClickPush(int index) {
  const SKIN_BUTTON& b = window->m_aPush[index];
  Click(ui::Point{b.left + 2, b.top + 2});
}

void MainRig::ClickSelector(int index) {
  const SKIN_RADIO& b = window->m_aSelect[index];
  Click(ui::Point{b.left + 2, b.top + 2});
}

std::string MainRig::Info(const char* section, const char* key, const char* def) const {
  InfoStore store(JoinPath(appDir, "Info.dat"));
  return store.Read(section, key, def, 260);
}

void MainRig::SetInfo(const char* section, const char* key, const std::string& value) {
  InfoStore store(JoinPath(appDir, "Info.dat"));
  store.Write(section, key, value);
}

void MainRig::SetControlFlags(uint16_t flags) {
  MemoryView(boardState->tables, sizeof boardState->tables).Write16(fw::et::kControlFlags, flags);
}

std::vector<uint16_t> MainRig::SentFlags() const {
  std::vector<uint16_t> flags;
  for (uint32_t n = packetsBefore; n < boardState->packetCount; ++n) {
    const sim::PacketLogEntry& entry = boardState->packets[n % sim::kPacketLogSize];
    if (entry.verdict == sim::PacketVerdict::kAccepted)
      flags.push_back(static_cast<uint16_t>(entry.bytes[8] | entry.bytes[9] << 8));
  }
  return flags;
}

int MainRig::ActivePlan() {
  const std::string active =
      registry.GetString(RegRoot::LocalMachine, power::kSchemesRoot, "ActivePowerScheme");
  if (active == power::kBalanced) return 4;
  if (active == power::kHighPerformance) return 3;
  if (active == power::kPowerSaver) return 2;
  return -1;
}

int MainRig::Plan4Timeout(bool disk) const {
  FakeRegistry::Value value;
  if (!registry.Get(RegRoot::LocalMachine, power::SettingKey(4, disk), "ACSettingIndex", &value) ||
      value.data.size() != 4)
    return -1;
  return static_cast<int>((value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                           static_cast<uint32_t>(value.data[3]) << 24) / 60);
}

void MainRig::SetPlan4Timeout(bool disk, int minutes) {
  registry.SetDword(RegRoot::LocalMachine, power::SettingKey(4, disk), "ACSettingIndex",
                    static_cast<uint32_t>(minutes * 60));
}

std::string MainRig::NameOf(const ui::Image* image) const {
  const auto found = names.find(image);
  return found == names.end() ? "" : found->second;
}

std::string MainRig::DrawnAt(ui::Point p) const {
  const ui::DrawOp* op = host->LastOpAt(p);
  return op ? NameOf(op->image) : "";
}

}  // namespace zor::test
