#include "app/unattended.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "acad/autocad.h"
#include "app/answer_file.h"
#include "app/recorded_answers.h"
#include "app/wizard_pages.h"
#include "archive/rar.h"
#include "formats/run_log.h"
#include "platform/system.h"
#include "setup/installation_lock.h"
#include "setup/setup.h"
#include "util/codepage.h"
#include "util/exception_text.h"

namespace app {
namespace {

ExitCode Finish(formats::RunLog& log, ExitCode code) {
  log.ExitCodeLine(static_cast<int>(code));
  return code;
}

// The index of the AutoCAD product named as the graphic editor page shows it; -1 when none is.
int ProductIndex(const std::vector<std::wstring>& products, const std::wstring& name) {
  for (size_t i = 0; i < products.size(); ++i)
    if (util::EqualsNoCase(products[i], name)) return static_cast<int>(i);
  return -1;
}

std::wstring FoundProductsText(const std::vector<std::wstring>& products) {
  std::wstring text;
  for (const std::wstring& product : products) text += (text.empty() ? L"" : L", ") + product;
  return L"Найдены продукты AutoCAD: " + (text.empty() ? L"нет" : text);
}

}  // namespace

void UnattendedRun::Host::StopTimer(int id) {
  timers.erase(std::remove(timers.begin(), timers.end(), id), timers.end());
}

UnattendedRun::UnattendedRun(setup::TSetup& model, WizardPages& pages, const SetupOptions& options,
                             formats::RunLog& log, const formats::LoggingMessageBoxes& boxes,
                             bool forAllUsers, ProgressShown progress)
    : model_(model),
      pages_(pages),
      options_(options),
      log_(log),
      boxes_(boxes),
      forAllUsers_(forAllUsers),
      progress_(std::move(progress)) {}

template <class ArchivePage>
void UnattendedRun::FollowProgress(ArchivePage& page) {
  if (!progress_) return;
  host_.onProcess = [this, &page] {
    progress_(RunProgress{page.Caption(), page.lbNameFile.text, page.pbar.position, page.pbar.max});
  };
  host_.onProcess();
}

ExitCode UnattendedRun::Result() const {
  if (refusal_ != ExitCode::Done) return refusal_;
  if (copyFailed_) return ExitCode::CopyFailed;
  return restartNeeded_ ? ExitCode::RestartNeeded : ExitCode::Done;
}

int UnattendedRun::Refuse(ExitCode code, const std::wstring& reason) {
  if (refusal_ == ExitCode::Done) refusal_ = code;
  log_.Line(reason);
  return pages::mrCancel;
}

int UnattendedRun::ShowPage(Step step) {
  pages::Page& page = pages_.PageOf(step);
  page.AttachHost(&host_);
  log_.Line(page.Caption());
  switch (step) {
    case Step::FirstForm: return FirstForm();
    case Step::License: return License();
    case Step::GetPath: return GetPath();
    case Step::GetGroups: return GetGroups();
    case Step::GraphProfile: return GraphProfile();
    case Step::PrCopyFile: return PrCopyFile();
    case Step::FileReadme: return FileReadme();
    case Step::ExitWin: return ExitWin();
    case Step::End: break;
  }
  return pages::mrCancel;
}

int UnattendedRun::FirstForm() {
  pages::TfmFirstForm& page = pages_.fmFirstForm;
  FollowProgress(page);
  page.FormShow();
  page.FormActivate();
  if (page.state() == pages::TfmFirstForm::State::Refused)
    return Refuse(ExitCode::NotAdministrator, page.lbComment.text);
  page.btFirstClick();
  const setup::TSetupListGroup& groups = *model_.FGroups;
  for (int i = 0; i < groups.Count(); ++i) {
    const setup::TSetupGroupFile& group = *groups.Items(i);
    log_.Line(group.FArchiveFile + L": файлов " + std::to_wstring(group.FFileCount) + L", " +
              pages::BytesText(group.FSize64));
  }
  if (page.state() != pages::TfmFirstForm::State::Passed || !page.btNext.enabled)
    return Refuse(ExitCode::DamagedMedium, page.lbComment.text);
  return pages::mrNext;
}

int UnattendedRun::License() {
  pages::TfmLicense& page = pages_.fmLicense;
  page.FormShow();
  if (options_.acceptAgreement && page.rbYes.enabled) {
    page.rbYes.checked = true;
    page.rbYesClick();
  }
  if (!page.btNext.enabled) {
    // An agreement that cannot be shown says why in the viewer.
    const std::wstring reason = page.rbYes.enabled ? page.Label1.text + L" " + page.rbNot.text
                                                   : page.RichEdit1.text;
    return Refuse(ExitCode::AgreementNotAccepted, reason);
  }
  log_.Line(page.Label1.text + L" " + page.rbYes.text);
  return pages::mrNext;
}

int UnattendedRun::GetPath() {
  pages::TfmGetPath& page = pages_.fmGetPath;
  page.FormShow();
  if (!options_.dir.empty()) {
    page.edPath.text = options_.dir;
    page.edPathChange();
  }
  if (!page.btNext.enabled)
    return Refuse(ExitCode::RefusedDestination, page.edPath.text + L": " + page.lbPathError.text);
  if (page.lbPathError.visible) log_.Line(page.edPath.text + L": " + page.lbPathError.text);  // a warning
  page.FormClose(pages::mrNext);
  log_.Line(model_.FDestDir);
  return pages::mrNext;
}

int UnattendedRun::GetGroups() {
  pages::TfmGetGroups& page = pages_.fmGetGroups;
  page.FormShow();
  const setup::TSetupListGroup& groups = *model_.FGroups;
  for (const std::wstring& key : options_.groups) {
    bool known = false;
    for (int i = 0; i < groups.Count(); ++i)
      known = known || util::EqualsNoCase(groups.Items(i)->FKey, key);
    if (!known) return Refuse(ExitCode::BadArgument, L"В разделе GROUPS нет группы " + key);
  }
  if (options_.allGroups || !options_.groups.empty()) {
    for (int i = 0; i < groups.Count() && i < static_cast<int>(page.clbGroup.items.size()); ++i) {
      bool wanted = options_.allGroups;
      for (const std::wstring& key : options_.groups)
        wanted = wanted || util::EqualsNoCase(groups.Items(i)->FKey, key);
      page.clbGroup.itemIndex = i;
      page.clbGroup.items[static_cast<size_t>(i)].checked = wanted;
      page.clbGroupClickCheck();
    }
  }
  if (!page.btNext.enabled) {
    if (page.lbErrSize.visible)
      return Refuse(ExitCode::RefusedDestination,
                    page.lbErrSize.text + L" " + page.Label3.text + L" " + page.lbSize.text +
                        L", " + page.Label2.text + L" " + page.lbFreeMemory.text);
    return Refuse(ExitCode::BadArgument, L"Не выбрано ни одной группы");
  }
  for (int i = 0; i < groups.Count(); ++i)
    if (groups.Items(i)->FSelected) log_.Line(L"+ " + groups.Items(i)->FName);
  return pages::mrNext;
}

int UnattendedRun::GraphProfile() {
  if (forAllUsers_) {
    // An AutoCAD profile belongs to one user's registry: for all users none is made.
    log_.Line(L"Профиль AutoCAD принадлежит одному пользователю: при установке для всех пользователей он не создаётся");
    return pages::mrNext;
  }
  pages::TfmGraphProfile& page = pages_.fmGraphProfile;
  page.FormShow();
  // RunUnattended has found the product named.
  const int named = ProductIndex(page.cbCurGraphEditor.items, options_.acad);
  if (named >= 0) {
    page.cbCurGraphEditor.Select(named);
    page.cbCurGraphEditorChange();
  }
  // A release never started by this user has no profile to configure: the page says so.
  if (page.lbComment.visible) log_.Line(page.lbComment.text);
  if (page.lbProfileOwner.visible) log_.Line(page.lbProfileOwner.text);
  if (!options_.profile.empty() && page.cbCurProfile.control.visible &&
      page.cbCurProfile.control.enabled) {
    page.cbCurProfile.itemIndex = -1;
    page.cbCurProfile.control.text = options_.profile;
    page.cbCurProfileChange();
  }
  if (!page.btNext.enabled)
    return Refuse(ExitCode::BadArgument,
                  page.lbCurProfile.text + L" " + page.cbCurProfile.control.text);
  page.FormClose(pages::mrNext);
  log_.Line(page.cbCurGraphEditor.control.text + L": " + model_.FGraphProfile);
  return pages::mrNext;
}

int UnattendedRun::PrCopyFile() {
  pages::TfmPrCopyFile& page = pages_.fmPrCopyFile;
  FollowProgress(page);
  const int boxesBefore = boxes_.Shown();
  page.FormShow();
  page.FormActivate();  // the copying
  // The follow-up step (the shortcuts and the uninstall record) is the page's timer.
  for (int id : std::vector<int>(host_.timers)) page.Timer(id);
  page.TakeCloseRequest();
  const setup::TSetupListGroup& groups = *model_.FGroups;
  for (int i = 0; i < groups.Count(); ++i)
    if (groups.Items(i)->FSelected)
      log_.Line(groups.Items(i)->FArchiveFile + L" -> " + model_.FDestDir);
  for (const std::wstring& path : page.LeftForRestart())
    log_.Line(L"Файл занят другой программой и будет заменён при перезагрузке компьютера: " + path);
  restartNeeded_ = !page.LeftForRestart().empty();
  // Whatever the page had to tell (files not copied, a shortcut or record not made) is a fault
  // of the copying; the installation goes on to its end, as the wizard does.
  if (page.NotCopiedCount() > 0 || !page.FirstNotCopied().empty() ||
      boxes_.Shown() > boxesBefore)
    copyFailed_ = true;
  return pages::mrCancel;  // the copy page closes itself with 2 when done
}

int UnattendedRun::FileReadme() {
  pages::TfmFileReadme& page = pages_.fmFileReadme;
  page.FormShow();
  if (options_.bde) {
    const bool started = page.Button2Click();
    log_.Line(page.Button2.text + L": " + model_.FBDESetup + (started ? L"" : L" — не запущена"));
  }
  return pages::mrNext;
}

int UnattendedRun::ExitWin() {
  pages::TfmExitWin& page = pages_.fmExitWin;
  page.FormShow();
  page.rbRestartNow.checked = options_.restart;
  page.rbNoRestart.checked = !options_.restart;
  log_.Line((options_.restart ? page.rbRestartNow : page.rbNoRestart).text);
  page.btNextClick();
  return pages::mrNext;
}

ExitCode RunUnattended(setup::TSetup& model, archive::TRAR& rar, acad::TAutoCAD& acAutoCAD,
                       platform::Drives& drives, const SetupOptions& options, formats::RunLog& log,
                       const formats::LoggingMessageBoxes& boxes, ProgressShown progress) {
  // A log asked for and not made: nothing is done, since nobody could learn what happened.
  if (!log.Written()) return ExitCode::BadArgument;
  ExitCode result = ExitCode::Failed;
  try {
    if (!model.System().HoldInstallationLock()) {
      log.Line(setup::kAnotherInstallationText);
      return Finish(log, ExitCode::AnotherInstallation);
    }
    // The answer file's answers, under the command line's.
    SetupOptions answers = options;
    if (!options.loadInf.empty()) {
      SetupOptions fromFile;
      const std::wstring fault = LoadAnswers(model.Files(), options.loadInf, &fromFile);
      if (!fault.empty()) {
        log.Line(fault);
        return Finish(log, ExitCode::BadArgument);
      }
      TakeAnswers(fromFile, &answers);
      log.Line(L"Ответы из файла " + options.loadInf);
    }
    model.ReadSetupIni();
    acad::TAutoCADReleaseList releases;
    acAutoCAD.GetReleases(releases);
    WizardPages pages(model, rar, acAutoCAD, releases, drives);
    pages.FormCreate(model.FNameApplication);
    pages.BindArchiveEvents(rar, nullptr);
    log.Line(model.FCaption);
    // A product named is checked before anything is done, whether or not its page comes.
    std::vector<std::wstring> products;
    for (const acad::TAutoCADRelease& release : releases) products.push_back(release.ProductName);
    if (!answers.acad.empty() && ProductIndex(products, answers.acad) < 0) {
      log.Line(L"AutoCAD не найден: " + answers.acad);
      log.Line(FoundProductsText(products));
      return Finish(log, ExitCode::BadArgument);
    }
    // The system account (a deployment tool's) has no desktop or Start menu of a person's.
    const bool forAllUsers = answers.allUsers || model.System().RunsAsLocalSystem();
    if (forAllUsers) {
      model.SetShortcutsForAllUsers(true);
      log.Line(L"Установка для всех пользователей: ярлыки на их общем рабочем столе и в общем меню \"Пуск\"");
    }
    UnattendedRun run(model, pages, answers, log, boxes, forAllUsers, std::move(progress));
    bool answersLost = false;
    std::function<void()> record;
    if (!options.saveInf.empty())
      record = [&] {
        const std::wstring fault = SaveAnswers(model.Files(), options.saveInf,
                                               AnswersGiven(model, pages, forAllUsers), true);
        log.Line(fault.empty() ? L"Ответы записаны в файл " + options.saveInf : fault);
        answersLost = !fault.empty();
      };
    const auto hasAcad = [&releases] { return !releases.empty(); };
    RunChainRecordingAnswers(run, hasAcad, record);
    result = run.Result();
    // An answer file asked for and not written is something the installation did not make.
    if (answersLost && (result == ExitCode::Done || result == ExitCode::RestartNeeded))
      result = ExitCode::CopyFailed;
  } catch (...) {
    log.Line(util::CurrentExceptionText());
    result = ExitCode::Failed;
  }
  return Finish(log, result);
}

}  // namespace app
