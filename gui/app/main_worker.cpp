// The main window and its settings worker: queuing work, the worker's reports, closing, and the
// re-apply after a resume from suspend.
#include <string>

#include "common/firmware_layout.h"
#include "common/info_keys.h"
#include "common/zor2_window.h"
#include "gui/app/main_dialog.h"
#include "gui/app/main_layout.h"
#include "gui/controls/level_table.h"
#include "gui/app/user_power_record.h"
#include "gui/controls/advanced_settings.h"
#include "gui/controls/drawing.h"
#include "gui/controls/message_dlg.h"

namespace zor {

void CMainDialog::Post(Task task, std::function<int(SettingsControl&)> work) {
  if (!m_worker) return;
  // Closing gives the user's settings back last: nothing asked later may change them again.
  if (task == kTaskClose || task == kTaskCloseKeep) {
    m_worker->PostLast(task, std::move(work));
  } else {
    m_worker->Post(task, std::move(work));
  }
}

void CMainDialog::OnWorkerDone(const SettingsWorker::Done& done) {
  if (done.exitRequested) {
    // A failure that ends the program: nothing more is written, the user's settings go back.
    m_bClosing = true;
    if (!done.idle) return;
    Exit(done.exitCode);
    return;
  }
  if (done.tag == kTaskAdvancedStart) {
    RunAdvanced();
    return;
  }
  if (done.tag == kTaskPower3D || done.tag == kTaskSwitchOn) {
    if (m_state.m_b3DPower && m_state.m_bSavingOn) {
      m_aSelect[layout::kPower3D].selected = 0;
      const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
      DrawPower3D(*dc, done.result != 0);
    }
  }
  if (!m_bClosing || !done.idle) return;
  // The program ends only once everything it asked for has been done.
  if (m_nCloseResult >= 0) {
    Host().ExitProcess(m_nCloseResult);
  } else {
    Host().EndModal(ui::kIdCancel);
  }
}

void CMainDialog::Close() {
  if (m_bClosing || !m_worker) return;
  const bool keepSaving = m_state.m_bSavingOn && ShowMessage(Host(), kMessageKeepSaving) == kAnswerYes;
  // The updater may have closed the program while the question was open.
  if (m_bClosing) return;
  EndProgram(keepSaving);
}

void CMainDialog::CloseForUpdate() {
  if (m_bClosing || !m_worker) return;
  // The program is started again straight after the update: saving goes on meanwhile.
  EndProgram(m_state.m_bSavingOn);
}

void CMainDialog::EndProgram(bool keepSaving) {
  // Levels still waiting are moot; the one in hand finishes before the close's own writes.
  m_worker->DropPendingLevels();
  InfoStore* info = m_info.get();
  if (keepSaving) {
    // Keep saving: the firmware keeps its setting, and the user's own settings are parked.
    const MainState saved = m_state;
    m_bClosing = true;
    m_nCloseResult = 0;
    Post(kTaskCloseKeep, [info, saved](SettingsControl& c) {
      // A failed write ends the program, which then gives the user's settings back.
      if (!c.Firmware().UpdataBiosSetting(c.State().m_pEs.U16(fw::et::kControlFlags))) return 0;
      ParkUserPowerSettings(*info, saved);
      return 0;
    });
    return;
  }
  const bool savingOn = m_state.m_bSavingOn;
  m_bClosing = true;
  m_nCloseResult = -1;
  info->Write(info::kInfo, info::kPv, "0");
  Post(kTaskClose, [savingOn, info](SettingsControl& c) {
    const uint16_t flags = c.State().m_pEs.U16(fw::et::kControlFlags);
    if (!c.Firmware().UpdataBiosSetting(savingOn ? flags & fw::cf::kLevelMask : flags)) return 0;
    if (savingOn) c.Firmware().SetBiosAuto(false, false);
    c.RestoreUserPowerSettings();
    info->Update(ReleaseUserPower);
    return 0;
  });
}

void CMainDialog::ChooseAdvanced() {
  if (m_advancedStart || m_bClosing) return;
  // The dialog opens on what the system has now, read by the worker between its other writes.
  auto start = std::make_shared<AdvancedStart>();
  m_advancedStart = start;
  Post(kTaskAdvancedStart, [start](SettingsControl& c) {
    *start = ReadAdvancedStart(c);
    return 0;
  });
}

void CMainDialog::RunAdvanced() {
  if (!m_advancedStart) return;
  const AdvancedStart start = *m_advancedStart;
  // No settings lock is held while the dialog runs; the worker goes on with anything queued.
  const AdvancedChoice choice = RunAdvancedSettings(Host(), start);
  m_advancedStart.reset();
  if (choice.exitCode) {
    Exit(choice.exitCode);
    return;
  }
  if (!choice.saved || m_bClosing) return;
  m_state.m_bAdvanced = true;
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  for (int i = layout::kL1; i <= layout::kL3; ++i) {
    m_aSelect[i].selected = 0;
    DrawAtButton(*dc, m_aSelect[i], m_aSelect[i].normalImage);
  }
  DrawLevelBar(*dc, 6);
  InfoStore* info = m_info.get();
  const unsigned chosen = ++m_nChoice;
  std::shared_ptr<ui::WindowPoster> poster = m_poster;
  Post(kTaskOther, [this, info, choice, chosen, poster](SettingsControl& c) {
    if (StoreAdvancedSettings(c, *info, choice)) return 1;
    // Not stored, so not applied: the window shows again what is in force.
    const MainState& s = c.State();
    const bool advanced = s.m_bAdvanced;
    const int level = s.m_nLevel;
    const bool vga = s.m_bVgaSaving;
    if (poster) {
      poster->Post([this, chosen, advanced, level, vga] { ShowInForce(chosen, advanced, level, vga); });
    }
    return 0;
  });
}

void CMainDialog::ShowInForce(unsigned choice, bool advanced, int level, bool vgaSaving) {
  if (choice != m_nChoice || m_bClosing) return;
  m_state.m_bAdvanced = advanced;
  m_state.m_nLevel = static_cast<int16_t>(level);
  m_state.m_bVgaSaving = vgaSaving;
  if (m_state.m_bSavingOn) {
    for (int i = layout::kL1; i <= layout::kL4; ++i) m_aSelect[i].selected = 0;
    const int button = LevelButton(level);
    if (!advanced && button >= 0) m_aSelect[layout::kL1 + button].selected = 1;
  }
  Host().Invalidate();
}

void CMainDialog::ParkUserPowerSettings(InfoStore& info, const MainState& state) {
  info.Update([&state](InfoFile& file) {
    file.Write(info::kInfo, info::kPv, "1");
    file.Write(info::kInfo, info::kPowerValue, std::to_string(state.m_nSavedScheme));
    file.Write(info::kInfo, info::kDisk, std::to_string(state.m_nSavedDiskTimeout));
    file.Write(info::kInfo, info::kMonitor, std::to_string(state.m_nSavedMonitorTimeout));
    // Parked, they are no longer a run's record: the next start takes them as parked.
    ReleaseUserPower(file);
  });
}

bool CMainDialog::OnMessage(unsigned message, uintptr_t /*wParam*/, intptr_t /*lParam*/,
                            intptr_t& result) {
  if (message == kMsgCloseForUpdate) {
    CloseForUpdate();
    result = 0;
    return true;
  }
  return false;
}

void CMainDialog::OnEndSession() {
  // The system ends the process without a close: the saving plan stays in force, so the user's
  // own settings are parked, for the next start to take them from INFO.DAT and not from the system.
  if (m_state.m_bSavingOn && !m_bClosing && m_info) ParkUserPowerSettings(*m_info, m_state);
}

void CMainDialog::OnResume() {
  if (!m_state.m_bSavingOn || m_bClosing) return;
  const int level = m_state.m_nLevel;
  Post(kTaskOther, [level](SettingsControl& c) {
    // The regulator forgets its targets over a suspend; the advanced set carries its own. Whether
    // a set is in force is the worker's to know: it stored it.
    if (c.State().m_bAdvanced) {
      c.ApplyAdvancedSettings();
    } else {
      c.Rails().ApplyRails(level);
    }
    return 0;
  });
}

bool CMainDialog::PreTranslateMessage(unsigned message, uintptr_t wParam) {
  return message == ui::kMsgKeyDown && (wParam == ui::kKeyReturn || wParam == ui::kKeyEscape);
}

}  // namespace zor
