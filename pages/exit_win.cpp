#include "pages/exit_win.h"

#include "setup/setup.h"
#include "util/ini.h"

namespace pages {

TfmExitWin::TfmExitWin(setup::TSetup& model) : Page(L"Завершение установки "), model_(model) {}

void TfmExitWin::FormShow() {
  rbRestartNow.checked = true;
  rbNoRestart.checked = false;
}

void TfmExitWin::FinishInstallation() {
  if (model_.FGraphEditorSet) {
    const std::wstring file = model_.FDestDir + L"GraphEditor.ini";
    // A failed first key skips the second; the other steps go on in any case.
    if (!util::WriteIniString(model_.Files(), file, L"GENERAL", L"Editor", model_.FGraphEditor) ||
        !util::WriteIniString(model_.Files(), file, L"GENERAL", L"Profile", model_.FGraphProfile))
      model_.ShowMsg(Host() ? Host()->Handle() : nullptr, L"Unable to write to " + file);
  }
}

void TfmExitWin::btNextClick() {
  FinishInstallation();
  if (rbRestartNow.checked && RestartWindows) RestartWindows(kRestartFlags);
}

}  // namespace pages
