#include "app/unattended_win.h"

#include <memory>

#include "acad/autocad.h"
#include "app/silent_progress_win.h"
#include "app/unattended.h"
#include "archive/rar.h"
#include "formats/run_log.h"
#include "pages/views_win.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/win32/dialogs_win.h"
#include "platform/win32/registry_win.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/shell_win.h"
#include "platform/win32/system_win.h"
#include "setup/setup.h"

namespace app {

namespace {

bool FileExists(const std::wstring& path) {
  return platform::RealFileSystem().Kind(path) == platform::PathKind::File;
}

void ShowBox(const std::wstring& text, platform::MsgIcon icon) {
  platform::Win32MessageBoxes().Show(nullptr, text, L"Setup", platform::MsgButtons::Ok, icon);
}

ExitCode RunWithoutWindows(const SetupOptions& options, formats::RunLog& log) {
  // The shell's link objects are made on this thread.
  platform::ComApartment com;
  platform::Win32System system;
  platform::Win32Registry registry;
  platform::Win32Shell shell;
  formats::LoggingMessageBoxes boxes(log);
  // No icon is loaded: no window shows one.
  setup::TSetup model(
      setup::SetupPlatform{&platform::RealFileSystem(), &system, &registry, &boxes, nullptr, &shell});
  archive::TRAR rar;
  acad::TAutoCAD acAutoCAD(registry, FileExists);
  // /SILENT shows how far the run is; /VERYSILENT shows nothing.
  std::unique_ptr<SilentProgressWindow> window;
  ProgressShown progress;
  if (options.silent && !options.verySilent) {
    window = std::make_unique<SilentProgressWindow>();
    progress = [&window](const RunProgress& shown) { window->Show(shown); };
  }
  return RunUnattended(model, rar, acAutoCAD, platform::RealDrives(), options, log, boxes, progress);
}

}  // namespace

ExitCode RunFromCommandLine(const ParsedCommandLine& parsed) {
  const SetupOptions& options = parsed.options;
  formats::RunLog log(platform::RealFileSystem(), options.log);
  if (!parsed.fault.empty()) {
    const std::wstring text = L"Неверный параметр командной строки: " + parsed.fault;
    log.Line(text);
    log.ExitCodeLine(static_cast<int>(ExitCode::BadArgument));
    if (!options.Unattended()) ShowBox(text + L"\r\n\r\n" + UsageText(), platform::MsgIcon::Error);
    return ExitCode::BadArgument;
  }
  if (options.help) {
    ShowBox(UsageText(), platform::MsgIcon::Information);
    return ExitCode::Done;
  }
  return RunWithoutWindows(options, log);
}

}  // namespace app
