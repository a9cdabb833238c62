#include "gui/controls/advanced_settings.h"

#include <cstdio>

#include "gui/controls/advanced_dlg.h"
#include "gui/controls/message_dlg.h"

namespace zor {

namespace {

constexpr size_t kShownTextSize = 32;  // room for the longest time-out text

std::string Number(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

}  // namespace

AdvancedChoice RunAdvancedSettings(ui::ModalHost& owner, const AdvancedStart& start) {
  AdvancedChoice choice;
  CAdvancedDlg dialog(start);
  const int result = owner.DoModal(dialog);
  if (dialog.m_bSkinMissing) {
    choice.exitCode = 1;
    return choice;
  }
  if (result != ui::kIdOk) return choice;

  choice.saved = true;
  auto& keys = choice.keys;
  keys.emplace_back("Adv", "1");
  const AdvancedToggle order[] = {kToggleNb,  kToggleSb,   kToggleMem, kToggleVtt, kToggleLps,
                                  kToggleThro, kTogglePch, kToggleVga, kToggleSf};
  size_t lpsIndex = 0;
  for (AdvancedToggle t : order) {
    if (t == kToggleLps) lpsIndex = keys.size();
    keys.emplace_back(kToggleKeys[t], dialog.m_toggles[t].on ? "1" : "0");
  }
  keys.emplace_back("FSB", Number(dialog.m_nReduction));
  char shown[kShownTextSize];
  dialog.m_cboDisk.GetShownText(shown, sizeof shown);
  keys.emplace_back("HDD", shown);
  dialog.m_cboMonitor.GetShownText(shown, sizeof shown);
  keys.emplace_back("MONI", shown);
  keys.emplace_back("CURVOLT", Number(dialog.m_nChosenLevel));

  // A change of the firmware's low-power state needs a restart, so the user confirms it; a
  // declined change stores what the firmware keeps. Only a firmware that offers it is asked.
  const bool wanted = dialog.m_toggles[kToggleLps].on != 0;
  if (start.lowPowerOffered && wanted != start.lowPowerOn) {
    const int answer = ShowMessage(owner, wanted ? kMessageLowPowerOn : kMessageLowPowerOff);
    choice.toggleLowPower = answer == kAnswerYes;
    const bool stored = choice.toggleLowPower ? wanted : start.lowPowerOn;
    keys[lpsIndex].second = stored ? "1" : "0";
  }
  return choice;
}

}  // namespace zor
