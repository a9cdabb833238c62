// The zor2 processes of every session on Windows, for the updater.
#pragma once

#include <string>

#include "apps/updexe/program_control.h"

namespace zor {

class Win32Zor2Instances : public Zor2Instances {
 public:
  explicit Win32Zor2Instances(std::string programDir);
  bool List(std::vector<uint32_t>* ids) override;
  bool AskToClose(uint32_t id) override;
  bool WaitEnded(uint32_t id, uint32_t ms) override;
  bool End(uint32_t id) override;
  bool Start() override;

 private:
  std::string m_dir;
};

}  // namespace zor
