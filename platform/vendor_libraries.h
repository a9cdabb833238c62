// The vendor's graphics-clock and fan libraries, loaded from the program's directory or else the
// system directory. Each loaded library owns its module; an entry point the library lacks is never
// called (its call returns 0 and does nothing).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/dynamic_library.h"

namespace zor {

class ClockLibrary {
 public:
  virtual ~ClockLibrary() = default;
  virtual int ClockvaneInit() = 0;
  virtual void SetCoreCLK(int reduction) = 0;
};

class FanLibrary {
 public:
  virtual ~FanLibrary() = default;
  virtual int Check_CPU_SmartFan(uint32_t* info) = 0;
  virtual void CPU_PWM_Read(int point, uint16_t* pwm) = 0;
  virtual void CPU_PWM_Write(int point, int pwm) = 0;
  virtual void CPU_TEMP_Write(int point, int temperature) = 0;
};

class VendorLibraries {
 public:
  virtual ~VendorLibraries() = default;
  // Null when the library cannot be loaded.
  virtual std::unique_ptr<ClockLibrary> LoadClock() = 0;
  virtual std::unique_ptr<FanLibrary> LoadFan() = 0;
};

constexpr char kClockLibraryName[] = "Clockvane.dll";
constexpr char kFanLibraryName[] = "SF.DLL";

// Loads each library from programDir, then systemDir, through loader (LoadFromDirectories).
std::unique_ptr<VendorLibraries> MakeVendorLibraries(std::string programDir, std::string systemDir,
                                                     LibraryLoader loader);

// The same from this program's directory and the system directory.
VendorLibraries& SystemVendorLibraries();

}  // namespace zor
