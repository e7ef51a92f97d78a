#include "pages/get_path.h"

#include <string>

#include "page_fixture.h"

namespace pages::testing {
namespace {

class GetPathPageTest : public PageTest {
 protected:
  GetPathPageTest() : page(model) {
    page.AttachHost(&host);
    model.FDestDir = L"C:\\Program files\\Firm\\Sketrion 2_1\\";
    page.FormCreate(model.FNameApplication);
    page.FormShow();
  }

  // What the view does when the user edits the field.
  void Type(const std::wstring& text) {
    page.edPath.text = text;
    page.edPathChange();
  }

  TfmGetPath page;
};

TEST_F(GetPathPageTest, ShowsTheModelsFolderUnderItsCaption) {
  EXPECT_EQ(page.Caption(), L"Размещение Sketrion");
  EXPECT_EQ(page.edPath.text, L"C:\\Program files\\Firm\\Sketrion 2_1\\");
  EXPECT_TRUE(page.btNext.enabled);
  EXPECT_TRUE(page.btPrior.enabled);
  EXPECT_TRUE(page.Button1.enabled);
}

TEST_F(GetPathPageTest, PermittedFoldersEnableNext) {
  for (const wchar_t* folder :
       {L"C:\\Program Files\\Sketrion", L"c:\\program files\\sketrion", L"\\\\server\\share\\cad",
        L"D:\\My_CAD-2\\", L"", L"qwertyuiopasdfghjklzxcvbnm_\\:-0123456789 "}) {
    Type(folder);
    EXPECT_TRUE(page.btNext.enabled) << folder;
  }
}

TEST_F(GetPathPageTest, AnyOtherCharacterDisablesNextWithoutAMessage) {
  for (const wchar_t* folder :
       {L"C:\\Sketrion 2.1", L"C:\\Program Files (x86)\\Sketrion", L"C:\\Программы",
        L"C:/Sketrion", L"C:\\Sketrion\t", L"C:\\Sketrion!", L"C:\\Ёлка", L"C:\\Sk\x00e9trion"}) {
    Type(folder);
    EXPECT_FALSE(page.btNext.enabled) << folder;
  }
  EXPECT_TRUE(page.btPrior.enabled);
  EXPECT_TRUE(page.btCancel.enabled);
  EXPECT_TRUE(boxes.Asked().empty());

  Type(L"C:\\Sketrion");  // mending the text enables it again
  EXPECT_TRUE(page.btNext.enabled);
}

TEST_F(GetPathPageTest, PermittedSetIsExactlyLatinDigitsAndFiveMarks) {
  EXPECT_EQ(std::wstring(AllowedPathChars).size(), 67u);
  for (wchar_t c = 1; c < 0x500; ++c) {
    const bool expected = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                          (c >= L'0' && c <= L'9') || c == L'_' || c == L'\\' || c == L':' ||
                          c == L'-' || c == L' ';
    Type(std::wstring(1, c));
    ASSERT_EQ(page.btNext.enabled, expected) << static_cast<int>(c);
  }
}

TEST_F(GetPathPageTest, NextStoresTheFolderWithOneTrailingBackslash) {
  Type(L"C:\\Program Files\\Sketrion");
  ASSERT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model.FDestDir, L"C:\\Program Files\\Sketrion\\");

  page.FormShow();
  Type(L"D:\\CAD\\");
  ASSERT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model.FDestDir, L"D:\\CAD\\");

  page.FormShow();
  Type(L"");
  ASSERT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model.FDestDir, L"\\");
}

TEST_F(GetPathPageTest, BackStoresTheFolderAndTheNextVisitShowsIt) {
  Type(L"E:\\Sketrion");
  ASSERT_TRUE(page.FormClose(mrBack));
  EXPECT_EQ(model.FDestDir, L"E:\\Sketrion\\");
  Type(L"something else");
  page.FormShow();
  EXPECT_EQ(page.edPath.text, L"E:\\Sketrion\\");
}

TEST_F(GetPathPageTest, ComingBackWithAFolderTheChecksRefuseShowsNextDisabled) {
  model.FDestDir = L"C:\\Program files\\Фирма\\";
  page.FormShow();
  EXPECT_FALSE(page.btNext.enabled);
}

TEST_F(GetPathPageTest, CancelStoresNothing) {
  Type(L"F:\\Other");
  boxes.Answer(platform::MsgAnswer::No);
  EXPECT_FALSE(page.FormClose(mrCancel));
  EXPECT_EQ(page.edPath.text, L"F:\\Other");
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Прекратить установку программы?");

  boxes.Answer(platform::MsgAnswer::Yes);
  EXPECT_TRUE(page.FormClose(mrCancel));
  EXPECT_EQ(model.FDestDir, L"C:\\Program files\\Firm\\Sketrion 2_1\\");
}

TEST_F(GetPathPageTest, BrowseOpensTheChooserAtTheFieldAndTakesOnlyAConfirmedChoice) {
  const struct {
    bool confirmed;
    const wchar_t* chosen;
    const wchar_t* field;
    bool nextEnabled;
  } cases[] = {
      {true, L"C:\\Program Files\\", L"C:\\Program Files\\", true},
      {false, L"C:\\Ignored\\", L"D:\\typed", true},  // "Отмена" leaves the field as it was
      {true, L"Мой компьютер", L"Мой компьютер", false},  // the computer node's name
      {true, L"C:\\Sketrion 2.1\\", L"C:\\Sketrion 2.1\\", false},
  };
  for (const auto& c : cases) {
    Type(L"D:\\typed");
    std::wstring opened;
    page.ChooseFolder = [&](const std::wstring& start, std::wstring* chosen) {
      opened = start;
      *chosen = c.chosen;
      return c.confirmed;
    };
    page.Button1Click();
    EXPECT_EQ(opened, L"D:\\typed");
    EXPECT_EQ(page.edPath.text, c.field);
    EXPECT_EQ(page.btNext.enabled, c.nextEnabled) << c.chosen;
  }
  Type(L"D:\\typed");
  page.ChooseFolder = nullptr;  // no chooser: nothing happens
  page.Button1Click();
  EXPECT_EQ(page.edPath.text, L"D:\\typed");
}

}  // namespace
}  // namespace pages::testing
