// The page chain through the real windows of Setup.exe: every page's caption, size and place,
// next, back and cancel, the graphic editor page passed over without AutoCAD, and the
// application title.
#include <gtest/gtest.h>

#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

const wchar_t kCaption[] = L"Установка Sketrion 7.2 (проверка)";
const wchar_t kDest[] = L"C:\\e2e\\Sketrion\\";

class ChainScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(kDest);
    medium.WriteSetupIni(
        L"[GENERAL]\n"
        L"Caption=Установка Sketrion 7.2 (проверка)\n"
        L"NameApplication=Sketrion 7.2\n"
        L"NameCompany=Sketrion Software\n"
        L"FileLicension=License.rtf\n"
        L"[GROUPS]\n"
        L"1=1|BASE.RAR|Основные файлы|Программа и справочные данные\n");
    medium.WriteFile(L"License.rtf", "{\\rtf1\\ansi Test agreement.\\par}");
    medium.WriteArchive(L"BASE.RAR", {{"bin/readme.txt", "hello"}, {"data/parts.dat", "1234"}});
  }

  // Welcome: "Далее>" tests the archives, then "Далее >" leaves.
  void PassWelcome(SetupRun& run) {
    HWND page = run.Page(kWelcome, L"welcome");
    run.Press(page, L"Далее>", false);
    run.Press(page, L"Далее >");
  }
  void PassLicense(SetupRun& run) {
    HWND page = run.Page(kLicense, L"license");
    run.Press(page, L"Принимаю", false);
    run.Press(page, L"Далее >");
  }
  void PassGetPath(SetupRun& run) {
    HWND page = run.Page(kGetPath, L"destination");
    HWND edit = ChildrenOfClass(page, L"Edit").at(0);
    SetEditText(edit, kDest);
    run.Press(page, L"Далее >");
  }
  // The copy page closes itself when the files are in place.
  void PassCopy(SetupRun& run) {
    HWND page = run.Page(kCopy, L"copying");
    EXPECT_TRUE(WaitGone(page));
  }

  Medium medium{L"C:\\e2e\\medium"};
};

TEST_F(ChainScenario, NextThroughEveryPageWithoutAutoCad) {
  SetupRun run(medium, L"next");
  PassWelcome(run);
  // The background window and the application title carry the installer caption by now.
  HWND background = FindWindowOfClass(run.pid(), L"TfmMainSetup");
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(Text(background), kCaption);
  EXPECT_TRUE(IsZoomed(background));
  HWND application = FindWindowOfClass(run.pid(), L"SketrionSetupApplication");
  ASSERT_NE(application, nullptr);
  EXPECT_EQ(Text(application), kCaption);

  PassLicense(run);
  PassGetPath(run);
  HWND groups = run.Page(kGetGroups, L"groups");
  run.Press(groups, L"Далее >");
  // No AutoCAD here: the copy page comes straight after the groups page.
  PassCopy(run);
  EXPECT_EQ(WaitForWindow(run.pid(), kGraphProfile, 0), nullptr);
  EXPECT_TRUE(FileExists(std::wstring(kDest) + L"bin\\readme.txt"));
  EXPECT_TRUE(FileExists(std::wstring(kDest) + L"data\\parts.dat"));

  HWND readme = run.Page(kReadme, L"additional-software");
  EXPECT_FALSE(Visible(FindChild(readme, L"< Назад")));
  run.Press(readme, L"Далее >");
  HWND finish = run.Page(kExitWin, L"finish");
  EXPECT_EQ(FindChild(finish, L"Отмена"), nullptr);  // the finish page has no cancel button
  run.Press(finish, L"Отказаться от перезагрузки", false);
  run.Press(finish, L"Готово", false);
  run.ExpectEnded();
}

