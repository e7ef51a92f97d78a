#include "pages/get_groups.h"

#include "page_fixture.h"

namespace pages::testing {
namespace {

class GetGroupsPageTest : public PageTest {
 protected:
  GetGroupsPageTest() : page(model) {
    page.AttachHost(&host);
    model.FDestDir = L"C:\\Program files\\Firm\\Sketrion\\";
    system.freeSpace[L'C'] = 1000000;
    page.FormCreate(model.FNameApplication);
  }

  void AddDemoGroups() {
    AddGroup(L"1=1|BASE.RAR|Основные файлы|Программа и справочные данные", 300000);
    AddGroup(L"2=0|SAMPLES.RAR|Примеры|Примеры схем", 200000);
    AddGroup(L"3=1|DOCS.RAR|Документация", 100000);
  }

  // What the view does when the user makes an item current, or toggles its check box.
  void Select(int index) {
    page.clbGroup.itemIndex = index;
    page.clbGroupClick();
  }
  void Toggle(int index) {
    page.clbGroup.itemIndex = index;
    auto& item = page.clbGroup.items.at(static_cast<size_t>(index));
    item.checked = !item.checked;
    page.clbGroupClickCheck();
  }

  TfmGetGroups page;
};

TEST_F(GetGroupsPageTest, ShowListsTheGroupsInOrderWithTheirSelection) {
  AddDemoGroups();
  page.FormShow();
  EXPECT_EQ(page.Caption(), L"Компоненты Sketrion");
  ASSERT_EQ(page.clbGroup.items.size(), 3u);
  EXPECT_EQ(page.clbGroup.items[0].text, L"Основные файлы");
  EXPECT_EQ(page.clbGroup.items[1].text, L"Примеры");
  EXPECT_EQ(page.clbGroup.items[2].text, L"Документация");
  EXPECT_TRUE(page.clbGroup.items[0].checked);
  EXPECT_FALSE(page.clbGroup.items[1].checked);
  EXPECT_TRUE(page.clbGroup.items[2].checked);
  EXPECT_EQ(page.clbGroup.itemIndex, 0);
  EXPECT_EQ(page.meComment.text, L"Программа и справочные данные");
  EXPECT_EQ(page.lbFreeMemory.text, L"1000000 байт");
  EXPECT_EQ(page.lbSize.text, L"400000 байт");
  EXPECT_FALSE(page.lbErrSize.visible);
  EXPECT_TRUE(page.btNext.enabled);
  EXPECT_EQ(page.lbErrSize.text, L"Недостаточно места на диске!");
  EXPECT_EQ(page.lbErrSize.color, kRed);
  EXPECT_TRUE(page.lbErrSize.bold);
}

TEST_F(GetGroupsPageTest, SelectingAnItemShowsItsDescription) {
  AddDemoGroups();
  page.FormShow();
  Select(1);
  EXPECT_EQ(page.meComment.text, L"Примеры схем");
  Select(2);
  EXPECT_EQ(page.meComment.text, L"");
}

TEST_F(GetGroupsPageTest, TogglingWritesTheGroupAndTheRequiredSpace) {
  AddDemoGroups();
  page.FormShow();
  Toggle(1);
  EXPECT_TRUE(model.FGroups->Items(1)->FSelected);
  EXPECT_EQ(page.meComment.text, L"Примеры схем");
  EXPECT_EQ(page.lbSize.text, L"600000 байт");

  Toggle(0);
  EXPECT_FALSE(model.FGroups->Items(0)->FSelected);
  EXPECT_EQ(page.lbSize.text, L"300000 байт");

  page.FormShow();  // back and forth: the ticks come from the groups
  EXPECT_FALSE(page.clbGroup.items[0].checked);
  EXPECT_TRUE(page.clbGroup.items[1].checked);
}

TEST_F(GetGroupsPageTest, NoGroupTickedDisablesNextWithoutTheRedLabel) {
  AddDemoGroups();
  page.FormShow();
  Toggle(0);
  Toggle(2);
  EXPECT_EQ(model.FGroups->SelectedCount(), 0);
  EXPECT_EQ(page.lbSize.text, L"0 байт");
  EXPECT_FALSE(page.lbErrSize.visible);
  EXPECT_FALSE(page.btNext.enabled);
  Toggle(1);
  EXPECT_TRUE(page.btNext.enabled);
}

TEST_F(GetGroupsPageTest, RequiredEqualToFreeFitsOneByteMoreDoesNot) {
  AddGroup(L"1=1|A.RAR|A", 999999);
  AddGroup(L"2=0|B.RAR|B", 1);
  AddGroup(L"3=0|C.RAR|C", 2);
  page.FormShow();
  Toggle(1);
  EXPECT_EQ(page.lbSize.text, L"1000000 байт");
  EXPECT_FALSE(page.lbErrSize.visible);
  EXPECT_TRUE(page.btNext.enabled);

  Toggle(2);
  EXPECT_EQ(page.lbSize.text, L"1000002 байт");
  EXPECT_TRUE(page.lbErrSize.visible);
  EXPECT_FALSE(page.btNext.enabled);

  Toggle(2);  // deselecting mends it
  EXPECT_FALSE(page.lbErrSize.visible);
  EXPECT_TRUE(page.btNext.enabled);
}

TEST_F(GetGroupsPageTest, FreeSpaceBeyond4GiBIsShownInFullAndCompared) {
  system.freeSpace[L'C'] = (int64_t{5} << 30) + 7;
  AddGroup(L"1=1|A.RAR|A", 2000000000);
  page.FormShow();
  EXPECT_EQ(page.lbFreeMemory.text, L"5368709127 байт");
  EXPECT_FALSE(page.lbErrSize.visible);
  EXPECT_TRUE(page.btNext.enabled);

  // 4 GiB + 1000 free truncated to 32 bits would be 1000 bytes, far too little.
  system.freeSpace[L'C'] = (int64_t{4} << 30) + 1000;
  page.FormShow();
  EXPECT_EQ(page.lbFreeMemory.text, L"4294968296 байт");
  EXPECT_TRUE(page.btNext.enabled);
}

TEST_F(GetGroupsPageTest, GroupsOfTwoGibibytesAndMoreAreShownAndComparedInFull) {
  // 3 GB would be negative in 32 bits, 5 GB about 705 MB: both would fit 1 GB of free space.
  AddGroup(L"1=1|BASE.RAR|Основные файлы", 3000000000LL);
  AddGroup(L"2=0|VIDEO.RAR|Видео", 5000000000LL);
  const struct {
    int64_t free;
    bool videoTicked;
    const wchar_t* required;
    bool fits;
  } cases[] = {
      {1000000000LL, false, L"3000000000 байт", false},
      {3000000000LL, false, L"3000000000 байт", true},
      {7999999999LL, true, L"8000000000 байт", false},
      {8000000000LL, true, L"8000000000 байт", true},
  };
  for (const auto& c : cases) {
    system.freeSpace[L'C'] = c.free;
    model.FGroups->Items(1)->FSelected = c.videoTicked;
    page.FormShow();
    EXPECT_EQ(page.lbSize.text, c.required) << c.free;
    EXPECT_EQ(page.lbErrSize.visible, !c.fits) << c.free;
    EXPECT_EQ(page.btNext.enabled, c.fits) << c.free;
  }
}

TEST_F(GetGroupsPageTest, NoDriveMeansMinusOneAndTheRedLabel) {
  AddDemoGroups();
  for (const wchar_t* dest : {L"\\\\server\\share\\Sketrion\\", L"\\", L"Q:\\Sketrion\\"}) {
    model.FDestDir = dest;
    page.FormShow();
    EXPECT_EQ(page.lbFreeMemory.text, L"-1 байт") << dest;
    EXPECT_TRUE(page.lbErrSize.visible) << dest;
    EXPECT_FALSE(page.btNext.enabled) << dest;
  }
}

TEST_F(GetGroupsPageTest, ALowerCaseDriveLetterWorksAsUpperCase) {
  AddDemoGroups();
  model.FDestDir = L"c:\\sketrion\\";
  page.FormShow();
  EXPECT_EQ(page.lbFreeMemory.text, L"1000000 байт");
  EXPECT_TRUE(page.btNext.enabled);
}

TEST_F(GetGroupsPageTest, AnotherDriveChosenOnTheWayBackUpdatesTheFreeSpace) {
  AddDemoGroups();
  page.FormShow();
  system.freeSpace[L'D'] = 123;
  model.FDestDir = L"D:\\Sketrion\\";
  page.FormShow();
  EXPECT_EQ(page.lbFreeMemory.text, L"123 байт");
  EXPECT_TRUE(page.lbErrSize.visible);
  EXPECT_FALSE(page.btNext.enabled);
}

TEST_F(GetGroupsPageTest, EveryRefreshMeasuresTheDriveAgain) {
  AddDemoGroups();
  page.FormShow();
  system.freeSpace[L'C'] = 10;  // another program filled the disk meanwhile
  Select(1);
  EXPECT_EQ(page.lbFreeMemory.text, L"1000000 байт");  // written on showing only
  EXPECT_TRUE(page.lbErrSize.visible);
  EXPECT_FALSE(page.btNext.enabled);
}

TEST_F(GetGroupsPageTest, AMediumWithoutGroupsHasNothingToInstall) {
  page.FormShow();
  EXPECT_TRUE(page.clbGroup.items.empty());
  EXPECT_EQ(page.clbGroup.itemIndex, -1);
  EXPECT_EQ(page.meComment.text, L"");
  EXPECT_EQ(page.lbSize.text, L"0 байт");
  EXPECT_FALSE(page.lbErrSize.visible);
  EXPECT_FALSE(page.btNext.enabled);
  page.clbGroupClickCheck();  // a stray event without a current item changes nothing
  EXPECT_FALSE(page.btNext.enabled);
}

TEST_F(GetGroupsPageTest, CancelAnsweredNoKeepsTheSelection) {
  AddDemoGroups();
  page.FormShow();
  Toggle(1);
  boxes.Answer(platform::MsgAnswer::No);
  EXPECT_FALSE(page.FormClose(mrCancel));
  EXPECT_TRUE(model.FGroups->Items(1)->FSelected);
  EXPECT_TRUE(page.FormClose(mrBack));
}

}  // namespace
}  // namespace pages::testing
