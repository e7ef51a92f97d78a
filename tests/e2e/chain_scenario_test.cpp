// The page chain through the real windows of Setup.exe: every page's caption, size and place,
// next, back and cancel, the graphic editor page passed over without AutoCAD, and the
// application title.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <vector>

#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

const wchar_t kCaption[] = L"Установка Sketrion 7.2 (проверка)";

// The name a screen reader reads for a control, as the system's accessibility layer gives it.
std::wstring AccessibleName(HWND control) {
  IAccessible* accessible = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&accessible))))
    return L"";
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::wstring result;
  if (SUCCEEDED(accessible->get_accName(self, &name)) && name) result = name;
  SysFreeString(name);
  accessible->Release();
  return result;
}
const wchar_t kDest[] = L"C:\\e2e\\Sketrion\\";

// Windows checks an automatic radio button that gets the keyboard (Wine does not): the keyboard
// never rests on one unchecked, or Windows would choose for the user.
bool RestsOnUncheckedRadio(HWND page) {
  const HWND focus = FocusOf(page);
  return focus && ClassOf(focus) == L"Button" &&
         (GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON && !Checked(focus);
}

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
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(license) == FindChild(license, L"Принимаю"); }))
      << "back on the agreement page, the keyboard is not on the answer chosen";
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

