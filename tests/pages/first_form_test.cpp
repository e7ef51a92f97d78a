// The welcome page over a model of fakes and a scripted medium: the rights check, the AutoCAD
// notice, the verification pass with its counts, messages and five states.
#include <gtest/gtest.h>

#include "pages/first_form.h"
#include "tests/pages/archive_pages_fixture.h"

namespace {

using pages::TfmFirstForm;
using State = pages::TfmFirstForm::State;

class WelcomePage : public pages::testing::ArchivePageTest {
 protected:
  WelcomePage() : page(model, rar, acadList) {
    page.FormCreate(L"Sketrion");
    page.AttachHost(&host);
    // As the background window binds its handler.
    rar.OnTested = [this](archive::TRAR& sender, RARHeaderData h, bool ok) {
      page.RARTested(sender, h, ok, &backgroundWindow);
    };
  }

  void ShowAndActivate() {
    page.FormShow();
    page.FormActivate();
  }

  acad::TAutoCADReleaseList acadList;
  TfmFirstForm page;
  // How often "Прекратить установку программы?" was asked.
  int CancelQuestions() const {
    int n = 0;
    for (const auto& text : BoxTexts()) n += text == L"Прекратить установку программы?";
    return n;
  }
};

TEST_F(WelcomePage, CaptionAndInitialControls) {
  EXPECT_EQ(page.Caption(), L"Вас приветствует программа установки Sketrion");
  EXPECT_EQ(page.lbComment.text, L"Рекомендуется завершить работу всех программ на Вашем компьютере.");
  EXPECT_EQ(page.lbNext.text, L"Для продолжения установки программы нажмите кнопку \"Далее >\"");
  EXPECT_EQ(page.btFirst.text, L"Далее>");
  EXPECT_TRUE(page.btFirst.visible);
  EXPECT_FALSE(page.btNext.visible);
  EXPECT_FALSE(page.btNext.enabled);
}

TEST_F(WelcomePage, WithoutAdministratorRightsOnlyCancelRemains) {
  registry.DenyAccess(platform::RegRoot::LocalMachine, L"Software", platform::RegAccess::Full);
  ShowAndActivate();
  EXPECT_EQ(page.state(), State::Refused);
  EXPECT_EQ(page.lbComment.text,
            L"Установка программы требует прав администратора.\r\n"
            L"Завершите работу с программой установки\r\n"
            L"и обратитесь к Вашему системному администратору.");
  EXPECT_FALSE(page.btFirst.enabled);
  EXPECT_FALSE(page.btNext.enabled);
  EXPECT_FALSE(page.lbACAD.visible);
  EXPECT_FALSE(page.pbar.visible);
  EXPECT_TRUE(page.btCancel.enabled);
  EXPECT_TRUE(medium.opened.empty());
}

TEST_F(WelcomePage, AutoCADNoticeWhenNoneWasFound) {
  ShowAndActivate();
  EXPECT_EQ(page.state(), State::Ready);
  EXPECT_TRUE(page.btFirst.enabled);
  EXPECT_TRUE(page.lbACAD.visible);
  EXPECT_EQ(page.lbACAD.text,
            L"Для работы редактора схем требуется наличие на Вашем компьютере AutoCAD.\r\n"
            L"AutoCAD не найден на Вашем компьютере. Вы можете установить его позже.\r\n\r\n"
            L"Если Вы имеете версию пакета с эмулятором схемы, то наличие AutoCAD\r\n"
            L"не обязательно.");
}

TEST_F(WelcomePage, AutoCADNoticeListsEveryReleaseOnItsOwnLine) {
  acadList = {{L"AutoCAD 2000", acad::geACAD2000}, {L"AutoCAD 2002", acad::geACLT2002}};
  ShowAndActivate();
  EXPECT_EQ(page.lbACAD.text,
            L"Для работы редактора схем требуется наличие на Вашем компьютере AutoCAD.\r\n"
            L"\r\nДоступны :\r\n\r\n"
            L"AutoCAD 2000\r\nAutoCAD 2002\r\n"
            L"\r\n"
            L"Успешная настройка профиля AutoCAD возможна только в том случае,\r\n"
            L"если он ранее уже запускался текущим пользователем.");
}

TEST_F(WelcomePage, CleanVerificationCountsEveryEntryFoldersIncluded) {
  AddArchive(L"BASE.RAR").entries = {{"DOC", RHDF_DIRECTORY, 0}, {"DOC\\A.TXT", 0, 100},
                                   {"B.TXT", 0, 20}, {"C.TXT", 0, 3}};
  AddArchive(L"EXTRA.RAR", false).entries = {{"X.DWG", 0, 7}};
  ShowAndActivate();
  page.btFirstClick();

  EXPECT_EQ(page.state(), State::Passed);
  EXPECT_EQ(Group(0).FFileCount, 4);
  EXPECT_EQ(Group(0).FSize, 123);
  EXPECT_EQ(Group(1).FFileCount, 1);  // unselected groups are tested too
  EXPECT_EQ(Group(1).FSize, 7);
  EXPECT_EQ(page.lbComment.text, L"Установочные файлы проверены.\r\nОшибок не обнаружено.");
  EXPECT_EQ(page.lbComment.color, pages::kDefaultColor);
  EXPECT_FALSE(page.btFirst.visible);
  EXPECT_TRUE(page.btNext.visible);
  EXPECT_TRUE(page.btNext.enabled);
  EXPECT_TRUE(page.btCancel.enabled);
  EXPECT_TRUE(page.lbNext.visible);
  EXPECT_FALSE(page.lbACAD.visible);
  EXPECT_FALSE(page.pbar.visible);
  EXPECT_EQ(page.pbar.max, 2);
  EXPECT_EQ(page.pbar.position, 2);
  EXPECT_TRUE(page.lbNameFile.text.empty());
  EXPECT_TRUE(boxes.Asked().empty());
  // The windows ran their messages when the pass began; entries and archives that follow each
  // other within 50 ms add nothing.
  EXPECT_EQ(host.processed, 1);
}

TEST_F(WelcomePage, EmptyGroupListPassesWithAnEmptyBar) {
  ShowAndActivate();
  page.btFirstClick();
  EXPECT_EQ(page.state(), State::Passed);
  EXPECT_EQ(page.pbar.min, 0);
  EXPECT_EQ(page.pbar.max, 0);
  EXPECT_TRUE(medium.opened.empty());
}

TEST_F(WelcomePage, MissingSecondArchiveFailsTheVerification) {
  AddArchive(L"BASE.RAR").entries = {{"A", 0, 10}, {"B", 0, 5}};
  auto group = std::make_unique<setup::TSetupGroupFile>(model.FGroups.get(), &model);
  group->FArchiveFile = L"D:\\ДАННЫЕ\\GONE.RAR";
  group->SetSize(99);
  group->FFileCount = 9;
  model.FGroups->Add(std::move(group));

  ShowAndActivate();
  page.btFirstClick();

  EXPECT_EQ(Group(0).FFileCount, 2);
  EXPECT_EQ(Group(0).FSize, 15);
  EXPECT_EQ(Group(1).FFileCount, 0);
  EXPECT_EQ(Group(1).FSize, 0);
  ASSERT_EQ(boxes.Asked().size(), 1u);
  const auto& box = boxes.Asked()[0];
  EXPECT_EQ(box.text, L"Файл D:\\ДАННЫЕ\\GONE.RAR содержит ошибку!");
  EXPECT_EQ(box.caption, L"Information");
  EXPECT_EQ(box.buttons, platform::MsgButtons::Ok);
  EXPECT_EQ(box.icon, platform::MsgIcon::Information);

  EXPECT_EQ(page.state(), State::Failed);
  EXPECT_EQ(page.lbComment.text,
            L"Обнаружены ошибки в инсталляционных файлах.\r\nОбратитесь к Вашему поставщику.\r\n"
            L"Приносим наши извинения.");
  EXPECT_EQ(page.lbComment.color, pages::kRed);
  EXPECT_TRUE(page.lbComment.bold);
  EXPECT_FALSE(page.btNext.enabled);
  EXPECT_TRUE(page.btCancel.enabled);
  EXPECT_TRUE(page.lbNext.visible);
}

TEST_F(WelcomePage, DamagedEntriesAreNamedInCyrillicThenTheArchiveIsReported) {
  const std::string bad1 = pages::testing::Dos(L"Схемы\\Щит.dwg");
  const std::string bad2 = pages::testing::Dos(L"  Отчет.doc ");  // trimmed before it is shown
  AddArchive(L"BASE.RAR").entries = {{"A", 0, 1}, {bad1, 0, 2, ERAR_BAD_DATA}, {"C", 0, 3},
                                   {bad2, 0, 4, ERAR_BAD_DATA}, {"E", 0, 5}};
  ShowAndActivate();
  page.btFirstClick();

  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{
                            L"Ошибка архива - файл: Схемы\\Щит.dwg",
                            L"Ошибка архива - файл: Отчет.doc",
                            L"Файл D:\\BASE.RAR содержит ошибку!"}));
  // The per-entry box belongs to the background window, with the installer's caption.
  EXPECT_EQ(boxes.Asked()[0].owner, static_cast<void*>(&backgroundWindow));
  EXPECT_EQ(boxes.Asked()[0].caption, L"Установка Sketrion");
  // Damaged data spoils only its entry: every entry was counted.
  EXPECT_EQ(Group(0).FFileCount, 5);
  EXPECT_EQ(Group(0).FSize, 15);
  EXPECT_EQ(page.state(), State::Failed);
  EXPECT_FALSE(page.btNext.enabled);
}

