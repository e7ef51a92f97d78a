// The component groups page's view under Windows: the check list and the labels as the user
// sees them.
#include <windows.h>

#include <commctrl.h>

#include "pages/get_groups.h"
#include "util/codepage.h"
#include "view_fixture_win.h"

namespace pages::testing {
namespace {

class GetGroupsViewTest : public ViewTest {
 protected:
  GetGroupsViewTest() : page(model), view(MakeView(page)) {
    model.FDestDir = L"C:\\Sketrion\\";
    system.freeSpace[L'C'] = 500000;
  }

  HWND Button(const wchar_t* text) { return Child(*view, L"BUTTON", text); }
  HWND List() { return Child(*view, WC_LISTVIEWW); }
  HWND Label(const wchar_t* text) { return Child(*view, L"STATIC", text); }
  std::wstring ItemText(int index) {
    wchar_t buffer[256] = {};
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = 256;
    SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    return buffer;
  }
  bool ItemChecked(int index) {
    return (SendMessageW(List(), LVM_GETITEMSTATE, static_cast<WPARAM>(index),
                         LVIS_STATEIMAGEMASK) >> 12) == 2;
  }
  // What a click on an item's check box does.
  void SetChecked(int index, bool checked) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
  }
  void Select(int index) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
  }
  std::wstring Comment() { return Text(Child(*view, L"EDIT")); }
  bool NextEnabled() { return IsWindowEnabled(Button(L"Далее >")) != FALSE; }
  bool ErrorShown() { return IsWindowVisible(Label(L"Недостаточно места на диске!")) != FALSE; }

  TfmGetGroups page;
  std::unique_ptr<PageWindow> view;
};

TEST_F(GetGroupsViewTest, TicksAndSelectionFollowTheUser) {
  AddGroup(L"1=1|BASE.RAR|Основные файлы|Программа", 300000);
  AddGroup(L"2=0|SAMPLES.RAR|Примеры|Примеры схем", 200000);
  AddGroup(L"3=0|EXTRA.RAR|Дополнения|Большие библиотеки", 1);

  int result = ShowWith(*view, [&] {
    ASSERT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(ItemText(0), L"Основные файлы");
    EXPECT_EQ(ItemText(2), L"Дополнения");
    EXPECT_TRUE(ItemChecked(0));
    EXPECT_FALSE(ItemChecked(1));
    EXPECT_EQ(Comment(), L"Программа");
    EXPECT_NE(Label(L"500000 байт"), nullptr);
    EXPECT_NE(Label(L"300000 байт"), nullptr);
    EXPECT_FALSE(ErrorShown());
    EXPECT_TRUE(NextEnabled());

    Select(1);
    EXPECT_EQ(Comment(), L"Примеры схем");

    SetChecked(1, true);  // exactly the free space
    EXPECT_TRUE(model.FGroups->Items(1)->FSelected);
    EXPECT_NE(Label(L"500000 байт"), nullptr);
    EXPECT_FALSE(ErrorShown());
    EXPECT_TRUE(NextEnabled());

    SetChecked(2, true);  // one byte too many; its item becomes the current one
    EXPECT_EQ(Comment(), L"Большие библиотеки");
    EXPECT_TRUE(ErrorShown());
    EXPECT_FALSE(NextEnabled());

    SetChecked(2, false);
    SetChecked(1, false);
    SetChecked(0, false);
    EXPECT_NE(Label(L"0 байт"), nullptr);
    EXPECT_FALSE(ErrorShown());
    EXPECT_FALSE(NextEnabled());

    SetChecked(1, true);
    ClickLater(Button(L"Далее >"));
  });
  EXPECT_EQ(result, mrNext);
  EXPECT_FALSE(model.FGroups->Items(0)->FSelected);
  EXPECT_TRUE(model.FGroups->Items(1)->FSelected);
  EXPECT_FALSE(model.FGroups->Items(2)->FSelected);
}

TEST_F(GetGroupsViewTest, AMediumWithoutGroupsCannotGoOn) {
  boxes.Answer(platform::MsgAnswer::Yes);
  bool nextEnabled = true;
  int items = -1;
  std::wstring comment = L"?";
  bool required = false;
  ShowWith(*view, [&] {
    items = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
    comment = Comment();
    required = Label(L"0 байт") != nullptr;
    nextEnabled = NextEnabled();
    ClickLater(Button(L"Отмена"));
  });
  EXPECT_EQ(items, 0);
  EXPECT_EQ(comment, L"");
  EXPECT_TRUE(required);
  EXPECT_FALSE(nextEnabled);
}

TEST_F(GetGroupsViewTest, ANetworkDestinationShowsMinusOneInRed) {
  AddGroup(L"1=1|BASE.RAR|Основные файлы|Программа", 1);
  model.FDestDir = L"\\\\server\\share\\";
  boxes.Answer(platform::MsgAnswer::Yes);
  bool freeShown = false, errorShown = false, nextEnabled = true;
  ShowWith(*view, [&] {
    freeShown = Label(L"-1 байт") != nullptr;
    errorShown = ErrorShown();
    nextEnabled = NextEnabled();
    ClickLater(Button(L"Отмена"));
  });
  EXPECT_TRUE(freeShown);
  EXPECT_TRUE(errorShown);
  EXPECT_FALSE(nextEnabled);
}

// A medium of 10,000 groups read from its Setup.ini: every one is listed, in order, with its
// default tick.
TEST_F(GetGroupsViewTest, TenThousandGroupsFromSetupIniAreAllListed) {
  const int kGroups = 10000;
  std::wstring ini = L"[GENERAL]\r\nNameApplication=Sketrion\r\n[GROUPS]\r\n";
  for (int i = 1; i <= kGroups; ++i)
    ini += std::to_wstring(i) + L"=" + (i % 3 ? L"1" : L"0") + L"|G" + std::to_wstring(i) + L".RAR|Компонент " +
           std::to_wstring(i) + L"|Описание " + std::to_wstring(i) + L"\r\n";
  model.FSetupDir = L"E:\\";
  files.PutFile(L"E:\\Setup.ini", util::ToCp1251(ini));
  model.ReadSetupIni();
  ASSERT_EQ(model.FGroups->Count(), kGroups);

  int result = ShowWith(*view, [&] {
    EXPECT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), kGroups);
    for (int i : {0, 1, 2, 4998, kGroups - 2, kGroups - 1}) {
      EXPECT_EQ(ItemText(i), L"Компонент " + std::to_wstring(i + 1));
      EXPECT_EQ(ItemChecked(i), (i + 1) % 3 != 0) << i;
    }
    EXPECT_TRUE(NextEnabled());
    ClickLater(Button(L"Далее >"));
  });
  EXPECT_EQ(result, mrNext);
}

}  // namespace
}  // namespace pages::testing
