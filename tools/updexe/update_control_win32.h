// The Windows side of an update: zor2 ended and started again, the service stopped and started.
#pragma once

#include <string>

#include "tools/updexe/update.h"

namespace zor {

class Win32UpdateControl : public UpdateControl {
 public:
  explicit Win32UpdateControl(std::string programDir);
  bool StopZor2(bool* wasRunning) override;
  void StartZor2() override;
  bool StopService(bool* wasRunning) override;
  void StartService() override;

 private:
  std::string m_dir;
};

}  // namespace zor
