#include <gtest/gtest.h>

#include "platform/fake/fake_dynamic_library.h"
#include "platform/program_paths.h"
#include "platform/vendor_entry_points.h"
#include "platform/vendor_libraries.h"

namespace zor::test {
namespace {

const std::string kProgram = "C:\\Zor";
const std::string kSystem = "C:\\Windows\\system32";
const std::string kClockBeside = JoinPath(kProgram, "Clockvane.dll");
const std::string kClockSystem = JoinPath(kSystem, "Clockvane.dll");

int g_reduction = -1;
int ZOR_DLL_CALL ClockInit() { return 1; }
int ZOR_DLL_CALL SetClock(int reduction) {
  g_reduction = reduction;
  return 1;
}
int ZOR_DLL_CALL CheckFan(uint32_t*) { return 7; }

// The vendor libraries are searched as hwk.dll is: the program's directory, then the system
// directory, each by full path; never a bare name that the current directory or PATH could answer.
TEST(VendorLibraries, ProgramDirectoryThenSystemDirectory) {
  struct Case {
    const char* name;
    std::string programDir;
    std::string present;  // the one full path that loads
    std::vector<std::string> tried;
  };
  const Case cases[] = {
      {"beside the program", kProgram, kClockBeside, {kClockBeside}},
      {"system directory", kProgram, kClockSystem, {kClockBeside, kClockSystem}},
      {"no program directory", "", kClockSystem, {kClockSystem}},
      {"nowhere", kProgram, "", {kClockBeside, kClockSystem}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> tried;
    auto loader = [&](const std::string& path) -> std::unique_ptr<DynamicLibrary> {
      tried.push_back(path);
      if (path != c.present) return nullptr;
      auto library = std::make_unique<FakeDynamicLibrary>();
      library->Add("ClockvaneInit", &ClockInit);
      library->Add("SetCoreCLK", &SetClock);
      return library;
    };
    auto vendors = MakeVendorLibraries(c.programDir, kSystem, loader);
    std::unique_ptr<ClockLibrary> clock = vendors->LoadClock();
    EXPECT_EQ(tried, c.tried) << c.name;
    ASSERT_EQ(clock != nullptr, !c.present.empty()) << c.name;
    if (!clock) continue;
    EXPECT_EQ(clock->ClockvaneInit(), 1);
    clock->SetCoreCLK(10);
    EXPECT_EQ(g_reduction, 10);
  }
}

TEST(VendorLibraries, FanLibraryFromTheSystemDirectoryAndMissingEntries) {
  std::vector<std::string> tried;
  const std::string beside = JoinPath(kProgram, "SF.DLL");
  const std::string system = JoinPath(kSystem, "SF.DLL");
  auto loader = [&](const std::string& path) -> std::unique_ptr<DynamicLibrary> {
    tried.push_back(path);
    if (path != system) return nullptr;
    auto library = std::make_unique<FakeDynamicLibrary>();
    library->Add("Check_CPU_SmartFan", &CheckFan);
    return library;
  };
  std::unique_ptr<FanLibrary> fan = MakeVendorLibraries(kProgram, kSystem, loader)->LoadFan();
  ASSERT_NE(fan, nullptr);
  EXPECT_EQ(tried, (std::vector<std::string>{beside, system}));
  uint32_t info = 0;
  EXPECT_EQ(fan->Check_CPU_SmartFan(&info), 7);
  uint16_t pwm = 55;
  fan->CPU_PWM_Read(0, &pwm);  // not exported: never called
  EXPECT_EQ(pwm, 55);
}

}  // namespace
}  // namespace zor::test
