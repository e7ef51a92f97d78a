#include "setup/setup.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/scripted_message_boxes.h"
#include "util/codepage.h"

namespace {

using setup::TSetup;

class RecordingIconLoader : public setup::IconLoader {
 public:
  void LoadApplicationIcon(const std::wstring& icoPath) override {
    loaded.push_back(icoPath);
    if (fail) throw std::runtime_error("not an icon");
  }
  std::vector<std::wstring> loaded;
  bool fail = false;
};

class SetupModelTest : public testing::Test {
 protected:
  SetupModelTest() {
    system.modulePath = L"E:\\MEDIA\\Setup.exe";
    system.windowsDir = L"C:\\WINDOWS";
    system.currentDir = L"E:\\MEDIA";
    platform_.files = &files;
    platform_.system = &system;
    platform_.registry = &registry;
    platform_.messageBoxes = &boxes;
    platform_.iconLoader = &icons;
  }

  void PutSetupIni(const std::wstring& text) { files.PutFile(L"E:\\MEDIA\\Setup.ini", util::ToCp1251(text)); }

  std::unique_ptr<TSetup> Read(const std::wstring& text) {
    PutSetupIni(text);
    std::unique_ptr<TSetup> model(new TSetup(platform_));
    model->ReadSetupIni();
    return model;
  }

