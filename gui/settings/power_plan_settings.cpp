#include "gui/settings/power_plan_settings.h"

#include <cstdio>
#include <cstdlib>

#include "gui/settings/power_plan_keys.h"
#include "platform/reg_key.h"

namespace zor {

namespace {

bool PolicyBranch(int osClass) { return osClass < kOsNt6; }

std::string Format(const char* format, int a) {
  char text[128];
  std::snprintf(text, sizeof text, format, a);
  return text;
}

std::string Format(const char* format, int a, int b) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

bool PowerPlanSettings::RunSystemCommand(const std::string& tail) {
  if (m_exit.Blocks()) return false;
  // Without the system directory the command would run "\powercfg" from the current drive's root.
  if (m_systemDirectory.empty()) return false;
  // tail is "\powercfg <arguments>"; the program path is quoted so that a system directory with
  // blanks cannot be taken as another program.
  const size_t blank = tail.find(' ');
  const std::string program = m_systemDirectory + tail.substr(0, blank);
  const std::string arguments = blank == std::string::npos ? "" : tail.substr(blank + 1);
  // Each command finishes before the next starts. A time-out command sets the active plan's
  // time-out, so one that overtook a plan switch would change the user's own plan instead of
  // plan 4; two time-out commands that overtook each other would leave the older value.
  m_processes.RunHidden(QuotedCommand(program, arguments), kCommandWaitMs);
  return true;
}

bool PowerPlanSettings::GetActivePowerPlan(int* plan) {
  RegKey key(m_registry);
  if (PolicyBranch(m_state.m_nOsClass)) {
    std::string text;
    if (key.Open(RegRoot::CurrentUser, power::kPolicyRoot)) key.ReadString("CurrentPowerPolicy", &text);
    key.Close();
    *plan = std::atoi(text.c_str());
    return true;
  }
  if (!key.Open(RegRoot::LocalMachine, power::kSchemesRoot)) {
    if (m_state.m_nOsClass != kOsNt61) return false;
    *plan = kPlanBalanced;  // NT 6.1 without the key: Balanced is in force
    return true;
  }
  std::string active;
  key.ReadString("ActivePowerScheme", &active);
  key.Close();
  if (active.find(power::kBalancedPrefix) != std::string::npos) {
    *plan = kPlanBalanced;
  } else if (active.find(power::kHighPerformancePrefix) != std::string::npos) {
    *plan = kPlanHighPerformance;
  } else {
    *plan = kPlanPowerSaver;
  }
  return true;
}

bool PowerPlanSettings::SetActivePowerPlan(int plan) {
  if (PolicyBranch(m_state.m_nOsClass)) return RunSystemCommand(Format("\\powercfg /s %d /n", plan));
  if (plan == kPlanBalanced) return RunSystemCommand("\\powercfg -S SCHEME_BALANCED");
  if (plan == kPlanHighPerformance) return RunSystemCommand("\\powercfg -S SCHEME_MIN");
  return RunSystemCommand("\\powercfg -S SCHEME_MAX");
}

bool PowerPlanSettings::GetTimeout(Timeout which, int plan, int* minutes) {
  const bool disk = which == Timeout::Disk;
  if (PolicyBranch(m_state.m_nOsClass)) {
    RegKey key(m_registry);
    std::vector<uint8_t> policies;
    const bool read = key.Open(RegRoot::CurrentUser, power::PolicyKey(plan)) &&
                      key.ReadBuffer("Policies", &policies);
    key.Close();
    // A missing or short record leaves the caller's value alone rather than inventing "never":
    // the buffer is padded with zeros past the value's end.
    if (!read || key.LastSize() < power::kUserPolicySize) return false;
    const size_t field = disk ? power::kPolicyDiskAc : power::kPolicyDisplayAc;
    const int32_t seconds = static_cast<int32_t>(
        static_cast<uint32_t>(policies[field]) | static_cast<uint32_t>(policies[field + 1]) << 8 |
        static_cast<uint32_t>(policies[field + 2]) << 16 |
        static_cast<uint32_t>(policies[field + 3]) << 24);
    *minutes = seconds / 60;
    return true;
  }
  std::unique_ptr<RegistryKey> key;
  const long opened = m_registry.Open(RegRoot::LocalMachine, power::SettingKey(plan, disk),
                                            RegAccess::Read, &key);
  if (opened != kRegSuccess) {
    if (plan == kPlanBalanced && m_state.m_nOsClass == kOsNt61) {
      // A fresh NT 6.1 lacks the key until the setting is first changed: give it the defaults.
      // The command sets the active plan's time-out, so it runs only while plan 4 is active;
      // otherwise it would change the user's own plan.
      const int fallback = disk ? 90 : 120;
      int active = 0;
      if (GetActivePowerPlan(&active) && active == kPlanBalanced) SetTimeout(which, plan, fallback);
      *minutes = fallback;
      return true;
    }
    ShowSystemError(static_cast<unsigned long>(opened));
    return false;
  }
  uint32_t type = 0;
  std::vector<uint8_t> data;
  const long read = key->Query("ACSettingIndex", 4, &type, &data);
  if (read != kRegSuccess || data.size() != 4) {
    ShowSystemError(static_cast<unsigned long>(read != kRegSuccess ? read : kRegMoreData));
    return false;
  }
  key.reset();
  const uint32_t seconds = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                           static_cast<uint32_t>(data[2]) << 16 |
                           static_cast<uint32_t>(data[3]) << 24;
  *minutes = static_cast<int>(seconds / 60);
  return true;
}

bool PowerPlanSettings::SetTimeout(Timeout which, int plan, int minutes) {
  if (minutes < 0) return false;  // kTimeoutUnknown: nothing known to set
  const bool disk = which == Timeout::Disk;
  if (PolicyBranch(m_state.m_nOsClass)) {
    return RunSystemCommand(Format(disk ? "\\Powercfg /N /X %d /disk-timeout-ac %d"
                                        : "\\Powercfg /N /X %d /monitor-timeout-ac %d",
                                   plan, minutes));
  }
  return RunSystemCommand(
      Format(disk ? "\\Powercfg /X /disk-timeout-ac %d" : "\\Powercfg /X /monitor-timeout-ac %d",
             minutes));
}

void PowerPlanSettings::SetTimeoutVerified(Timeout which, int minutes) {
  // The read-back never matches when the command fails or changes another plan, so it is bounded.
  SetTimeout(which, kPlanBalanced, minutes);
  int readBack = 0;
  bool matches = GetTimeout(which, kPlanBalanced, &readBack) && readBack == minutes;
  for (int attempt = 0; attempt < kReadBackAttempts && !matches; ++attempt) {
    m_sleeper.SleepMs(100);
    SetTimeout(which, kPlanBalanced, minutes);
    matches = GetTimeout(which, kPlanBalanced, &readBack) && readBack == minutes;
  }
}

void PowerPlanSettings::ShowSystemError(unsigned long code) {
  std::string text;
  m_boxes.SystemErrorText(code, &text);
  m_boxes.Show(text, "Error", MessageIcon::Information);
}

void PowerPlanSettings::RecordUserPowerSettings() {
  GetActivePowerPlan(&m_state.m_nSavedScheme);
  int minutes = kTimeoutUnknown;
  m_state.m_nSavedDiskTimeout = GetDiskTimeout(kPlanBalanced, &minutes) ? minutes : kTimeoutUnknown;
  minutes = kTimeoutUnknown;
  m_state.m_nSavedMonitorTimeout =
      GetMonitorTimeout(kPlanBalanced, &minutes) ? minutes : kTimeoutUnknown;
}

void PowerPlanSettings::RestoreUserPowerSettings() {
  const SettingsExit::RestoreScope restoring(m_exit);
  // The time-outs first, while plan 4 (where they were read) is still the active one: the system
  // command changes the active plan's, and after the switch they would land on the user's plan.
  SetDiskTimeout(kPlanBalanced, m_state.m_nSavedDiskTimeout);
  m_sleeper.SleepMs(10);
  SetMonitorTimeout(kPlanBalanced, m_state.m_nSavedMonitorTimeout);
  m_sleeper.SleepMs(10);
  int plan = 0;
  SetActivePowerPlan(m_state.m_nSavedScheme);
  GetActivePowerPlan(&plan);
  for (int attempt = 0; attempt < kReadBackAttempts && plan != m_state.m_nSavedScheme; ++attempt) {
    m_sleeper.SleepMs(100);
    SetActivePowerPlan(m_state.m_nSavedScheme);
    GetActivePowerPlan(&plan);
  }
}

}  // namespace zor