TEST_F(WelcomePage, NamesOutsideCodePage866AreShownAsTheArchiveNamesThem) {
  auto& archive = AddArchive(L"BASE.RAR");
  archive.entries = {{"?uro.txt", 0, 1, ERAR_BAD_DATA}, {"caf?.txt", 0, 1}};
  archive.entries[0].wideName = L"€uro.txt";
  archive.entries[1].wideName = L" «Кавычки» — café.txt ";
  ShowAndActivate();
  std::vector<std::wstring> labels;
  rar.OnTested = [&](archive::TRAR& sender, RARHeaderData h, bool ok) {
    page.RARTested(sender, h, ok, &backgroundWindow);
    labels.push_back(page.lbNameFile.text);
  };
  page.btFirstClick();
  EXPECT_EQ(labels, (std::vector<std::wstring>{L"€uro.txt", L"«Кавычки» — café.txt"}));
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Ошибка архива - файл: €uro.txt",
                                                   L"Файл D:\\BASE.RAR содержит ошибку!"}));
}

TEST_F(WelcomePage, FatalEntryErrorStoresTheCountsReachedBeforeIt) {
  AddArchive(L"BASE.RAR").entries = {{"A", 0, 1}, {"B", RHDF_ENCRYPTED, 2, ERAR_BAD_PASSWORD},
                                   {"C", 0, 3}};
  ShowAndActivate();
  page.btFirstClick();
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Ошибка архива - файл: B",
                                                   L"Файл D:\\BASE.RAR содержит ошибку!"}));
  EXPECT_EQ(Group(0).FFileCount, 2);
  EXPECT_EQ(Group(0).FSize, 3);
}