  platform::FakeFileSystem files;
  platform::FakeSystem system;
  platform::FakeRegistry registry;
  platform::ScriptedMessageBoxes boxes;
  RecordingIconLoader icons;
  setup::SetupPlatform platform_;
};

TEST_F(SetupModelTest, CreateStartsEmptyInTheProgramsFolder) {
  TSetup model(platform_);
  EXPECT_EQ(model.FSetupDir, L"E:\\MEDIA\\");
  EXPECT_EQ(model.FGroups->Count(), 0);
  EXPECT_FALSE(model.FGraphEditorSet);
  EXPECT_TRUE(model.FDestDir.empty());
  EXPECT_TRUE(model.FCaption.empty());
}

TEST_F(SetupModelTest, ReadsTheGeneralAndExecuteSections) {
  auto model = Read(
      L"[GENERAL]\r\nCaption=Установка Электро\r\nNameApplication=Электро 2.1\r\nNameCompany=Фирма\r\n"
      L"FileLicension=DOC\\Лицензия.rtf\r\nNameProfileGraphEditor=Схемы\r\n[Execute]\r\nBDE=BDE\\Setup.exe\r\n");
  EXPECT_EQ(model->FCaption, L"Установка Электро");
  EXPECT_EQ(model->FNameApplication, L"Электро 2.1");
  EXPECT_EQ(model->FNameCompany, L"Фирма");
  EXPECT_EQ(model->FLicenseFile, L"E:\\MEDIA\\DOC\\Лицензия.rtf");
  EXPECT_EQ(model->FGraphProfile, L"Схемы");
  EXPECT_EQ(model->FBDESetup, L"E:\\MEDIA\\BDE\\Setup.exe");
  EXPECT_EQ(model->FDestDir, L"C:\\Program files\\Фирма\\Электро 2_1\\");
}

TEST_F(SetupModelTest, AnEmptyCaptionIsMadeFromTheProductName) {
  auto model = Read(L"[general]\ncaption=\nnameapplication=Editor\n");
  EXPECT_EQ(model->FCaption, L"Установка Editor");
}

TEST_F(SetupModelTest, AMissingFileGivesEveryDefault) {
  TSetup model(platform_);
  model.ReadSetupIni();
  EXPECT_EQ(model.FCaption, L"Установка NameApplication");
  EXPECT_EQ(model.FNameApplication, L"NameApplication");
  EXPECT_EQ(model.FNameCompany, L"NameCompany");
  EXPECT_EQ(model.FLicenseFile, L"E:\\MEDIA\\Licension.rtf");
  EXPECT_EQ(model.FBDESetup, L"E:\\MEDIA\\");
  EXPECT_EQ(model.FGraphProfile, L"");
  EXPECT_EQ(model.FGroups->Count(), 0);
  EXPECT_EQ(model.FDestDir, L"C:\\Program files\\NameCompany\\NameApplication\\");
}

TEST_F(SetupModelTest, EmptyUnreadableBinaryOrEnormousFilesGiveTheDefaultsToo) {
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary.push_back(static_cast<char>((i * 131) ^ (i >> 3)));
  std::string enormous = "[GENERAL]\r\nNameApplication=Big\r\n" + std::string(17u << 20, ' ');
  const std::string contents[] = {"", binary, enormous, "[GENERAL]\r\nNameApplication=Locked\r\n"};
  for (const std::string& bytes : contents) {
    files.PutFile(L"E:\\MEDIA\\Setup.ini", bytes);
    if (&bytes == &contents[3]) files.DenyRead(L"E:\\MEDIA\\Setup.ini");
    TSetup model(platform_);
    model.ReadSetupIni();
    EXPECT_EQ(model.FNameApplication, L"NameApplication");
    EXPECT_EQ(model.FCaption, L"Установка NameApplication");
    EXPECT_EQ(model.FGroups->Count(), 0);
  }
}

TEST_F(SetupModelTest, DefaultDestinationCollapsesBackslashesAndReplacesDots) {
  auto model = Read(L"[GENERAL]\nNameCompany=Firm\\\\\\Sub\nNameApplication=Editor 2.1.3\n");
  EXPECT_EQ(model->FDestDir, L"C:\\Program files\\Firm\\Sub\\Editor 2_1_3\\");
  system.windowsDir = L"D:\\WINNT";
  model = Read(L"[GENERAL]\nNameCompany=Firm\nNameApplication=Editor 2.1\n");
  EXPECT_EQ(model->FDestDir, L"D:\\Program files\\Firm\\Editor 2_1\\");
}

TEST_F(SetupModelTest, GroupsFollowTheFileOrderAndTheirFields) {
  auto model = Read(
      L"[GROUPS]\n9=1|DATA\\BASE.RAR|Main files|Program and reference data\n"
      L"2=0|EXTRA.RAR|Samples\n3=1|DOCS.RAR\n4=1\n5=|A.RAR|Name\n");
  ASSERT_EQ(model->FGroups->Count(), 5);
  const setup::TSetupGroupFile* g = model->FGroups->Items(0);
  EXPECT_TRUE(g->FDefaultSelected);
  EXPECT_TRUE(g->FSelected);
  EXPECT_EQ(g->FArchiveFile, L"E:\\MEDIA\\DATA\\BASE.RAR");
  EXPECT_EQ(g->FName, L"Main files");
  EXPECT_EQ(g->FComment, L"Program and reference data");
  EXPECT_EQ(g->FSize, 0);
  EXPECT_EQ(g->FFileCount, 0);
  EXPECT_EQ(g->FOwner, model->FGroups.get());
  EXPECT_EQ(g->FSetup, model.get());

  g = model->FGroups->Items(1);
  EXPECT_FALSE(g->FSelected);
  EXPECT_EQ(g->FArchiveFile, L"E:\\MEDIA\\EXTRA.RAR");
  EXPECT_EQ(g->FName, L"Samples");
  EXPECT_EQ(g->FComment, L"");

  g = model->FGroups->Items(2);
  EXPECT_TRUE(g->FSelected);
  EXPECT_EQ(g->FArchiveFile, L"E:\\MEDIA\\DOCS.RAR");
  EXPECT_EQ(g->FName, L"NoneName");

  g = model->FGroups->Items(3);  // one field only
  EXPECT_TRUE(g->FSelected);
  EXPECT_EQ(g->FArchiveFile, L"NoneNameFile");
  EXPECT_EQ(g->FName, L"NoneName");

  g = model->FGroups->Items(4);  // a leading bar is dropped: the fields move left
  EXPECT_FALSE(g->FSelected);
  EXPECT_EQ(g->FArchiveFile, L"E:\\MEDIA\\Name");
  EXPECT_EQ(g->FName, L"NoneName");
}

TEST_F(SetupModelTest, EqualKeysCountOnceAndEmptyValuesAddNothing) {
  auto model = Read(L"[GROUPS]\nA=1|A.RAR|First\nempty=\nB=0|B.RAR|Second\na=1|DUP.RAR|Dup\nEMPTY=1|E.RAR|Late\n");
  ASSERT_EQ(model->FGroups->Count(), 2);
  EXPECT_EQ(model->FGroups->Items(0)->FName, L"First");
  EXPECT_EQ(model->FGroups->Items(1)->FName, L"Second");
}

TEST_F(SetupModelTest, OnlyAFirstFieldOfExactlyOneSelects) {
  // Blanks right after "=" belong to the value's trimming; quotes keep a leading blank in.
  auto model = Read(L"[GROUPS]\n1=\" 1|A.RAR\"\n2=01|B.RAR\n3=1 |C.RAR\n4=1|D.RAR\n5=\"1\"|E.RAR\n6=   1|F.RAR\n");
  ASSERT_EQ(model->FGroups->Count(), 6);
  EXPECT_FALSE(model->FGroups->Items(0)->FDefaultSelected);
  EXPECT_EQ(model->FGroups->Items(0)->FArchiveFile, L"E:\\MEDIA\\A.RAR");
  EXPECT_FALSE(model->FGroups->Items(1)->FDefaultSelected);
  EXPECT_FALSE(model->FGroups->Items(2)->FDefaultSelected);
  EXPECT_TRUE(model->FGroups->Items(3)->FDefaultSelected);
  EXPECT_FALSE(model->FGroups->Items(4)->FDefaultSelected);
  EXPECT_TRUE(model->FGroups->Items(5)->FDefaultSelected);
  EXPECT_EQ(model->FGroups->SelectedCount(), 2);
}

TEST_F(SetupModelTest, LoadFromLineHandlesEachMissingFieldByItself) {
  TSetup model(platform_);
  setup::TSetupGroupFile group(model.FGroups.get(), &model);
  group.LoadFromLine(L"k=1|X.RAR");
  EXPECT_TRUE(group.FSelected);
  EXPECT_EQ(group.FArchiveFile, L"E:\\MEDIA\\X.RAR");
  EXPECT_EQ(group.FName, L"NoneName");
  EXPECT_EQ(group.FComment, L"");
  group.LoadFromLine(L"k=0|Y.RAR|Name|Text|ignored|more");
  EXPECT_FALSE(group.FSelected);
  EXPECT_EQ(group.FName, L"Name");
  EXPECT_EQ(group.FComment, L"Text");
  group.LoadFromLine(L"k=0|Z.RAR||");  // an empty last field does not count
  EXPECT_EQ(group.FName, L"");
  EXPECT_EQ(group.FComment, L"");
}

TEST_F(SetupModelTest, SumsAndCountsCoverTheSelectedGroups) {
  auto model = Read(L"[GROUPS]\n1=1|A.RAR\n2=0|B.RAR\n3=1|C.RAR\n");
  auto& groups = *model->FGroups;
  groups.Items(0)->SetSize(100);
  groups.Items(0)->FFileCount = 3;
  groups.Items(1)->SetSize(1000);
  groups.Items(1)->FFileCount = 30;
  groups.Items(2)->SetSize(5);
  groups.Items(2)->FFileCount = 1;
  EXPECT_EQ(model->GetSelectedSize(), 105);
  EXPECT_EQ(model->GetSelectedFileCount(), 4);
  EXPECT_EQ(groups.SelectedCount(), 2);
  groups.Items(1)->FSelected = true;
  groups.Items(0)->FSelected = false;
  EXPECT_EQ(model->GetSelectedSize(), 1005);
  EXPECT_EQ(model->GetSelectedFileCount(), 31);
}

TEST_F(SetupModelTest, SizesOfTwoGibibytesAndMoreAddUpInFullAndSaturateIn32Bits) {
  auto model = Read(L"[GROUPS]\n1=1|A.RAR\n2=1|B.RAR\n3=0|C.RAR\n");
  auto& groups = *model->FGroups;
  groups.Items(0)->SetSize(0x60000000);
  groups.Items(1)->SetSize(0x60000000);
  groups.Items(2)->SetSize(5000000000LL);
  EXPECT_EQ(model->GetSelectedSize64(), 0xC0000000LL);
  EXPECT_EQ(model->GetSelectedSize(), 0x7FFFFFFF);
  // A group alone past 2 GiB keeps its full size beside the saturated field.
  EXPECT_EQ(groups.Items(2)->FSize, 0x7FFFFFFF);
  EXPECT_EQ(groups.Items(2)->FSize64, 5000000000LL);
  groups.Items(2)->FSelected = true;
  EXPECT_EQ(model->GetSelectedSize64(), 8221225472LL);
  // Sizes near the 64-bit limit stop there.
  groups.Items(0)->SetSize(INT64_MAX);
  EXPECT_EQ(model->GetSelectedSize64(), INT64_MAX);
}

TEST_F(SetupModelTest, ClearAndCountOfTheGroupListAndASecondReading) {
  auto model = Read(L"[GROUPS]\n1=1|A.RAR\n2=1|B.RAR\n");
  EXPECT_EQ(model->FGroups->Count(), 2);
  model->ReadSetupIni();  // read again: the same groups, not twice as many
  EXPECT_EQ(model->FGroups->Count(), 2);
  model->FGroups->Clear();
  EXPECT_EQ(model->FGroups->Count(), 0);
  EXPECT_EQ(model->GetSelectedSize(), 0);
}

TEST_F(SetupModelTest, FreeSpaceOfTheDestinationDrive) {
  system.freeSpace[L'D'] = 5000000000LL;
  TSetup model(platform_);
  model.FDestDir = L"D:\\Firm\\Editor\\";
  EXPECT_EQ(model.GetDestFreeSpace(), 5000000000LL);
  model.FDestDir = L"d:\\x\\";
  EXPECT_EQ(model.GetDestFreeSpace(), 5000000000LL);
  model.FDestDir = L"\\x\\";
  EXPECT_EQ(model.GetDestFreeSpace(), -1);
  model.FDestDir = L"1x\\";
  EXPECT_EQ(model.GetDestFreeSpace(), -1);
  model.FDestDir = L"";
  EXPECT_EQ(model.GetDestFreeSpace(), -1);
}

TEST_F(SetupModelTest, AdminRightsMeanFullAccessToTheMachinesSoftwareKey) {
  TSetup model(platform_);
  EXPECT_TRUE(model.HasAdminRights());
  registry.DenyAccess(platform::RegRoot::LocalMachine, L"Software", platform::RegAccess::Full);
  EXPECT_FALSE(model.HasAdminRights());
  EXPECT_EQ(registry.OpenKey(platform::RegRoot::LocalMachine, L"Software", platform::RegAccess::Read),
            platform::RegStatus::Ok);
}

TEST_F(SetupModelTest, NoAdminRightsWhenTheRegistryFailsOrTheKeyIsMissing) {
  TSetup model(platform_);
  registry.FailEverything(true);
  EXPECT_FALSE(model.HasAdminRights());
  registry.FailEverything(false);
  registry.DeleteTree(platform::RegRoot::LocalMachine, L"Software");
  EXPECT_FALSE(model.HasAdminRights());
  // The test never creates the key.
  EXPECT_EQ(registry.OpenKey(platform::RegRoot::LocalMachine, L"Software", platform::RegAccess::Read),
            platform::RegStatus::NotFound);
}

TEST_F(SetupModelTest, QueryCancelAsksYesOrNoWithTheCaption) {
  auto model = Read(L"[GENERAL]\nCaption=Мастер\n");
  int owner = 0;
  boxes.Answer(platform::MsgAnswer::Yes);
  boxes.Answer(platform::MsgAnswer::No);
  EXPECT_TRUE(model->QueryCancel(&owner));
  EXPECT_FALSE(model->QueryCancel(nullptr));
  ASSERT_EQ(boxes.Asked().size(), 2u);
  const platform::AskedMessageBox& asked = boxes.Asked()[0];
  EXPECT_EQ(asked.owner, &owner);
  EXPECT_EQ(asked.text, L"Прекратить установку программы?");
  EXPECT_EQ(asked.caption, L"Мастер");
  EXPECT_EQ(asked.buttons, platform::MsgButtons::YesNo);
  EXPECT_EQ(asked.icon, platform::MsgIcon::Question);
  EXPECT_EQ(util::ToCp1251(asked.text), "\xCF\xF0\xE5\xEA\xF0\xE0\xF2\xE8\xF2\xFC \xF3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xF3 "
                                        "\xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB?");
}

TEST_F(SetupModelTest, ShowMsgOffersOkAndCancelWithoutAnIcon) {
  auto model = Read(L"[GENERAL]\nNameApplication=Электро\n");
  int owner = 0;
  boxes.Answer(platform::MsgAnswer::Cancel);
  model->ShowMsg(&owner, L"Недостаточно места");
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].owner, &owner);
  EXPECT_EQ(boxes.Asked()[0].text, L"Недостаточно места");
  EXPECT_EQ(boxes.Asked()[0].caption, L"Установка Электро");
  EXPECT_EQ(boxes.Asked()[0].buttons, platform::MsgButtons::OkCancel);
  EXPECT_EQ(boxes.Asked()[0].icon, platform::MsgIcon::None);
}

