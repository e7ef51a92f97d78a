#include "pages/exit_win.h"

namespace pages {

TfmExitWin::TfmExitWin() : Page(L"Завершение установки ") {}

void TfmExitWin::FormShow() {
  rbRestartNow.checked = true;
  rbNoRestart.checked = false;
}

}  // namespace pages
