// The additional software page and the finish page, on the model over the in-memory platform.
#include <stdexcept>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_io.h"
#include "pages/exit_win.h"
#include "pages/file_readme.h"
#include "tests/pages/page_fixture.h"
#include "tests/setup/test_fonts.h"
#include "util/ini.h"

namespace pages {
namespace {

using testing::PageTest;

class FileReadmeTest : public PageTest {
 protected:
  FileReadmeTest() {
    page.FormCreate(model.FNameApplication);
  }
  TfmFileReadme page{model};
};

TEST_F(FileReadmeTest, StartsTheQuotedBdeSetupEachTimeWithoutABackButton) {
  model.FBDESetup = L"D:\\Дистрибутив Sketrion\\BDE\\SETUP.EXE";
  EXPECT_TRUE(page.Button2Click());
  system.refuseStart = true;
  EXPECT_FALSE(page.Button2Click());  // a start that fails shows nothing; the page stays
  ASSERT_EQ(system.started.size(), 2u);
  // The program itself, with no arguments, in its own folder.
  EXPECT_EQ(system.started[0].program, model.FBDESetup);
  EXPECT_EQ(system.started[0].arguments, L"");
  EXPECT_EQ(system.started[0].folder, L"D:\\Дистрибутив Sketrion\\BDE\\");
  EXPECT_FALSE(page.btPrior.visible);
  EXPECT_EQ(page.Caption(), L"Установка дополнительного программного обеспечения Sketrion");
}

TEST_F(FileReadmeTest, TheBdeTextIsBoldOnlyUnderTheMouse) {
  EXPECT_FALSE(page.Label3.bold);
  page.Label3MouseMove();
  EXPECT_TRUE(page.Label3.bold);
  page.GroupBox1MouseMove();
  EXPECT_FALSE(page.Label3.bold);
  EXPECT_TRUE(page.Button2.enabled);
}

class ExitWinTest : public PageTest {
 protected:
  ExitWinTest() {
    model.FDestDir = L"C:\\Sketrion\\";
    files.MakeDirectory(L"C:\\Sketrion");
    model.FSetupDir = L"E:\\MEDIA\\";
    files.MakeDirectory(L"C:\\WINDOWS\\Fonts");
    files.PutFile(L"E:\\MEDIA\\SERVICE\\FONT\\GOST.TTF", testfonts::MinimalFont(L"GOST type A"));
    page.FormShow();
  }
  std::wstring Settings(const std::wstring& key) {
    return platform::ReadIniString(files, L"C:\\Sketrion\\GraphEditor.ini", L"GENERAL", key, L"<none>");
  }
  std::wstring Entry(const std::wstring& name) {
    platform::RegValue value;
    if (registry.ReadValue(platform::RegRoot::LocalMachine,
                           L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sketrion", name,
                           &value) != platform::RegStatus::Ok)
      return L"<none>";
    return platform::ValueText(value);
  }
  TfmExitWin page{model};
};

TEST_F(ExitWinTest, FinishWritesTheEditorSettingsAndRestartsWhenChosen) {
  model.FGraphEditorSet = true;
  model.FGraphEditor = L"AutoCAD 2005";
  model.FGraphProfile = L"Схемы";
  files.PutFile(L"C:\\Sketrion\\GraphEditor.ini", "[GENERAL]\r\nEditor=old\r\n[Other]\r\nKeep=1\r\n");
  page.btNextClick();
  EXPECT_EQ(Settings(L"Editor"), L"AutoCAD 2005");
  EXPECT_EQ(Settings(L"Profile"), L"Схемы");
  EXPECT_EQ(platform::ReadIniString(files, L"C:\\Sketrion\\GraphEditor.ini", L"Other", L"Keep", L""),
            L"1");
  EXPECT_TRUE(boxes.Asked().empty());
  // The font, the entry, then the restart: EWX_REBOOT | EWX_FORCEIFHUNG, for a planned
  // installation (SHTDN_REASON_MAJOR_APPLICATION | _MINOR_INSTALLATION | _FLAG_PLANNED).
  EXPECT_NE(files.FileBytes(L"C:\\WINDOWS\\Fonts\\GOST.TTF"), nullptr);
  EXPECT_EQ(system.fontsAdded, std::vector<std::wstring>{L"GOST.TTF"});
  EXPECT_EQ(Entry(L"UninstallString"), L"\"C:\\Sketrion\\UnInstall.exe\" /UNINSTALL");
  ASSERT_EQ(system.restarts.size(), 1u);
  EXPECT_EQ(system.restarts[0].flags, 0x12u);
  EXPECT_EQ(system.restarts[0].reason, 0x80040002u);
}

TEST_F(ExitWinTest, AFailedEntryEndsTheFinishWithoutRestart) {
  registry.DenyAccess(platform::RegRoot::LocalMachine, L"SOFTWARE", platform::RegAccess::Full);
  try {
    page.btNextClick();
    FAIL() << "the failure did not reach the general error box";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'DisplayName'");
  }
  EXPECT_TRUE(system.restarts.empty());
  // The font came first and is in place all the same.
  EXPECT_EQ(system.fontsAdded.size(), 1u);
}

TEST_F(ExitWinTest, NoSettingsWithoutTheGraphicEditorPageAndNoRestartWhenDeclined) {
  page.rbRestartNow.checked = false;
  page.rbNoRestart.checked = true;
  page.btNextClick();
  EXPECT_EQ(files.FileBytes(L"C:\\Sketrion\\GraphEditor.ini"), nullptr);
  EXPECT_TRUE(system.restarts.empty());
  EXPECT_EQ(Entry(L"DisplayName"), L"Sketrion (только удаление)");
  // Coming back to the page chooses the restart again.
  page.FormShow();
  EXPECT_TRUE(page.rbRestartNow.checked);
  EXPECT_FALSE(page.rbNoRestart.checked);
}

TEST_F(ExitWinTest, AnUnwritableSettingsFileIsReportedAndTheStepsGoOn) {
  model.FGraphEditorSet = true;
  // A folder stands where the file should be: it cannot be written.
  files.MakeDirectory(L"C:\\Sketrion\\GraphEditor.ini");
  boxes.Answer(platform::MsgAnswer::Ok);
  page.btNextClick();
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Unable to write to C:\\Sketrion\\GraphEditor.ini");
  EXPECT_EQ(boxes.Asked()[0].caption, L"Установка Sketrion");
  EXPECT_EQ(system.restarts.size(), 1u);
}

}  // namespace
}  // namespace pages