TEST_F(SetupModelTest, TheIconIsLookedForBesideTheValueInTheCurrentFolder) {
  system.currentDir = L"F:\\WORK";
  files.PutFile(L"F:\\WORK\\BIN\\APP.ico", "icon");
  files.PutFile(L"E:\\MEDIA\\BIN\\OTHER.ico", "icon");
  auto model = Read(L"[GENERAL]\nIcon=BIN\\APP.EXE\n");
  EXPECT_EQ(icons.loaded, std::vector<std::wstring>{L"F:\\WORK\\BIN\\APP.ico"});
  EXPECT_EQ(model->IconFile(), L"F:\\WORK\\BIN\\APP.ico");
  // Not joined to the setup folder: an icon there is not found through a relative value.
  icons.loaded.clear();
  model = Read(L"[GENERAL]\nIcon=BIN\\OTHER\n");
  EXPECT_TRUE(icons.loaded.empty());
  EXPECT_EQ(model->IconFile(), L"");
  model = Read(L"[GENERAL]\nIcon=E:\\MEDIA\\BIN\\OTHER.dll\n");
  EXPECT_EQ(icons.loaded, std::vector<std::wstring>{L"E:\\MEDIA\\BIN\\OTHER.ico"});
}

TEST_F(SetupModelTest, AFailingIconLoadIsIgnored) {
  files.PutFile(L"E:\\MEDIA\\APP.ico", "not an icon");
  icons.fail = true;
  auto model = Read(L"[GENERAL]\nIcon=APP\nNameApplication=Still read\n");
  EXPECT_EQ(icons.loaded.size(), 1u);
  EXPECT_EQ(model->FNameApplication, L"Still read");
  platform_.iconLoader = nullptr;
  model = Read(L"[GENERAL]\nIcon=APP\n");  // no loader: nothing to ask
  EXPECT_EQ(model->IconFile(), L"E:\\MEDIA\\APP.ico");
}

}  // namespace
