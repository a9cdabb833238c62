#include "common/hwk_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_dynamic_library.h"

namespace zor {
namespace {

// What the library's entry points saw, in order.
std::vector<std::string> g_calls;
uint32_t g_copyArgs[5];

extern "C" {
uint32_t Fake_qv_inp(uint32_t port) { g_calls.push_back("qv_inp"); return 0x1200u | (port & 0xFF); }
void Fake_qv_outp(uint32_t, uint32_t) { g_calls.push_back("qv_outp"); }
uint32_t Fake_qv_inpd(uint32_t) { g_calls.push_back("qv_inpd"); return 0xDEADBEEF; }
void Fake_qv_outpd(uint32_t, uint32_t) { g_calls.push_back("qv_outpd"); }
// Stores the value and returns 0, as a library whose status convention is "0 = no error" does.
int32_t Fake_ReadMSR(uint32_t, uint64_t* value) { g_calls.push_back("ReadMSR"); *value = 0x2000000; return 0; }
uint32_t Fake_MapMem(uint32_t, uint32_t) { g_calls.push_back("MapMem"); return 0; }
void Fake_UnMapMem(uint32_t, uint32_t) { g_calls.push_back("UnMapMem"); }
uint64_t Fake_MapMemEx(uint32_t, uint32_t, uint32_t) { g_calls.push_back("MapMemEx"); return 0x00007FF012345000ull; }
void Fake_UnMapMemEx(uint32_t, uint32_t) { g_calls.push_back("UnMapMemEx"); }
void Fake_SMICmd(uint32_t* eax, uint32_t* ebx, uint32_t*, uint32_t*, uint32_t*, uint32_t*, uint32_t*) {
  g_calls.push_back("SMICmd");
  *eax = 0;
  *ebx = 0x7F7A0000u;
}
void Fake_SMICall(uint32_t, uint32_t, uint32_t, uint32_t) { g_calls.push_back("SMICall"); }
uint32_t Fake_MapMem_Phys_To_Linear(uint32_t, uint32_t) { g_calls.push_back("MapMem_Phys_To_Linear"); return 0; }
int32_t Fake_Alloc(uint32_t, uint8_t* record) {
  g_calls.push_back("HWK_Alloc_Kernel_PhysMem");
  for (int i = 0; i < 8; ++i) record[8 + i] = static_cast<uint8_t>(0x11 * (i + 1));
  return 1;
}
void Fake_Free(uint32_t, uint32_t) { g_calls.push_back("HWK_Free_Kernel_PhysMem"); }
int32_t Fake_Translate(uint32_t, uint32_t, uint32_t* physical) {
  g_calls.push_back("HWK_TranslateLinsToPhys");
  *physical = 0x200000;
  return 1;
}
void Fake_Copy(uint32_t srcLow, uint32_t srcHigh, uint32_t refLow, uint32_t refHigh, uint32_t length) {
  g_calls.push_back("HWK_MapMem_Copy_Userbuf_To_Phys");
  const uint32_t args[5] = {srcLow, srcHigh, refLow, refHigh, length};
  for (int i = 0; i < 5; ++i) g_copyArgs[i] = args[i];
}
}

std::unique_ptr<FakeDynamicLibrary> FullLibrary(std::vector<std::string>* lookups = nullptr) {
  auto lib = std::make_unique<FakeDynamicLibrary>();
  lib->RecordLookups(lookups);
  lib->Add("qv_inp", &Fake_qv_inp);
  lib->Add("qv_outp", &Fake_qv_outp);
  lib->Add("qv_inpd", &Fake_qv_inpd);
  lib->Add("qv_outpd", &Fake_qv_outpd);
  lib->Add("ReadMSR", &Fake_ReadMSR);
  lib->Add("MapMem", &Fake_MapMem);
  lib->Add("UnMapMem", &Fake_UnMapMem);
  lib->Add("MapMemEx", &Fake_MapMemEx);
  lib->Add("UnMapMemEx", &Fake_UnMapMemEx);
  lib->Add("SMICmd", &Fake_SMICmd);
  lib->Add("SMICall", &Fake_SMICall);
  lib->Add("MapMem_Phys_To_Linear", &Fake_MapMem_Phys_To_Linear);
  lib->Add("HWK_Alloc_Kernel_PhysMem", &Fake_Alloc);
  lib->Add("HWK_Free_Kernel_PhysMem", &Fake_Free);
  lib->Add("HWK_TranslateLinsToPhys", &Fake_Translate);
  lib->Add("HWK_MapMem_Copy_Userbuf_To_Phys", &Fake_Copy);
  return lib;
}

class HwkBindingTest : public ::testing::Test {
 protected:
  void SetUp() override { g_calls.clear(); }
};

TEST_F(HwkBindingTest, EachProgramBindsItsEntriesInItsOwnOrder) {
  for (HwkClient client : {HwkClient::Service, HwkClient::Gui}) {
    std::vector<std::string> lookups;
    auto hwk = HwkBinding::Bind(FullLibrary(&lookups), client);
    ASSERT_NE(hwk, nullptr);
    const auto& order = HwkEntryOrder(client);
    EXPECT_EQ(lookups, std::vector<std::string>(order.begin(), order.end()));
  }
  EXPECT_STREQ(HwkEntryOrder(HwkClient::Service).front(), "SMICmd");
  EXPECT_STREQ(HwkEntryOrder(HwkClient::Gui).front(), "qv_inp");
  EXPECT_TRUE(g_calls.empty()) << "binding must not call anything";
}

TEST_F(HwkBindingTest, MissingEntryMakesTheLibraryUnusableAndCallsNothing) {
  struct Case { HwkClient client; const char* removed; };
  for (const Case& c : {Case{HwkClient::Service, "UnMapMemEx"}, Case{HwkClient::Service, "qv_inpd"},
                        Case{HwkClient::Gui, "ReadMSR"},
                        Case{HwkClient::Gui, "HWK_TranslateLinsToPhys"}}) {
    auto lib = FullLibrary();
    lib->Remove(c.removed);
    std::string missing;
    EXPECT_EQ(HwkBinding::Bind(std::move(lib), c.client, &missing), nullptr) << c.removed;
    EXPECT_EQ(missing, c.removed);
  }
  // An entry the program does not use may be absent.
  auto lib = FullLibrary();
  lib->Remove("ReadMSR");
  EXPECT_NE(HwkBinding::Bind(std::move(lib), HwkClient::Service), nullptr);
  EXPECT_TRUE(g_calls.empty());
}

// A maker's library need only export what a program calls: the four entries no program calls, and
// the packet-buffer entries for the service, may be missing.
TEST_F(HwkBindingTest, ALibraryWithOnlyTheCalledEntriesIsUsed) {
  const std::vector<const char*> uncalled = {"MapMem", "UnMapMem", "SMICall",
                                             "MapMem_Phys_To_Linear"};
  const std::vector<const char*> buffers = {"HWK_Alloc_Kernel_PhysMem", "HWK_Free_Kernel_PhysMem",
                                            "HWK_TranslateLinsToPhys",
                                            "HWK_MapMem_Copy_Userbuf_To_Phys"};
  for (HwkClient client : {HwkClient::Service, HwkClient::Gui}) {
    auto lib = FullLibrary();
    for (const char* name : uncalled) lib->Remove(name);
    if (client == HwkClient::Service) {
      for (const char* name : buffers) lib->Remove(name);
    }
    std::string missing;
    auto hwk = HwkBinding::Bind(std::move(lib), client, &missing);
    ASSERT_NE(hwk, nullptr) << missing;
    g_calls.clear();
    SmiRegisters regs;
    hwk->SMICmd(regs);
    EXPECT_EQ(regs.ebx, 0x7F7A0000u);
    EXPECT_EQ(hwk->MapMemEx(0x7F7A0000u, 0, 4608), 0x00007FF012345000ull);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"SMICmd", "MapMemEx"}));
  }
}

