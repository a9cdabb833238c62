// The service's side of the control manager, portably: the start sequence of the service entry
// point and the control handler, over a small port the Win32 host binds to the real manager.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "service/service_flags.h"
#include "service/trace.h"

namespace zor {

// States and controls as the control manager numbers them.
enum class ServiceState : uint32_t { kStopped = 1, kStopPending = 3, kRunning = 4, kPaused = 7 };
namespace control {
constexpr uint32_t kStop = 1, kPause = 2, kContinue = 3, kInterrogate = 4, kShutdown = 5;
constexpr uint32_t kPowerEvent = 13;
// The service's own control: re-apply the rail targets now, as after a resume.
constexpr uint32_t kReapplyRails = 129;
}
// Power events that end a sleep.
namespace power {
constexpr uint32_t kResumeSuspend = 7, kResumeAutomatic = 18;
}

class ServiceHostPort {
 public:
  virtual ~ServiceHostPort() = default;
  // Registers the control handler with the manager.
  virtual bool RegisterHandler() = 0;
  // Reports a state; waitHintMs tells the manager how long a pending state may last.
  virtual bool Report(ServiceState state, uint32_t waitHintMs) = 0;
  // Only records the state, for the next report or interrogation.
  virtual void Record(ServiceState state) = 0;
  virtual uint32_t LastError() = 0;
  // The system's text for an error code.
  virtual std::string ErrorText(uint32_t error) = 0;
  // Starts body on a thread of its own; false when no thread could be made.
  virtual bool StartThread(std::function<void()> body) = 0;
  // Waits at most timeoutMs for the thread started last; false when it is still running.
  virtual bool JoinThread(uint32_t timeoutMs) = 0;
};

class ServiceHost {
 public:
  ServiceHost(ServiceHostPort& port, FileTrace& trace, ServiceFlags& flags)
      : m_port(port), m_trace(trace), m_flags(flags) {}

  // The service entry point: registers the handler, starts the trace log afresh at tracePath,
  // reports running and runs runService until it returns, then reports stopped.
  void Main(const std::string& tracePath, const std::function<void()>& runService);
  // The control handler, on the dispatcher's thread; eventType qualifies a power event.
  void Control(uint32_t code, uint32_t eventType = 0);
  // Starts the load sampler; without a thread the service carries on with no load figures.
  void StartSampler(std::function<void()> body);

  // How long a stop may take: the loop's last cycle and the sampler's last sleep.
  static constexpr uint32_t kStopWaitHintMs = 3000;
  static constexpr uint32_t kSamplerJoinMs = 2000;

 private:
  void TraceError(uint32_t error);

  ServiceHostPort& m_port;
  FileTrace& m_trace;
  ServiceFlags& m_flags;
  bool m_samplerStarted = false;
};

}  // namespace zor
