#include "platform/vendor_libraries.h"

#include "platform/dynamic_library.h"
#include "platform/program_paths.h"
#include "platform/vendor_entry_points.h"

namespace zor {

namespace {

template <typename Fn>
Fn Bind(const DynamicLibrary& library, const char* name) {
  return reinterpret_cast<Fn>(library.Find(name));
}

class BoundClock : public ClockLibrary {
 public:
  explicit BoundClock(std::unique_ptr<DynamicLibrary> library)
      : m_library(std::move(library)),
        m_init(Bind<PFN_ClockvaneInit>(*m_library, "ClockvaneInit")),
        m_set(Bind<PFN_SetCoreCLK>(*m_library, "SetCoreCLK")) {}

  int ClockvaneInit() override { return m_init ? m_init() : 0; }
  void SetCoreCLK(int reduction) override {
    if (m_set) m_set(reduction);
  }

 private:
  std::unique_ptr<DynamicLibrary> m_library;
  PFN_ClockvaneInit m_init;
  PFN_SetCoreCLK m_set;
};

class BoundFan : public FanLibrary {
 public:
  explicit BoundFan(std::unique_ptr<DynamicLibrary> library)
      : m_library(std::move(library)),
        m_check(Bind<PFN_Check_CPU_SmartFan>(*m_library, "Check_CPU_SmartFan")),
        m_read(Bind<PFN_CPU_PWM_Read>(*m_library, "CPU_PWM_Read")),
        m_writePwm(Bind<PFN_CPU_PWM_Write>(*m_library, "CPU_PWM_Write")),
        m_writeTemp(Bind<PFN_CPU_TEMP_Write>(*m_library, "CPU_TEMP_Write")) {}

  int Check_CPU_SmartFan(uint32_t* info) override { return m_check ? m_check(info) : 0; }
  void CPU_PWM_Read(int point, uint16_t* pwm) override {
    if (m_read) m_read(point, pwm);
  }
  void CPU_PWM_Write(int point, int pwm) override {
    if (m_writePwm) m_writePwm(point, pwm);
  }
  void CPU_TEMP_Write(int point, int temperature) override {
    if (m_writeTemp) m_writeTemp(point, temperature);
  }

 private:
  std::unique_ptr<DynamicLibrary> m_library;
  PFN_Check_CPU_SmartFan m_check;
  PFN_CPU_PWM_Read m_read;
  PFN_CPU_PWM_Write m_writePwm;
  PFN_CPU_TEMP_Write m_writeTemp;
};

// As hwk.dll: the program's directory, then the system directory, where a maker's package may
// install them.
class SearchedLibraries : public VendorLibraries {
 public:
  SearchedLibraries(std::string programDir, std::string systemDir, LibraryLoader loader)
      : m_directories{std::move(programDir), std::move(systemDir)}, m_loader(std::move(loader)) {}

  std::unique_ptr<ClockLibrary> LoadClock() override {
    auto library = LoadFromDirectories(kClockLibraryName, m_directories, m_loader);
    if (!library) return nullptr;
    return std::make_unique<BoundClock>(std::move(library));
  }
  std::unique_ptr<FanLibrary> LoadFan() override {
    auto library = LoadFromDirectories(kFanLibraryName, m_directories, m_loader);
    if (!library) return nullptr;
    return std::make_unique<BoundFan>(std::move(library));
  }

 private:
  std::vector<std::string> m_directories;
  LibraryLoader m_loader;
};

}  // namespace

std::unique_ptr<VendorLibraries> MakeVendorLibraries(std::string programDir, std::string systemDir,
                                                     LibraryLoader loader) {
  return std::make_unique<SearchedLibraries>(std::move(programDir), std::move(systemDir),
                                             std::move(loader));
}

VendorLibraries& SystemVendorLibraries() {
  static SearchedLibraries libraries(ProgramDirectory(), SystemLibraryDirectory(),
                                     LoadDynamicLibrary);
  return libraries;
}

}  // namespace zor