// The whole installation with the keyboard alone, keys sent as the user's keyboard sends them:
// each page starts with the keyboard where a user begins, Tab goes round every page through the
// read-only viewers, Enter inside them starts nothing, Enter elsewhere goes on, Esc asks, and
// after the archive test and a message box the keyboard is back on the page.
TEST_F(ChainScenario, KeyboardAloneThroughEveryPage) {
  SetupRun run(medium, L"keyboard");
  auto focusOn = [](HWND page, HWND control) {
    return control && WaitUntil([&] { return FocusOf(page) == control; }, 5000);
  };
  // Presses Tab (Shift+Tab when `back`) at least once and until the focus is on `target`; the
  // controls passed.
  auto tabTo = [](HWND page, HWND target, bool back) {
    std::vector<HWND> passed;
    do {
      const HWND before = FocusOf(page);
      PressKey(VK_TAB, back);
      WaitUntil([&] { return FocusOf(page) != before; }, 2000);
      EXPECT_FALSE(RestsOnUncheckedRadio(page));
      passed.push_back(FocusOf(page));
    } while (passed.size() < 8 && passed.back() != target);
    return passed;
  };

  HWND welcome = run.Page(kWelcome, L"welcome");
  ASSERT_TRUE(focusOn(welcome, FindChild(welcome, L"Далее>")));
  PressKey(VK_RETURN);  // tests the archives
  HWND next = FindChild(welcome, L"Далее >");
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(welcome) == next; }, 60000))
      << "after the archive test the keyboard is not on the next button";
  PressKey(VK_RETURN);

  HWND license = run.Page(kLicense, L"license");
  HWND yes = FindChild(license, L"Принимаю");
  HWND no = FindChild(license, L"Не принимаю");
  ASSERT_TRUE(focusOn(license, no)) << "the keyboard does not start on the answer chosen";
  EXPECT_FALSE(Checked(yes));
  EXPECT_FALSE(IsWindowEnabled(FindChild(license, L"Далее >")));
  // Tab goes round through the checked answer only.
  for (HWND control : tabTo(license, no, false)) EXPECT_NE(control, yes);
  PressKey(VK_UP);  // the user accepts
  ASSERT_TRUE(focusOn(license, yes));
  ASSERT_TRUE(WaitUntil([&] { return Checked(yes) && !Checked(no); }));
  EXPECT_TRUE(IsWindowEnabled(FindChild(license, L"Далее >")));
  PressKey(VK_ESCAPE);
  run.AnswerCancelQuestion(IDNO, kCaption);
  EXPECT_TRUE(focusOn(license, yes)) << "after the question the keyboard is not on the answer";
  std::vector<HWND> round = tabTo(license, yes, false);
  ASSERT_EQ(FocusOf(license), yes) << "Tab does not come round the agreement page";
  for (HWND control : round) EXPECT_NE(control, no) << "Tab rests on the answer not chosen";
  HWND viewer = nullptr;
  for (HWND control : round)
    if (ClassOf(control) != L"Button") viewer = control;
  ASSERT_NE(viewer, nullptr) << "Tab passes the agreement by";
  PressKey(VK_TAB, true);
  ASSERT_TRUE(focusOn(license, viewer));
  PressKey(VK_RETURN);
  Sleep(700);
  EXPECT_TRUE(Visible(license)) << "Enter inside the agreement left the page";
  PressKey(VK_TAB);
  ASSERT_TRUE(focusOn(license, yes));
  PressKey(VK_RETURN);

  HWND path = run.Page(kGetPath, L"destination");
  HWND edit = ChildrenOfClass(path, L"Edit").at(0);
  ASSERT_TRUE(focusOn(path, edit));
  // A screen reader names the field after its label, the window just before it.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring name = AccessibleName(edit);
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(name, Text(GetWindow(edit, GW_HWNDPREV)));
  PressKey(VK_ESCAPE);
  run.AnswerCancelQuestion(IDNO, kCaption);
  EXPECT_TRUE(focusOn(path, edit)) << "after the question the keyboard is not back in the field";
  // The folder chooser: the arrow keys work on its tree at once, Esc closes it as "Отмена".
  const std::wstring proposed = Text(edit);
  PressKey(VK_TAB);
  ASSERT_TRUE(focusOn(path, FindChild(path, L"Обзор")));
  PressKey(VK_SPACE);
  HWND chooser = WaitForWindow(run.pid(), L"Выбор пути для установки");
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ClassOf(FocusOf(chooser)) == WC_TREEVIEWW; }))
      << "the chooser's tree does not have the keyboard";
  HWND chooserField = ChildrenOfClass(chooser, L"Edit").at(0);
  const std::wstring before = Text(chooserField);
  PressKey(VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return Text(chooserField) != before; })) << "Down moved nothing in the tree";
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitGone(chooser));
  EXPECT_EQ(Text(edit), proposed);
  PressKey(VK_TAB, true);
  ASSERT_TRUE(focusOn(path, edit));
  PressKey(VK_HOME);
  PressKey(VK_END, true);  // Shift+End: the whole path selected again
  TypeText(kDest);  // the proposed folder is selected: typing replaces it
  ASSERT_TRUE(WaitUntil([&] { return Text(edit) == kDest; })) << Text(edit);
  PressKey(VK_RETURN);

  HWND groups = run.Page(kGetGroups, L"groups");
  HWND list = ChildrenOfClass(groups, L"SysListView32").at(0);
  HWND memo = ChildrenOfClass(groups, L"Edit").at(0);
  ASSERT_TRUE(focusOn(groups, list));
  EXPECT_EQ(ClassOf(GetWindow(list, GW_HWNDPREV)), L"Static");  // its label comes just before it
  PressKey(VK_TAB);
  ASSERT_TRUE(focusOn(groups, memo));
  PressKey(VK_RETURN);
  Sleep(700);
  EXPECT_TRUE(Visible(groups)) << "Enter inside the description started the copying";
  PressKey(VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(groups) != memo; }, 2000)) << "Tab stays in the description";
  tabTo(groups, list, true);
  ASSERT_EQ(FocusOf(groups), list);
  PressKey(VK_RETURN);

  PassCopy(run);
  EXPECT_TRUE(FileExists(std::wstring(kDest) + L"bin\\readme.txt"));
  HWND readme = run.Page(kReadme, L"additional-software");
  ASSERT_TRUE(focusOn(readme, FindChild(readme, L"Далее >")));
  PressKey(VK_RETURN);

  HWND finish = run.Page(kExitWin, L"finish");
  ASSERT_TRUE(focusOn(finish, FindChild(finish, L"Готово")));
  HWND restart = FindChild(finish, L"Перезагрузить компьютер сейчас");
  HWND noRestart = FindChild(finish, L"Отказаться от перезагрузки");
  ASSERT_TRUE(Checked(restart));
  tabTo(finish, restart, true);
  ASSERT_EQ(FocusOf(finish), restart) << "Shift+Tab does not reach the restart choice";
  PressKey(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return Checked(noRestart) && FocusOf(finish) == noRestart; }));
  // The group's tab stop moved with the check.
  tabTo(finish, noRestart, false);
  ASSERT_EQ(FocusOf(finish), noRestart) << "Tab does not come round to the choice made";
  PressKey(VK_RETURN);
  run.ExpectEnded();
}

}  // namespace
}  // namespace e2e
