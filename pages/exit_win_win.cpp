#include "pages/exit_win.h"
#include "pages/views_win.h"

namespace pages {

namespace {
// Switches one privilege of the process on or off.
bool SetPrivilege(const wchar_t* name, bool enable) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return false;
  TOKEN_PRIVILEGES tp = {};
  tp.PrivilegeCount = 1;
  if (!LookupPrivilegeValueW(nullptr, name, &tp.Privileges[0].Luid)) {
    CloseHandle(token);
    return false;
  }
  tp.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  BOOL ok = AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
  CloseHandle(token);
  return ok != FALSE;
}

bool RestartWindows(unsigned flags) {
  SetPrivilege(SE_SHUTDOWN_NAME, true);
  BOOL ok = ExitWindowsEx(flags, 0);
  SetPrivilege(SE_SHUTDOWN_NAME, false);
  return ok != FALSE;
}

class ExitWinView : public PageWindow {
 public:
  explicit ExitWinView(TfmExitWin& page) : PageWindow(page), page_(page) {
    page_.RestartWindows = &RestartWindows;
  }

 protected:
  void CreateControls() override {
    using namespace design;
    // Tab order: btNext, btPrior, then the frame (rgWinExit). "Готово" stands where "Отмена"
    // stands on the other pages: there is no cancel button.
    BindButton(page_.btNext, kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight, mrNext,
               [this] { page_.btNextClick(); }, true);
    BindButton(page_.btPrior, kNextLeft, kButtonTop, kButtonWidth, kButtonHeight, mrBack);
    AddFrame();
    BindLabel(page_.Label1, 24, 32, 584, 32);
    BindGroupBox(page_.rgWinExit, 24, 96, 584, 72);
    BindRadio(page_.rbRestartNow, 40, 116, 400, 17, true);
    BindRadio(page_.rbNoRestart, 40, 140, 400, 17, false);
    AddBevel();
  }

 private:
  TfmExitWin& page_;
};
}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmExitWin& page) {
  return std::make_unique<ExitWinView>(page);
}

}  // namespace pages