// The simulated board's library is told by an extra entry a maker's library does not have; the
// entry is never required, and nothing in it is called.
TEST_F(HwkBindingTest, OnlyTheSimulatedBoardsLibraryIsTakenForTheDemo) {
  for (const bool marked : {false, true}) {
    auto lib = FullLibrary();
    if (marked) lib->Add(kSimulatedBoardEntry, &Fake_SMICall);
    auto hwk = HwkBinding::Bind(std::move(lib), HwkClient::Gui);
    ASSERT_NE(hwk, nullptr);
    g_calls.clear();
    EXPECT_EQ(hwk->IsSimulated(), marked);
    EXPECT_TRUE(g_calls.empty());
  }
}

TEST_F(HwkBindingTest, LoadsByFullPathFromProgramThenSystemDirectory) {
  std::vector<std::string> tried;
  const auto nothing = [&tried](const std::string& path) -> std::unique_ptr<DynamicLibrary> {
    tried.push_back(path);
    return nullptr;
  };
  HwkLoadResult none = LoadHwk(HwkClient::Service, "/opt/zor", "/sys32", nothing);
  EXPECT_EQ(none.status, HwkBindStatus::NotLoaded);
  EXPECT_EQ(tried, (std::vector<std::string>{"/opt/zor/hwk.dll", "/sys32/hwk.dll"}));

  tried.clear();
  const auto systemOnly = [&tried](const std::string& path) -> std::unique_ptr<DynamicLibrary> {
    tried.push_back(path);
    if (path.rfind("/sys32/", 0) == 0) return FullLibrary();
    return nullptr;
  };
  HwkLoadResult fromSystem = LoadHwk(HwkClient::Gui, "/opt/zor", "/sys32", systemOnly);
  EXPECT_EQ(fromSystem.status, HwkBindStatus::Ok);
  EXPECT_EQ(fromSystem.path, "/sys32/hwk.dll");
  ASSERT_NE(fromSystem.hwk, nullptr);

  // An incomplete library in the program directory is not silently replaced.
  tried.clear();
  const auto incomplete = [&tried](const std::string& path) -> std::unique_ptr<DynamicLibrary> {
    tried.push_back(path);
    auto lib = FullLibrary();
    lib->Remove("SMICmd");
    return lib;
  };
  HwkLoadResult broken = LoadHwk(HwkClient::Service, "/opt/zor", "/sys32", incomplete);
  EXPECT_EQ(broken.status, HwkBindStatus::MissingEntry);
  EXPECT_EQ(broken.missingEntry, "SMICmd");
  EXPECT_EQ(broken.hwk, nullptr);
  EXPECT_EQ(tried.size(), 1u);
}

