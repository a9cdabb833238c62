#include "service/service_host.h"

namespace zor {

void ServiceHost::TraceError(uint32_t error) {
  m_trace.Write(m_port.ErrorText(error));
  m_trace.Write("\n");
}

// The handler may run from the moment it is registered: the log's path and the running flag are
// in place before that, so neither is changed under it and a stop that comes at once is kept.
void ServiceHost::Main(const std::string& tracePath, const std::function<void()>& runService) {
  m_trace = FileTrace(tracePath);
  m_flags.running.store(true);
  m_flags.samplerStop.store(false);
  if (!m_port.RegisterHandler()) {
    const uint32_t error = m_port.LastError();
    Tracef(m_trace, "ZOR2 Service RegisterServiceCtrlHandler failed %lu\n",
           static_cast<unsigned long>(error));
    TraceError(error);
    return;
  }
  m_trace.Clear();
  if (!m_port.Report(ServiceState::kRunning, 0)) {
    const uint32_t error = m_port.LastError();
    Tracef(m_trace, "ZOR2 Service SetServiceStatus error %lu\n", static_cast<unsigned long>(error));
    TraceError(error);
  }
  runService();
  m_flags.samplerStop.store(true);
  // The sampler notices the stop within a second; one that hangs in the system's performance
  // data must not keep the stop past the time reported for it.
  if (m_samplerStarted && !m_port.JoinThread(kSamplerJoinMs)) {
    m_trace.Write("Load sampler did not end!!\n");
  }

  if (!m_port.Report(ServiceState::kStopped, 0)) {
    Tracef(m_trace, "VORT Service SetServiceStatus error 0x%lx\n",
           static_cast<unsigned long>(m_port.LastError()));
  }
  m_trace.Write("Bye Bye!!");
}

void ServiceHost::StartSampler(std::function<void()> body) {
  m_samplerStarted = m_port.StartThread(std::move(body));
  if (!m_samplerStarted) m_trace.Write("Load sampler thread failure!!\n");
}

void ServiceHost::Control(uint32_t code, uint32_t eventType) {
  m_trace.Write("\n****Into service control****\n");
  switch (code) {
    case control::kStop:
    case control::kShutdown:
      m_trace.Write("Stopping...\n");
      if (!m_port.Report(ServiceState::kStopPending, kStopWaitHintMs)) {
        const uint32_t error = m_port.LastError();
        Tracef(m_trace, "ZOR2 Service SetServiceStatus error %ld\n", static_cast<long>(error));
        TraceError(error);
      }
      m_flags.running.store(false);
      break;
    case control::kPause:
      m_trace.Write("Service Control pause!!\n");
      m_port.Record(ServiceState::kPaused);
      break;
    case control::kContinue:
      m_trace.Write("CONTINUE...\n");
      if (m_port.Report(ServiceState::kRunning, 0)) return;
      {
        const uint32_t error = m_port.LastError();
        Tracef(m_trace, "ZOR2 Service SetServiceStatus continue error 0x%lx\n",
               static_cast<unsigned long>(error));
        TraceError(error);
      }
      return;
    case control::kInterrogate:
      m_trace.Write("Service Control Interrogate!!\n");
      break;
    case control::kPowerEvent:
      // A resumed regulator has forgotten the rail targets; the loop writes them again.
      if (eventType == power::kResumeSuspend || eventType == power::kResumeAutomatic) {
        m_trace.Write("Resume!!\n");
        m_flags.resumed.store(true);
      }
      break;
    case control::kReapplyRails:
      m_trace.Write("Re-apply rails!!\n");
      m_flags.resumed.store(true);
      break;
    default:
      Tracef(m_trace, "ZOR2 Service unrecognized control code 0x%lx\n",
             static_cast<unsigned long>(code));
      break;
  }
  Tracef(m_trace, "DwCode=0x%lx\n", static_cast<unsigned long>(code));
  m_trace.Write("\nLeave service control...\n");
}

}  // namespace zor
