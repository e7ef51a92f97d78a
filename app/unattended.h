#pragma once
// Setup.exe /VERYSILENT: the page chain run without a window. Every page's behaviour runs as when
// it is shown (FormShow, FormActivate), takes its answer from the command line through the same
// fields and handlers the user's clicks reach, and is left only where its "Далее >" would be
// enabled. A page that refuses ends the run with its exit code, and the log gets the reason as
// the page shows it.
#include <functional>
#include <string>

#include "app/command_line.h"
#include "app/exit_code.h"
#include "app/wizard_pages.h"

namespace formats {
class LoggingMessageBoxes;
class RunLog;
}  // namespace formats

namespace app {

// What a progress window shows of a run: the page at work, the entry it is at, how far it is.
struct RunProgress {
  std::wstring caption;
  std::wstring entry;
  int position = 0;
  int max = 0;
};
// Shows the progress (the /SILENT window); empty: nothing is shown.
using ProgressShown = std::function<void(const RunProgress&)>;

class UnattendedRun : public PageShower {
 public:
  UnattendedRun(setup::TSetup& model, WizardPages& pages, const SetupOptions& options,
                formats::RunLog& log, const formats::LoggingMessageBoxes& boxes, bool forAllUsers,
                ProgressShown progress = {});

  int ShowPage(Step step) override;
  ExitCode Result() const;

 private:
  // A page's window stand-in: no handle; its timers run when the page's turn ends, and where the
  // page lets messages run (its passes over the archives) the progress is shown.
  class Host : public pages::PageHost {
   public:
    pages::WindowRef Handle() const override { return nullptr; }
    void ProcessMessages() override {
      if (onProcess) onProcess();
    }
    void StartTimer(int id, unsigned) override { timers.push_back(id); }
    void StopTimer(int id) override;
    bool QueryCancel() override { return false; }
    std::vector<int> timers;
    std::function<void()> onProcess;
  };
  // Shows the progress of a page that has an entry line and a progress bar.
  template <class ArchivePage>
  void FollowProgress(ArchivePage& page);

  int FirstForm();
  int License();
  int GetPath();
  int GetGroups();
  int GraphProfile();
  int PrCopyFile();
  int FileReadme();
  int ExitWin();
  // Ends the run: the page's refusal with its reason; the chain reads it as cancel.
  int Refuse(ExitCode code, const std::wstring& reason);

  setup::TSetup& model_;
  WizardPages& pages_;
  const SetupOptions& options_;
  formats::RunLog& log_;
  const formats::LoggingMessageBoxes& boxes_;
  Host host_;
  ExitCode refusal_ = ExitCode::Done;
  bool copyFailed_ = false;
  bool restartNeeded_ = false;  // files in use wait for the restart
  bool forAllUsers_;  // shortcuts for every user, no AutoCAD profile
  ProgressShown progress_;
};

// What the background window and the chain do, without a window: reads Setup.ini, finds the
// AutoCAD releases, runs the chain unattended and logs the exit code last. The model's message
// boxes are `boxes`, writing into `log`.
ExitCode RunUnattended(setup::TSetup& model, archive::TRAR& rar, acad::TAutoCAD& acAutoCAD,
                       platform::Drives& drives, const SetupOptions& options, formats::RunLog& log,
                       const formats::LoggingMessageBoxes& boxes, ProgressShown progress = {});

}  // namespace app
