#include "uninstall/uninstall_run.h"

#include "formats/run_log.h"
#include "platform/dialogs.h"
#include "platform/system.h"
#include "setup/installation_lock.h"
#include "uninstall/command_line.h"
#include "uninstall/deferring_remover.h"
#include "uninstall/hand_over.h"
#include "uninstall/remover.h"
#include "util/exception_text.h"
#include "util/paths.h"
#include "util/strings.h"

namespace uninstall {
namespace {

// The original ends as soon as it has the result; past this the copy leaves its file to the restart.
constexpr uint32_t kStarterEndMs = 30000;

using Status = platform::ProgramResult::Status;

// The temporary copy works in a folder of its own: a relative log path is the caller's.
std::wstring FullLogPath(const std::wstring& log, platform::System& system) {
  if (log.empty() || util::RootLength(log) != 0) return log;
  return util::AddBackslash(system.CurrentDir()) + log;
}

ExitCode Finish(formats::RunLog& log, ExitCode code) {
  log.ExitCodeLine(static_cast<int>(code));
  return code;
}

class UninstallRun {
 public:
  UninstallRun(const UninstallOptions& options, platform::System& system,
               const UninstallPlatform& platform, formats::RunLog& log)
      : o_(options), system_(system), platform_(platform), log_(log) {}

  void Tell(const std::wstring& text, platform::MsgIcon icon) {
    if (!o_.Unattended()) platform_.messageBoxes->Show(nullptr, text, kCaption, platform::MsgButtons::Ok, icon);
  }

  ExitCode Run() {
    const std::wstring self = system_.ModulePath();
    const std::wstring dest = o_.IsCopy() ? o_.forFolder : util::WithoutTrailingBackslash(util::FolderOf(self));
    log_.Line(L"Удаление программы из папки " + dest);
    if (!log_.Written()) {
      Tell(L"Не удаётся записать журнал " + o_.log, platform::MsgIcon::Error);
      return o_.IsCopy() ? HandBack(self, ExitCode::LogNotMade, nullptr) : ExitCode::LogNotMade;
    }
    if (!o_.IsCopy()) {
      // The program started makes no copy while another installation or removal runs.
      if (system_.InstallationRunning()) return Refuse(self);
      const uint32_t id = system_.ProcessId();
      const platform::ProgramResult copy =
          HandOverToCopy(system_, *platform_.files, self, CopyArguments(o_, dest, id), id);
      if (copy.status == Status::Reported) return static_cast<ExitCode>(copy.code);
      if (copy.status == Status::EndedWithoutReport) return ExitCode::Failed;
      // No copy: the work is done here, and this file is left to the restart.
    }
    // The process that removes holds the lock (the program started only waits for the copy).
    if (!system_.HoldInstallationLock()) return Refuse(self);
    DeferringRemover deferring(*platform_.remover, *platform_.files, o_.IsCopy() ? dest + L"\\UnInstall.exe" : L"");
    const ExitCode code = Remove(dest, self, deferring);
    return o_.IsCopy() ? HandBack(self, code, &deferring) : code;
  }

 private:
  ExitCode Refuse(const std::wstring& self) {
    log_.Line(setup::kAnotherInstallationText);
    Tell(setup::kAnotherInstallationText, platform::MsgIcon::Warning);
    const ExitCode code = Finish(log_, ExitCode::AnotherInstallation);
    return o_.IsCopy() ? HandBack(self, code, nullptr) : code;
  }

  ExitCode Remove(const std::wstring& dest, const std::wstring& self, DeferringRemover& deferring) {
    formats::LoggingMessageBoxes logged(log_, platform::MsgAnswer::Yes);
    UninstallPlatform p = platform_;
    p.remover = &deferring;
    if (o_.Unattended()) p.messageBoxes = &logged;
    Uninstaller uninstaller(p, dest, self);
    const bool ran = uninstaller.Run(nullptr);
    for (const Kept& kept : uninstaller.KeptItems())
      log_.Line(L"Осталось: " + kept.path + L" — " + WhyKept(kept.reason));
    return Finish(log_, ExitCodeOf(ran, uninstaller.KeptItems()));
  }

  // The copy's end: the result to the original, then, once the original has ended, its file and
  // the folders that held only it; the copy's own file and folder go at the restart.
  ExitCode HandBack(const std::wstring& self, ExitCode code, DeferringRemover* deferring) {
    system_.ReportResult(o_.result, static_cast<int>(code));
    system_.WaitForProcessEnd(o_.starter, kStarterEndMs);
    if (deferring) deferring->RemoveDeferred();
    platform_.remover->RemoveAtRestart(self);
    platform_.remover->RemoveAtRestart(util::WithoutTrailingBackslash(util::FolderOf(self)));
    return code;
  }

  const UninstallOptions& o_;
  platform::System& system_;
  const UninstallPlatform& platform_;
  formats::RunLog& log_;
};

}  // namespace

ExitCode RunUninstall(const std::vector<std::wstring>& arguments, platform::System& system,
                      const UninstallPlatform& platform) {
  if (arguments.empty()) {
    platform.messageBoxes->Show(nullptr,
                                L"Эта программа удаляет установленную программу. Запустите удаление из списка "
                                L"установленных программ Windows («Программы и компоненты»).",
                                kCaption, platform::MsgButtons::Ok, platform::MsgIcon::Information);
    return ExitCode::BadArgument;
  }
  ParsedArguments parsed = ParseArguments(arguments);
  parsed.options.log = FullLogPath(parsed.options.log, system);
  formats::RunLog log(*platform.files, parsed.options.log);
  if (!parsed.fault.empty()) {
    const std::wstring text = L"Неверный параметр командной строки: " + parsed.fault;
    log.Line(text);
    if (!parsed.options.Unattended())
      platform.messageBoxes->Show(nullptr, text + L"\r\n\r\n" + UsageText(), kCaption, platform::MsgButtons::Ok,
                                  platform::MsgIcon::Error);
    return Finish(log, ExitCode::BadArgument);
  }
  UninstallRun run(parsed.options, system, platform, log);
  if (!parsed.options.Unattended()) return run.Run();
  // Without a window an unexpected error goes to the log and the exit code: a box there would
  // wait for an answer nobody gives.
  try {
    return run.Run();
  } catch (...) {
    log.Line(util::CurrentExceptionText());
    return Finish(log, ExitCode::Failed);
  }
}

}  // namespace uninstall
