// Stopping and starting zor2 and the service around an update, over the system's ports: a service
// whose state cannot be read is never taken for stopped, every zor2 is asked to close before any is
// ended, and a start counts only once the program really runs.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "platform/service_manager.h"
#include "apps/updexe/update.h"

namespace zor {

// The running zor2 processes, in every session.
class Zor2Instances {
 public:
  virtual ~Zor2Instances() = default;
  // False when the processes cannot be listed.
  virtual bool List(std::vector<uint32_t>* ids) = 0;
  // Asks one to close as the updater does (kMsgCloseForUpdate); false when the request reached it
  // by no way (no window on this desktop, no close event in its session).
  virtual bool AskToClose(uint32_t id) = 0;
  // True when it has ended within ms.
  virtual bool WaitEnded(uint32_t id, uint32_t ms) = 0;
  // Ends it outright; true when it has ended.
  virtual bool End(uint32_t id) = 0;
  // Starts zor2 from the program folder; true when it was started.
  virtual bool Start() = 0;
};

class ProgramsControl : public UpdateControl {
 public:
  ProgramsControl(ServiceManager& services, Zor2Instances& zor2, Clock& clock);
  bool StopZor2(bool* wasRunning) override;
  bool StartZor2() override;
  bool StopService(bool* wasRunning) override;
  bool StartService() override;

 private:
  // Polls the service's state until it is want (true), or it stops short of it, or time runs out.
  bool AwaitState(ServiceHandle& service, uint32_t want);

  ServiceManager& m_services;
  Zor2Instances& m_zor2;
  Clock& m_clock;
};

}  // namespace zor
