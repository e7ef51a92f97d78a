// The agreement page's view under Windows: the rich-text viewer's text as the user sees it,
// and the radio buttons driving next.
#include <windows.h>

#include "pages/license.h"
#include "view_fixture_win.h"

namespace pages::testing {
namespace {

class LicenseViewTest : public ViewTest {
 protected:
  LicenseViewTest() : page(model), view(MakeView(page)) {
    model.FLicenseFile = L"D:\\Licension.rtf";
  }

  // The text the viewer shows, with its line ends as "\n".
  std::wstring ViewerText() {
    HWND viewer = Child(*view, L"RICHEDIT50W");
    if (!viewer) viewer = Child(*view, L"RichEdit20W");
    EXPECT_NE(viewer, nullptr);
    std::wstring text = Text(viewer), plain;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
      plain += text[i] == L'\r' ? L'\n' : text[i];
    }
    while (!plain.empty() && plain.back() == L'\n') plain.pop_back();
    return plain;
  }

  HWND Button(const wchar_t* text) { return Child(*view, L"BUTTON", text); }

  TfmLicense page;
  std::unique_ptr<PageWindow> view;
};

TEST_F(LicenseViewTest, RichTextIsShownAsText) {
  files.PutFile(L"D:\\Licension.rtf",
                "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}"
                "\\f0 \\b \\'d1\\'ee\\'e3\\'eb\\'e0\\'f8\\'e5\\'ed\\'e8\\'e5\\b0\\par Terms of use\\par}");
  std::wstring shown;
  boxes.Answer(platform::MsgAnswer::Yes);
  EXPECT_EQ(ShowWith(*view, [&] {
              shown = ViewerText();
              ClickLater(Button(L"Отмена"));
            }),
            mrCancel);
  EXPECT_EQ(shown, L"Соглашение\nTerms of use");
}

TEST_F(LicenseViewTest, PlainTextIsShownAsWindows1251) {
  files.PutFile(L"D:\\Licension.rtf", "\xD1\xEE\xE3\xEB\xE0\xF8\xE5\xED\xE8\xE5\r\n{\\rtf1} not rich");
  std::wstring shown;
  boxes.Answer(platform::MsgAnswer::Yes);
  EXPECT_EQ(ShowWith(*view, [&] {
              shown = ViewerText();
              ClickLater(Button(L"Отмена"));
            }),
            mrCancel);
  EXPECT_EQ(shown, L"Соглашение\n{\\rtf1} not rich");
}

TEST_F(LicenseViewTest, MissingFileShowsNothingAndAcceptingLeadsOn) {
  files.PutFile(L"D:\\Licension.rtf", "{\\rtf1 earlier text\\par}");
  boxes.Answer(platform::MsgAnswer::Yes);
  ASSERT_EQ(ShowWith(*view, [&] { ClickLater(Button(L"Отмена")); }), mrCancel);
  files.Remove(L"D:\\Licension.rtf");
  boxes.Clear();

  std::wstring shown = L"?";
  bool nextAtFirst = true, nextAccepted = false, nextDeclined = true;
  int result = ShowWith(*view, [&] {
    shown = ViewerText();
    nextAtFirst = IsWindowEnabled(Button(L"Далее >")) != FALSE;
    Click(Button(L"Принимаю"));
    nextAccepted = IsWindowEnabled(Button(L"Далее >")) != FALSE;
    Click(Button(L"Не принимаю"));
    nextDeclined = IsWindowEnabled(Button(L"Далее >")) != FALSE;
    Click(Button(L"Принимаю"));
    ClickLater(Button(L"Далее >"));
  });
  EXPECT_EQ(result, mrNext);
  EXPECT_EQ(shown, L"");
  EXPECT_TRUE(boxes.Asked().empty());
  EXPECT_FALSE(nextAtFirst);
  EXPECT_TRUE(nextAccepted);
  EXPECT_FALSE(nextDeclined);
  EXPECT_TRUE(page.rbYes.checked);
  EXPECT_FALSE(page.rbNot.checked);
}

TEST_F(LicenseViewTest, CaptionAndAcceptanceSurviveAnotherShowing) {
  std::wstring caption;
  ASSERT_EQ(ShowWith(*view, [&] {
              Click(Button(L"Принимаю"));
              ClickLater(Button(L"Далее >"));
            }),
            mrNext);
  bool yesChecked = false, nextEnabled = false;
  boxes.Answer(platform::MsgAnswer::Yes);
  ShowWith(*view, [&] {
    caption = Text(view->hwnd());
    yesChecked = SendMessageW(Button(L"Принимаю"), BM_GETCHECK, 0, 0) == BST_CHECKED;
    nextEnabled = IsWindowEnabled(Button(L"Далее >")) != FALSE;
    ClickLater(Button(L"Отмена"));
  });
  EXPECT_EQ(caption, L"Cоглашение об использовании Sketrion");
  EXPECT_TRUE(yesChecked);
  EXPECT_TRUE(nextEnabled);
}

}  // namespace
}  // namespace pages::testing
