#include "app/recorded_answers.h"

#include "app/answer_file.h"
#include "app/wizard_pages.h"
#include "platform/file_io.h"
#include "setup/setup.h"

namespace app {
namespace {

// Answer files are a few lines; anything larger is not one.
constexpr size_t kAnswerFileMax = 64u << 10;

// Passes every page on, noting where the answers stand.
class AnswerWatch : public PageShower {
 public:
  AnswerWatch(PageShower& shower, const std::function<void()>& record)
      : shower_(shower), record_(record) {}

  int ShowPage(Step step) override {
    if (step == Step::PrCopyFile) reachedCopying_ = true;
    if (reachedCopying_) {
      // Back from the finish page the additional software may still be started.
      recorded_ = step == Step::ExitWin;
      if (recorded_) record_();
    }
    return shower_.ShowPage(step);
  }
  void ChainEnded() {
    if (reachedCopying_ && !recorded_) record_();
  }

 private:
  PageShower& shower_;
  const std::function<void()>& record_;
  bool reachedCopying_ = false;
  bool recorded_ = false;
};

}  // namespace

void RunChainRecordingAnswers(PageShower& shower, const std::function<bool()>& hasAcad,
                              const std::function<void()>& record) {
  if (!record) return RunChain(shower, hasAcad);
  AnswerWatch watch(shower, record);
  RunChain(watch, hasAcad);
  watch.ChainEnded();
}

SetupOptions AnswersGiven(const setup::TSetup& model, const WizardPages& pages, bool forAllUsers) {
  SetupOptions answers;
  answers.dir = model.FDestDir;
  const setup::TSetupListGroup& groups = *model.FGroups;
  for (int i = 0; i < groups.Count(); ++i)
    if (groups.Items(i)->FSelected) answers.groups.push_back(groups.Items(i)->FKey);
  if (model.FGraphEditorSet) answers.acad = pages.fmGraphProfile.cbCurGraphEditor.control.text;
  // The page names the editor only once it has configured the profile.
  if (!model.FGraphEditor.empty()) answers.profile = model.FGraphProfile;
  answers.bde = pages.fmFileReadme.BDEStarted();
  answers.allUsers = forAllUsers;
  return answers;
}

std::wstring SaveAnswers(platform::FileSystem& files, const std::wstring& path,
                         const SetupOptions& answers, bool withAllUsers) {
  if (platform::WriteWholeFile(files, path, AnswerFileText(answers, withAllUsers))) return L"";
  return L"Файл ответов " + path + L" не записан";
}

std::wstring LoadAnswers(platform::FileSystem& files, const std::wstring& path,
                         SetupOptions* answers) {
  std::string bytes;
  switch (platform::ReadWholeFile(files, path, kAnswerFileMax, &bytes)) {
    case platform::ReadResult::Ok:
      break;
    case platform::ReadResult::Missing:
      return L"Файл ответов " + path + L" не найден";
    case platform::ReadResult::Unreadable:
      return L"Файл ответов " + path + L" не читается";
    case platform::ReadResult::TooLarge:
      return L"Файл ответов " + path + L" слишком велик";
  }
  const std::wstring fault = ReadAnswerFile(bytes, answers);
  return fault.empty() ? L"" : L"Файл ответов " + path + L", " + fault;
}

}  // namespace app
