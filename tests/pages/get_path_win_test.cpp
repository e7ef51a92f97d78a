// The destination page's view under Windows: typing drives next, leaving stores the folder.
#include <windows.h>

#include "pages/get_path.h"
#include "view_fixture_win.h"

namespace pages::testing {
namespace {

class GetPathViewTest : public ViewTest {
 protected:
  GetPathViewTest() : page(model), view(MakeView(page)) {
    model.FDestDir = L"C:\\Program files\\Firm\\Sketrion\\";
  }
  HWND Button(const wchar_t* text) { return Child(*view, L"BUTTON", text); }

  TfmGetPath page;
  std::unique_ptr<PageWindow> view;
};

TEST_F(GetPathViewTest, TypingDrivesNextAndNextStoresTheFolder) {
  std::wstring shownPath;
  bool withDot = true, withCyrillic = true, mended = false, browseEnabled = false;
  int result = ShowWith(*view, [&] {
    HWND edit = Child(*view, L"EDIT");
    shownPath = Text(edit);
    SetWindowTextW(edit, L"C:\\Sketrion 2.1");
    withDot = IsWindowEnabled(Button(L"Далее >")) != FALSE;
    SetWindowTextW(edit, L"C:\\Программы");
    withCyrillic = IsWindowEnabled(Button(L"Далее >")) != FALSE;
    SetWindowTextW(edit, L"d:\\CAD\\Sketrion");
    mended = IsWindowEnabled(Button(L"Далее >")) != FALSE;
    browseEnabled = IsWindowEnabled(Button(L"Обзор")) != FALSE;
    Click(Button(L"Обзор"));  // no chooser yet: nothing happens
    ClickLater(Button(L"Далее >"));
  });
  EXPECT_EQ(result, mrNext);
  EXPECT_EQ(shownPath, L"C:\\Program files\\Firm\\Sketrion\\");
  EXPECT_FALSE(withDot);
  EXPECT_FALSE(withCyrillic);
  EXPECT_TRUE(mended);
  EXPECT_TRUE(browseEnabled);
  EXPECT_EQ(model.FDestDir, L"d:\\CAD\\Sketrion\\");
}

TEST_F(GetPathViewTest, BackStoresTooAndTheNextShowingShowsIt) {
  ASSERT_EQ(ShowWith(*view, [&] {
              SetWindowTextW(Child(*view, L"EDIT"), L"E:\\Sketrion");
              ClickLater(Button(L"< Назад"));
            }),
            mrBack);
  EXPECT_EQ(model.FDestDir, L"E:\\Sketrion\\");

  std::wstring shownPath;
  boxes.Answer(platform::MsgAnswer::No);
  boxes.Answer(platform::MsgAnswer::Yes);
  EXPECT_EQ(ShowWith(*view, [&] {
              shownPath = Text(Child(*view, L"EDIT"));
              SetWindowTextW(Child(*view, L"EDIT"), L"F:\\Other");
              Click(Button(L"Отмена"));  // answered No: the page stays
              ClickLater(Button(L"Отмена"));
            }),
            mrCancel);
  EXPECT_EQ(shownPath, L"E:\\Sketrion\\");
  EXPECT_EQ(boxes.Asked().size(), 2u);
  EXPECT_EQ(model.FDestDir, L"E:\\Sketrion\\");
}

}  // namespace
}  // namespace pages::testing