TEST_F(WelcomePage, SizesOfTwoGibibytesAndMoreAreMeasuredInFull) {
  // 3 GB, and a 5 GB entry whose size has a high half beside the header's UnpSize.
  AddArchive(L"BIG.RAR").entries = {{"A", 0, 3000000000u}};
  AddArchive(L"HUGE.RAR").entries = {{"B", 0, 5000000000ull}, {"C", 0, 1}};
  // A hostile archive claiming sizes near 2^64 cannot wrap the sum around.
  AddArchive(L"HOSTILE.RAR").entries = {{"D", 0, UINT64_MAX}, {"E", 0, UINT64_MAX}};
  ShowAndActivate();
  page.btFirstClick();
  EXPECT_EQ(Group(0).FSize64, 3000000000LL);
  EXPECT_EQ(Group(1).FSize64, 5000000001LL);
  EXPECT_EQ(Group(2).FSize64, INT64_MAX);
  // The 32-bit fields stop at their limit.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Group(i).FSize, INT32_MAX) << i;
}

TEST_F(WelcomePage, DuringThePassNoControlIsUsableAndThePageDoesNotClose) {
  AddArchive(L"BASE.RAR").entries = {{pages::testing::Dos(L"Файл.txt"), 0, 1}};
  ShowAndActivate();
  bool checked = false;
  rar.OnTested = [&](archive::TRAR& sender, RARHeaderData h, bool ok) {
    page.RARTested(sender, h, ok, &backgroundWindow);
    checked = true;
    EXPECT_EQ(page.state(), State::Checking);
    EXPECT_EQ(page.lbComment.text, L"Пожалуйста подождите, программа\r\nустановки проверяет установочные файлы");
    EXPECT_EQ(page.lbNameFile.text, L"Файл.txt");
    EXPECT_TRUE(page.lbNameFile.visible);
    EXPECT_TRUE(page.pbar.visible);
    EXPECT_FALSE(page.btFirst.visible);
    EXPECT_FALSE(page.btFirst.enabled);
    EXPECT_FALSE(page.btNext.enabled);
    EXPECT_FALSE(page.btCancel.enabled);
    EXPECT_FALSE(page.lbNext.visible);
    EXPECT_TRUE(page.Busy());
    EXPECT_FALSE(page.FormClose(pages::mrCancel));
  };
  page.btFirstClick();
  EXPECT_TRUE(checked);
  EXPECT_EQ(CancelQuestions(), 0);
  EXPECT_FALSE(page.Busy());
}

TEST_F(WelcomePage, CancelBeforeAndAfterThePassAsksTheQuestion) {
  ShowAndActivate();
  boxes.Answer(platform::MsgAnswer::No);
  EXPECT_FALSE(page.FormClose(pages::mrCancel));
  EXPECT_EQ(CancelQuestions(), 1);
  EXPECT_EQ(page.state(), State::Ready);
  page.btFirstClick();
  boxes.Answer(platform::MsgAnswer::Yes);
  EXPECT_TRUE(page.FormClose(pages::mrCancel));
  EXPECT_EQ(CancelQuestions(), 2);
  EXPECT_TRUE(page.FormClose(pages::mrNext));
  EXPECT_EQ(CancelQuestions(), 2);
}

TEST_F(WelcomePage, AnErrorEscapingAHandlerLeavesThePageFailedAndClosable) {
  AddArchive(L"BASE.RAR").entries = {{"A", 0, 1}};
  ShowAndActivate();
  rar.OnTested = [](archive::TRAR&, RARHeaderData, bool) { throw std::runtime_error("boom"); };
  EXPECT_THROW(page.btFirstClick(), std::runtime_error);
  EXPECT_EQ(page.state(), State::Failed);
  EXPECT_FALSE(page.Busy());
  EXPECT_FALSE(page.btNext.enabled);
  EXPECT_TRUE(page.btCancel.enabled);
}

}  // namespace