TEST_F(ChainScenario, BackLeadsWhereTheChainSays) {
  SetupRun run(medium, L"back");
  PassWelcome(run);
  PassLicense(run);
  // destination -> agreement, which still has "Принимаю" chosen.
  HWND path = run.Page(kGetPath, L"destination");
  SetEditText(ChildrenOfClass(path, L"Edit").at(0), kDest);
  run.Press(path, L"< Назад");
  HWND license = run.Page(kLicense, L"license-again");
  EXPECT_TRUE(Checked(FindChild(license, L"Принимаю")));
  run.Press(license, L"Далее >");
  // The destination page shows the folder stored on the way back.
  path = run.Page(kGetPath, L"destination-again");
  EXPECT_EQ(Text(ChildrenOfClass(path, L"Edit").at(0)), kDest);
  run.Press(path, L"Далее >");
  // groups -> destination -> groups
  HWND groups = run.Page(kGetGroups, L"groups");
  run.Press(groups, L"< Назад");
  path = run.Page(kGetPath, L"destination-third");
  run.Press(path, L"Далее >");
  groups = run.Page(kGetGroups, L"groups-again");
  run.Press(groups, L"Далее >");
  PassCopy(run);
  // finish -> additional software -> finish
  HWND readme = run.Page(kReadme, L"additional-software");
  run.Press(readme, L"Далее >");
  HWND finish = run.Page(kExitWin, L"finish");
  run.Press(finish, L"< Назад");
  readme = run.Page(kReadme, L"additional-software-again");
  run.Press(readme, L"Далее >");
  finish = run.Page(kExitWin, L"finish-again");
  run.Press(finish, L"Отказаться от перезагрузки", false);
  run.Press(finish, L"Готово", false);
  run.ExpectEnded();
}

TEST_F(ChainScenario, CancelAnsweredNoKeepsThePageWithItsInput) {
  SetupRun run(medium, L"cancel-no");
  PassWelcome(run);
  PassLicense(run);
  HWND path = run.Page(kGetPath, L"destination");
  HWND edit = ChildrenOfClass(path, L"Edit").at(0);
  SetEditText(edit, L"D:\\Мой каталог");
  // The cancel button, then the window's close (Alt+F4): both ask, No keeps everything.
  run.Press(path, L"Отмена", false);
  run.AnswerCancelQuestion(IDNO, kCaption);
  Close(path);
  run.AnswerCancelQuestion(IDNO, kCaption);
  EXPECT_TRUE(Visible(path));
  EXPECT_EQ(Text(edit), L"D:\\Мой каталог");
  EXPECT_FALSE(Enabled(FindChild(path, L"Далее >")));  // Cyrillic is not a permitted character
  // Yes ends the installer at once: no further page.
  run.Press(path, L"Отмена", false);
  run.AnswerCancelQuestion(IDYES, kCaption);
  run.ExpectEnded();
}

// Cancel answered Yes ends the installer from each page that has a cancel button.
TEST_F(ChainScenario, CancelAnsweredYesEndsFromEveryPage) {
  struct Case { const wchar_t* name; int pagesBefore; const wchar_t* caption; };
  const Case cases[] = {
      {L"welcome", 0, kWelcome},
      {L"license", 1, kLicense},
      {L"destination", 2, kGetPath},
      {L"groups", 3, kGetGroups},
      {L"additional-software", 5, kReadme},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
    RemoveTree(kDest);
    SetupRun run(medium, std::wstring(L"cancel-yes-") + c.name);
    if (c.pagesBefore > 0) PassWelcome(run);
    if (c.pagesBefore > 1) PassLicense(run);
    if (c.pagesBefore > 2) PassGetPath(run);
    if (c.pagesBefore > 3) run.Press(run.Page(kGetGroups, L"groups"), L"Далее >");
    if (c.pagesBefore > 4) PassCopy(run);
    HWND page = run.Page(c.caption, c.name);
    run.Press(page, L"Отмена", false);
    run.AnswerCancelQuestion(IDYES, kCaption);
    run.ExpectEnded();
  }
}

}  // namespace
}  // namespace e2e
