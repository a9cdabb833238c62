// Turns the system's power events into one resume call per resume, for every host. A resume is
// announced as "automatic" and, when the user is present, once more as "suspend": the second of
// the pair is the same resume. An older system announces only "suspend".
#pragma once

namespace zor::ui {

enum class PowerEvent { Suspend, ResumeSuspend, ResumeAutomatic, Other };

class ResumeFilter {
 public:
  // True when event tells of a resume the window has not yet been told of.
  bool IsNewResume(PowerEvent event) {
    if (event == PowerEvent::Other) return false;
    const bool secondOfPair =
        event == PowerEvent::ResumeSuspend && m_last == PowerEvent::ResumeAutomatic;
    m_last = event;
    return event != PowerEvent::Suspend && !secondOfPair;
  }

 private:
  PowerEvent m_last = PowerEvent::Other;
};

}  // namespace zor::ui
