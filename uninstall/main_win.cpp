// UnInstall.exe: started by the list of installed programs as "<destination>\UnInstall.exe"
// /UNINSTALL. It hands the work to a copy of itself among the temporary files (hand_over.h), so
// the destination folder (its own file included) can go; when that fails it works in place and
// leaves its own file to the next restart.
#include <windows.h>
#include <shellapi.h>

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
#include "uninstall/hand_over.h"
#include "uninstall/remover_win.h"
#include "uninstall/uninstaller.h"
#include "util/codepage.h"
#include "util/paths.h"

namespace {

constexpr wchar_t kCaption[] = L"Удаление программы";

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

// The copy waits for the program it was started by, whose file it is about to remove.
void WaitForStarter(const std::wstring& pidText) {
  const DWORD pid = static_cast<DWORD>(wcstoul(pidText.c_str(), nullptr, 10));
  if (pid == 0) return;
  platform::ScopedHandle starter(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!starter) return;
  WaitForSingleObject(starter.Get(), 10000);
}

int Run() {
  int argc = 0;
  platform::ScopedLocalMemory<LPWSTR*> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
  std::vector<std::wstring> args(argv.Get(), argv.Get() + (argv ? argc : 0));

  winui::SetApplicationTitle(kCaption);
  UninstallMessageBoxes boxes;
  if (args.size() < 2 || !util::EqualsNoCase(args[1], L"/UNINSTALL")) {
    boxes.Show(nullptr,
               L"Эта программа удаляет установленную программу. Запустите удаление из списка "
               L"установленных программ Windows («Программы и компоненты»).",
               kCaption, platform::MsgButtons::Ok, platform::MsgIcon::Information);
    return 1;
  }
  platform::Win32System system;
  const std::wstring self = system.ModulePath();
  const std::wstring ownFolder = util::WithoutTrailingBackslash(util::FolderOf(self));
  const bool isCopy = args.size() >= 3;
  const std::wstring destination = isCopy ? args[2] : ownFolder;
  if (!isCopy && uninstall::HandOverToCopy(system, platform::RealFileSystem(), self, destination,
                                           GetCurrentProcessId()))
    return 0;
  if (isCopy && args.size() >= 4) WaitForStarter(args[3]);

  platform::ComApartment com;
  platform::Win32Registry registry;
  platform::Win32Shell shell;
  uninstall::Win32Remover remover;
  uninstall::UninstallPlatform platform{&platform::RealFileSystem(), &registry, &shell, &boxes, &remover};
  uninstall::Uninstaller uninstaller(platform, destination, self);
  uninstaller.Run(nullptr);
  if (isCopy) {
    // The temporary copy and its folder go at the next restart.
    remover.RemoveAtRestart(self);
    remover.RemoveAtRestart(ownFolder);
  }
  return 0;
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
