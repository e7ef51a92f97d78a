// The welcome page's view under Windows: the buttons as the user sees them before, during and
// after the verification, and a page that cannot be closed while it runs.
#include <windows.h>

#include "pages/first_form.h"
#include "tests/pages/archive_pages_fixture.h"
#include "view_fixture_win.h"

namespace pages::testing {
namespace {

class FirstFormViewTest : public WithMedium<ViewTest> {
 protected:
  FirstFormViewTest() : page(model, rar, acadList), view(MakeView(page)) {
    rar.OnTested = [this](archive::TRAR& sender, RARHeaderData h, bool ok) {
      page.RARTested(sender, h, ok, owner);
      if (onTested) onTested();
    };
  }

  HWND Button(const wchar_t* text) { return Child(*view, L"BUTTON", text); }
  bool Enabled(const wchar_t* text) { return IsWindowEnabled(Button(text)) != FALSE; }
  bool Visible(const wchar_t* text) { return IsWindowVisible(Button(text)) != FALSE; }
  // Lets the page's activation, posted when it was shown, run.
  static void LetActivationRun() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  bool HasStaticText(const std::wstring& text) {
    for (HWND c = FindWindowExW(view->hwnd(), nullptr, L"STATIC", nullptr); c;
         c = FindWindowExW(view->hwnd(), c, L"STATIC", nullptr))
      if (Text(c) == text && IsWindowVisible(c)) return true;
    return false;
  }

  acad::TAutoCADReleaseList acadList{{L"AutoCAD 2002", acad::geACLT2002}};
  TfmFirstForm page;
  std::unique_ptr<PageWindow> view;
  std::function<void()> onTested;
};

TEST_F(FirstFormViewTest, CleanVerificationEnablesNext) {
  AddArchive(L"BASE.RAR").entries = {{"A", 0, 1}, {"B", 0, 2}};
  bool firstEnabled = false, nextVisibleBefore = true, nextEnabled = false, noticeShown = false;
  int result = ShowWith(*view, [&] {
    LetActivationRun();
    firstEnabled = Enabled(L"Далее>");
    nextVisibleBefore = Visible(L"Далее >");
    noticeShown = HasStaticText(page.lbACAD.text);
    Click(Button(L"Далее>"));
    nextEnabled = Enabled(L"Далее >") && Visible(L"Далее >") && !Visible(L"Далее>");
    ClickLater(Button(L"Далее >"));
  });
  EXPECT_EQ(result, mrNext);
  EXPECT_TRUE(firstEnabled);
  EXPECT_FALSE(nextVisibleBefore);
  EXPECT_TRUE(noticeShown);
  EXPECT_TRUE(nextEnabled);
  EXPECT_EQ(Group(0).FFileCount, 2);
}

TEST_F(FirstFormViewTest, DuringThePassNothingIsEnabledAndClosingIsIgnored) {
  AddArchive(L"BASE.RAR").entries = {{"A", 0, 1}, {"B", 0, 2, ERAR_BAD_DATA}};
  bool anyEnabled = true, stillShown = false;
  onTested = [&] {
    anyEnabled = Enabled(L"Далее>") || Enabled(L"Далее >") || Enabled(L"Отмена");
    // Esc, Alt+F4 and the system menu while the archives are tested.
    SendMessageW(view->hwnd(), WM_COMMAND, IDCANCEL, 0);
    SendMessageW(view->hwnd(), WM_CLOSE, 0, 0);
    SendMessageW(view->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    stillShown = IsWindowVisible(view->hwnd()) != FALSE;
  };
  bool nextAfter = true, cancelAfter = false, failText = false;
  boxes.Answer(platform::MsgAnswer::Ok);   // "Ошибка архива - файл: B"
  boxes.Answer(platform::MsgAnswer::Ok);   // "Файл ... содержит ошибку!"
  boxes.Answer(platform::MsgAnswer::Yes);  // "Прекратить установку программы?"
  int result = ShowWith(*view, [&] {
    LetActivationRun();
    Click(Button(L"Далее>"));
    nextAfter = Enabled(L"Далее >");
    cancelAfter = Enabled(L"Отмена");
    failText = HasStaticText(page.lbComment.text) && page.state() == TfmFirstForm::State::Failed;
    ClickLater(Button(L"Отмена"));
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_FALSE(anyEnabled);
  EXPECT_TRUE(stillShown);
  EXPECT_FALSE(nextAfter);
  EXPECT_TRUE(cancelAfter);
  EXPECT_TRUE(failText);
  EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Ошибка архива - файл: B",
                                                   L"Файл D:\\BASE.RAR содержит ошибку!",
                                                   L"Прекратить установку программы?"}));
}

TEST_F(FirstFormViewTest, WithoutRightsOnlyCancelIsEnabled) {
  registry.DenyAccess(platform::RegRoot::LocalMachine, L"Software", platform::RegAccess::Full);
  bool first = true, cancel = false;
  boxes.Answer(platform::MsgAnswer::Yes);
  int result = ShowWith(*view, [&] {
    LetActivationRun();
    first = Enabled(L"Далее>");
    cancel = Enabled(L"Отмена");
    ClickLater(Button(L"Отмена"));
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_FALSE(first);
  EXPECT_TRUE(cancel);
  EXPECT_TRUE(medium.opened.empty());
}

}  // namespace
}  // namespace pages::testing
