#include "apps/updexe/program_control.h"

#include "common/service_name.h"

namespace zor {

namespace {

// A close finishes the write in hand and gives back the user's power settings, a system command
// or two of at most 10 s each.
constexpr uint32_t kCloseWaitMs = 30000;
// One the request did not reach (a logon start without a window) ends on its own in moments.
constexpr uint32_t kUnaskedWaitMs = 5000;
constexpr uint64_t kServiceWaitMs = 30000;
constexpr uint32_t kPollMs = 100;

}  // namespace

ProgramsControl::ProgramsControl(ServiceManager& services, Zor2Instances& zor2, Clock& clock)
    : m_services(services), m_zor2(zor2), m_clock(clock) {}

bool ProgramsControl::StopZor2(bool* wasRunning) {
  *wasRunning = false;
  std::vector<uint32_t> ids;
  if (!m_zor2.List(&ids)) return false;
  *wasRunning = !ids.empty();
  // All are asked first, so that each parks the user's power settings as it does when closed:
  // ended outright, it would leave the saving plan in force for the next zor2 to take as the
  // user's own. Only those that do not answer are ended.
  std::vector<bool> asked;
  for (uint32_t id : ids) asked.push_back(m_zor2.AskToClose(id));
  bool ended = true;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (!m_zor2.WaitEnded(ids[i], asked[i] ? kCloseWaitMs : kUnaskedWaitMs)) ended &= m_zor2.End(ids[i]);
  }
  return ended;
}

bool ProgramsControl::StartZor2() { return m_zor2.Start(); }

bool ProgramsControl::AwaitState(ServiceHandle& service, uint32_t want) {
  const uint64_t deadline = m_clock.NowMs() + kServiceWaitMs;
  for (;;) {
    uint32_t state = 0;
    // A starting service is asked itself, as zor2 does; a refused interrogation still tells the
    // last state the service reported.
    const bool told = want == kServiceRunning && service.Interrogate(&state);
    if (!told && !service.QueryState(&state)) state = 0;
    if (state == want) return true;
    if (want == kServiceRunning && state == kServiceStopped) return false;
    if (m_clock.NowMs() >= deadline) return false;
    m_clock.SleepMs(kPollMs);
  }
}

bool ProgramsControl::StopService(bool* wasRunning) {
  *wasRunning = false;
  std::unique_ptr<ServiceManagerHandle> manager = m_services.Open();
  bool known = false;
  if (!manager || !manager->Knows(kServiceName, &known)) return false;
  if (!known) return true;
  // Replacing files under a service that may be running would break it: an unreadable state stops
  // the update.
  std::unique_ptr<ServiceHandle> service = manager->OpenNamed(kServiceName);
  uint32_t state = 0;
  if (!service || !service->QueryState(&state)) return false;
  *wasRunning = state != kServiceStopped;
  if (!*wasRunning) return true;
  if (state != kServiceStopPending) service->Stop();
  return AwaitState(*service, kServiceStopped);
}

bool ProgramsControl::StartService() {
  std::unique_ptr<ServiceManagerHandle> manager = m_services.Open();
  std::unique_ptr<ServiceHandle> service = manager ? manager->OpenNamed(kServiceName) : nullptr;
  if (!service) return false;
  service->Start();
  return AwaitState(*service, kServiceRunning);
}

}  // namespace zor