TEST(DynamicLibraryTest, LoadsOnlyByFullPath) {
  // A bare name would be searched for in the current directory and the library path.
  EXPECT_EQ(LoadDynamicLibrary("hwk.dll"), nullptr);
  EXPECT_EQ(LoadDynamicLibrary("./hwk.dll"), nullptr);
  EXPECT_EQ(LoadDynamicLibrary(""), nullptr);
  EXPECT_EQ(LoadDynamicLibrary("/nonexistent/hwk.dll"), nullptr);
}

TEST_F(HwkBindingTest, CallsReachTheLibraryWithItsArgumentConventions) {
  auto hwk = HwkBinding::Bind(FullLibrary(), HwkClient::Gui);
  ASSERT_NE(hwk, nullptr);
  EXPECT_EQ(hwk->qv_inp(0x95), 0x95) << "only the low byte of qv_inp's result counts";
  EXPECT_EQ(hwk->MapMemEx(0xF0000, 0, 0x10000), 0x00007FF012345000ull);

  uint64_t msr = 0;
  EXPECT_TRUE(hwk->ReadMSR(0x1A0, &msr)) << "only the stored value counts, not the library's result";
  EXPECT_EQ(msr, 0x2000000u);

  SmiRegisters regs;
  hwk->SMICmd(regs);
  EXPECT_EQ(regs.ebx, 0x7F7A0000u);

  uint64_t reference = 0;
  ASSERT_TRUE(hwk->HWK_Alloc_Kernel_PhysMem(26, &reference));
  EXPECT_EQ(reference, 0x8877665544332211ull);
  uint32_t physical = 0;
  EXPECT_TRUE(hwk->HWK_TranslateLinsToPhys(reference, &physical));
  EXPECT_EQ(physical, 0x200000u);

  const uint8_t buffer[4] = {};
  hwk->HWK_MapMem_Copy_Userbuf_To_Phys(buffer, reference, 4);
  const uint64_t address = reinterpret_cast<uintptr_t>(buffer);
  EXPECT_EQ(g_copyArgs[0], static_cast<uint32_t>(address));
  EXPECT_EQ(g_copyArgs[1], static_cast<uint32_t>(address >> 32));
  EXPECT_EQ(g_copyArgs[2], 0x44332211u);
  EXPECT_EQ(g_copyArgs[3], 0x88776655u);
  EXPECT_EQ(g_copyArgs[4], 4u);

  // zor2 does not bind the 32-bit port entries: calling them reaches nothing.
  g_calls.clear();
  EXPECT_EQ(hwk->qv_inpd(0xCFC), 0u);
  hwk->qv_outpd(0xCF8, 1);
  EXPECT_TRUE(g_calls.empty());
}

}  // namespace
}  // namespace zor
