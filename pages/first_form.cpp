#include "pages/first_form.h"

#include "platform/dialogs.h"
#include "setup/setup.h"
#include "util/scope_exit.h"
#include "util/strings.h"

namespace pages {

namespace {

const wchar_t kGreeting[] = L"Рекомендуется завершить работу всех программ на Вашем компьютере.";
const wchar_t kNoRights[] =
    L"Установка программы требует прав администратора.\r\n"
    L"Завершите работу с программой установки\r\n"
    L"и обратитесь к Вашему системному администратору.";
const wchar_t kAcadNeeded[] = L"Для работы редактора схем требуется наличие на Вашем компьютере AutoCAD.\r\n";
const wchar_t kAcadMissing[] =
    L"AutoCAD не найден на Вашем компьютере. Вы можете установить его позже.\r\n"
    L"\r\n"
    L"Если Вы имеете версию пакета с эмулятором схемы, то наличие AutoCAD\r\n"
    L"не обязательно.";
const wchar_t kAcadFound[] = L"\r\nДоступны :\r\n\r\n";
const wchar_t kAcadProfileHint[] =
    L"\r\n"
    L"Успешная настройка профиля AutoCAD возможна только в том случае,\r\n"
    L"если он ранее уже запускался текущим пользователем.";
const wchar_t kPleaseWait[] = L"Пожалуйста подождите, программа\r\nустановки проверяет установочные файлы";
const wchar_t kFailed[] =
    L"Обнаружены ошибки в инсталляционных файлах.\r\n"
    L"Обратитесь к Вашему поставщику.\r\n"
    L"Приносим наши извинения.";
const wchar_t kPassed[] = L"Установочные файлы проверены.\r\nОшибок не обнаружено.";

}  // namespace

TfmFirstForm::TfmFirstForm(setup::TSetup& model, archive::TRAR& rar,
                           const acad::TAutoCADReleaseList& acadList)
    : Page(L"Вас приветствует программа установки "),
      model_(model),
      rar_(rar),
      FAcadList(acadList) {
  lbComment.text = kGreeting;
  lbACAD.visible = false;
  lbNameFile.visible = false;
  lbNameFile.text.clear();
  pbar.visible = false;
  lbNext.text = L"Для продолжения установки программы нажмите кнопку \"Далее >\"";
  btFirst.text = L"Далее>";
  btNext.text = L"Далее >";
  btNext.visible = false;
  btNext.enabled = false;
  btCancel.text = L"Отмена";
}

void TfmFirstForm::FormShow() {
  pbar.visible = false;
  lbNameFile.visible = false;
  lbACAD.visible = false;
  btNext.enabled = false;
}

void TfmFirstForm::FormActivate() {
  if (!model_.HasAdminRights()) {
    state_ = State::Refused;
    lbComment.text = kNoRights;
    pbar.visible = false;
    btFirst.enabled = false;
    return;
  }
  state_ = State::Ready;
  btFirst.enabled = true;
  lbACAD.visible = true;
  ShowAcadNotice();
}

void TfmFirstForm::ShowAcadNotice() {
  std::wstring notice = kAcadNeeded;
  if (FAcadList.empty()) {
    notice += kAcadMissing;
  } else {
    notice += kAcadFound;
    notice += acad::ReleasesText(FAcadList);
    notice += kAcadProfileHint;
  }
  lbACAD.text = notice;
}

bool TfmFirstForm::FormClose(int modalResult) {
  if (Busy()) return false;  // nothing closes the page while the archives are being tested
  return Page::FormClose(modalResult);
}

void TfmFirstForm::btFirstClick() {
  btFirst.visible = false;
  btNext.visible = true;
  CheckArchives();
}

void TfmFirstForm::CheckArchives() {
  state_ = State::Checking;
  SetBusy(true);
  // No control may start anything while the archives are tested: the hidden first button too.
  btFirst.enabled = false;
  btCancel.enabled = false;
  lbNext.visible = false;
  lbACAD.visible = false;
  pbar.visible = true;
  lbNameFile.visible = true;
  lbComment.text = kPleaseWait;

  setup::TSetupListGroup& groups = *model_.FGroups;
  pbar.min = 0;
  pbar.max = groups.Count();
  pbar.position = 0;
  bool failed = false;

  archive::TRAR& rar = rar_;
  archive::ScopedMessagePump pump(rar, [this] { ProcessMessages(); });
  // An error escaping a handler ends the pass: the page must not stay stuck in it.
  util::ScopeExit busyReset([this] {
    if (state_ == State::Checking) {
      state_ = State::Failed;
      SetBusy(false);
      btCancel.enabled = true;
    }
  });

  for (int i = 0; i < groups.Count(); ++i) {
    setup::TSetupGroupFile& group = *groups.Items(i);
    ArchiveFileCount = 0;
    ArchiveSize = 0;
    rar.ArchiveName = group.FArchiveFile;
    if (!rar.Test()) {
      model_.MessageBoxes().Show(Host() ? Host()->Handle() : nullptr,
                                 L"Файл " + group.FArchiveFile + L" содержит ошибку!",
                                 L"Information", platform::MsgButtons::Ok,
                                 platform::MsgIcon::Information);
      failed = true;
    }
    // What was counted up to a failure, too.
    group.SetSize(ArchiveSize);
    group.FFileCount = ArchiveFileCount;
    ++pbar.position;
    rar.ProcessMessagesDue();
  }

  lbNameFile.text.clear();
  pbar.visible = false;
  if (failed) {
    state_ = State::Failed;
    lbComment.text = kFailed;
    lbComment.color = kRed;
    lbComment.bold = true;
  } else {
    state_ = State::Passed;
    lbComment.text = kPassed;
    btNext.enabled = true;
  }
  btCancel.enabled = true;
  lbNext.visible = true;
  SetBusy(false);
}

void TfmFirstForm::RARTested(archive::TRAR& Sender, const RARHeaderData& eFile, bool Result,
                             WindowRef owner) {
  ++ArchiveFileCount;
  // The header's UnpSize is only the low half; a hostile archive may claim sizes near 2^64.
  const uint64_t size = Sender.EntryUnpSize();
  ArchiveSize = setup::SaturatedAdd(
      ArchiveSize, size > uint64_t{INT64_MAX} ? INT64_MAX : static_cast<int64_t>(size));
  // Blanks and control characters go, as the name is trimmed before it is shown.
  const std::wstring name = util::Trim(Sender.EntryNameW());
  lbNameFile.text = name;
  if (!Result) model_.ShowMsg(owner, L"Ошибка архива - файл: " + name);
  // The component lets messages run after this event, at most every 50 ms.
}

}  // namespace pages
