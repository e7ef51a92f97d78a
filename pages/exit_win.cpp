#include "pages/exit_win.h"

#include "platform/system.h"
#include "setup/setup.h"
#include "util/ini.h"

namespace pages {

const uint32_t TfmExitWin::kRestartFlags = platform::kExitReboot | platform::kExitForceIfHung;
const uint32_t TfmExitWin::kRestartReason =
    platform::kReasonMajorApplication | platform::kReasonMinorInstallation | platform::kReasonFlagPlanned;

TfmExitWin::TfmExitWin(setup::TSetup& model) : Page(L"Завершение установки "), model_(model) {}

void TfmExitWin::FormShow() {
  rbRestartNow.checked = true;
  rbNoRestart.checked = false;
}

void TfmExitWin::FinishInstallation() {
  model_.InstallFont(model_.FSetupDir + L"SERVICE\\FONT\\GOST.TTF");
  if (model_.FGraphEditorSet) {
    const std::wstring file = model_.FDestDir + L"GraphEditor.ini";
    // A failed first key skips the second; the other steps go on in any case.
    if (!model_.WriteDestIniString(L"GraphEditor.ini", L"GENERAL", L"Editor", model_.FGraphEditor) ||
        !model_.WriteDestIniString(L"GraphEditor.ini", L"GENERAL", L"Profile", model_.FGraphProfile))
      model_.ShowMsg(Host() ? Host()->Handle() : nullptr, L"Unable to write to " + file);
  }
  model_.RegisterUninstall();
}

void TfmExitWin::btNextClick() {
  FinishInstallation();
  // A refused restart is silent: the installer ends and the user restarts later.
  if (rbRestartNow.checked) model_.System().RestartWindows(kRestartFlags, kRestartReason);
}

}  // namespace pages
