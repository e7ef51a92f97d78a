// UnInstall.exe: started by the list of installed programs as "<destination>\UnInstall.exe"
// /UNINSTALL, or by an administrator's script with /SILENT or /VERYSILENT besides. It hands the
// work to a copy of itself among the temporary files (hand_over.h), so the destination folder
// (its own file included) can go, and ends with the copy's result; when that fails it works in
// place and leaves its own file to the next restart (uninstall_run.h).
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "winui/error_box_win.h"
#include "platform/file_system.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/dialogs_win.h"
#include "platform/win32/system_dlls.h"
#include "platform/win32/registry_win.h"
#include "platform/win32/shell_win.h"
#include "platform/win32/system_win.h"
#include "uninstall/remover_win.h"
#include "uninstall/uninstall_run.h"

namespace {


// Message boxes whose Retry/Cancel buttons read "Повторить"/"Пропустить".
class UninstallMessageBoxes : public platform::MessageBoxes {
 public:
  platform::MsgAnswer Show(void* owner, const std::wstring& text, const std::wstring& caption,
                           platform::MsgButtons buttons, platform::MsgIcon icon) override {
    if (buttons != platform::MsgButtons::RetryCancel) return plain_.Show(owner, text, caption, buttons, icon);
    const platform::ScopedHook hook(SetWindowsHookExW(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId()));
    return plain_.Show(owner, text, caption, buttons, icon);
  }

 private:
  static LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
      HWND box = reinterpret_cast<HWND>(wParam);
      SetDlgItemTextW(box, IDRETRY, L"Повторить");
      SetDlgItemTextW(box, IDCANCEL, L"Пропустить");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  platform::Win32MessageBoxes plain_;
};

int Run() {
  int argc = 0;
  platform::ScopedLocalMemory<LPWSTR*> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
  std::vector<std::wstring> arguments;
  if (argv) arguments.assign(argv.Get() + std::min(argc, 1), argv.Get() + argc);

  winui::SetApplicationTitle(uninstall::kCaption);
  // The shell's link objects are used on this thread.
  platform::ComApartment com;
  platform::Win32System system;
  platform::Win32Registry registry;
  platform::Win32Shell shell;
  UninstallMessageBoxes boxes;
  uninstall::Win32Remover remover;
  const uninstall::UninstallPlatform platform{&platform::RealFileSystem(), &registry, &shell, &boxes, &remover};
  return static_cast<int>(uninstall::RunUninstall(arguments, system, platform));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything else: no DLL from the destination folder (or the temporary one), with the
  // same rules as Setup.exe.
  platform::RestrictDllSearch();
  platform::PreloadSystemDlls();
  try {
    return Run();
  } catch (...) {
    winui::ReportCurrentException();
    return 1;
  }
}
