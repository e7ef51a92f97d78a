// Setup.exe: creates the model, the background window and the pages, and runs the page chain.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <functional>
#include <string>

#include "app/exit_code.h"
#include "app/main_window.h"
#include "app/installer_pages.h"
#include "app/recorded_answers.h"
#include "app/unattended_win.h"
#include "winui/error_box_win.h"
#include "platform/file_system.h"
#include "platform/win32/dialogs_win.h"
#include "platform/win32/registry_win.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/shell_win.h"
#include "platform/win32/system_dlls.h"
#include "platform/win32/system_win.h"
#include "setup/installation_lock.h"
#include "setup/setup.h"

namespace {

// The hidden application window: its text is the application title ("Setup", then the
// installer caption).
HWND CreateApplicationWindow(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"SketrionSetupApplication";
  RegisterClassExW(&wc);
  return CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"Setup", WS_POPUP, 0, 0, 0, 0,
                         nullptr, nullptr, instance, nullptr);
}

// The icon Setup.ini names becomes the icon of the application's windows; it outlives them.
class WindowIconLoader : public setup::IconLoader {
 public:
  void LoadApplicationIcon(const std::wstring& icoPath) override {
    big.Reset(static_cast<HICON>(LoadImageW(nullptr, icoPath.c_str(), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON),
                                            GetSystemMetrics(SM_CYICON), LR_LOADFROMFILE)));
    small.Reset(static_cast<HICON>(LoadImageW(nullptr, icoPath.c_str(), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)));
  }
  platform::ScopedIcon big;
  platform::ScopedIcon small;
};

// saveInf: the answer file of /SAVEINF (empty: none), written once the installation has used
// the answers.
int Run(HINSTANCE instance, const std::wstring& saveInf) {
  // The shell's link objects are made on this thread, the only one with windows.
  platform::ComApartment com;
  platform::Win32System system;
  platform::Win32Registry registry;
  platform::Win32MessageBoxes messageBoxes;
  platform::Win32Shell shell;
  // One installation or removal at a time: a second one says so and ends before it reads or
  // writes anything.
  if (!system.HoldInstallationLock()) {
    messageBoxes.Show(nullptr, setup::kAnotherInstallationText, L"Setup", platform::MsgButtons::Ok,
                      platform::MsgIcon::Warning);
    return static_cast<int>(app::ExitCode::AnotherInstallation);
  }
  WindowIconLoader iconLoader;
  setup::SetupPlatform platform;
  platform.files = &platform::RealFileSystem();
  platform.system = &system;
  platform.registry = &registry;
  platform.messageBoxes = &messageBoxes;
  platform.iconLoader = &iconLoader;
  platform.shell = &shell;
  // The installer's one model, first of all and until the end.
  setup::TSetup model(platform);

  platform::ScopedWindow applicationWindow(CreateApplicationWindow(instance));
  winui::SetApplicationWindow(applicationWindow.Get());
  model.SetApplicationWindow(applicationWindow.Get());
  winui::SetApplicationTitle(L"Setup");

  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  int exitCode = 0;
  {
    app::TfmMainSetup fmMainSetup(model, registry);
    if (fmMainSetup.Create(instance)) {
      if (iconLoader.big || iconLoader.small) {
        fmMainSetup.SetIcon(iconLoader.big.Get(), iconLoader.small.Get());
        if (iconLoader.big)
          SendMessageW(applicationWindow.Get(), WM_SETICON, ICON_BIG,
                       reinterpret_cast<LPARAM>(iconLoader.big.Get()));
      }
      app::TInstallerPages installerPages(model, fmMainSetup);
      installerPages.Create();
      std::function<void()> record;
      if (!saveInf.empty())
        record = [&] {
          const std::wstring fault =
              app::SaveAnswers(platform::RealFileSystem(), saveInf,
                               app::AnswersGiven(model, installerPages, false), false);
          if (!fault.empty()) model.ShowMsg(fmMainSetup.hwnd(), fault);
        };
      const auto hasAcad = [&fmMainSetup] { return !fmMainSetup.FAcadList.empty(); };
      fmMainSetup.FormShow([&] { app::RunChainRecordingAnswers(installerPages, hasAcad, record); });
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      exitCode = static_cast<int>(msg.wParam);
    }
  }
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  // Before anything else: no DLL from the medium's folder. Only known DLLs are imported
  // statically; comctl32 loads on its first use, from here on.
  platform::RestrictDllSearch();
  platform::PreloadSystemDlls();
  try {
    // Without arguments the wizard, which reads /SAVEINF alone; the rest is the command line's
    // (README lists it).
    const app::ParsedCommandLine parsed = app::ParseCommandLine(commandLine ? commandLine : L"");
    if (!app::StartsTheWizard(parsed)) return static_cast<int>(app::RunFromCommandLine(parsed));
    return Run(instance, parsed.options.saveInf);
  } catch (...) {
    winui::ReportCurrentException();
    return 1;
  }
}
