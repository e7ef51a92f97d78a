// The copy page's view under Windows: it copies on its own, shows no usable button, takes a
// progress range beyond 65,535 and closes itself after the follow-up step.
#include <windows.h>

#include <commctrl.h>

#include "pages/pr_copy_file.h"
#include "tests/pages/archive_pages_fixture.h"
#include "view_fixture_win.h"

namespace pages::testing {
namespace {

class PrCopyFileViewTest : public WithMedium<ViewTest> {
 protected:
  PrCopyFileViewTest() : page(model, rar), view(MakeView(page)) {
    rar.OnExtracting = [this](archive::TRAR& sender, RARHeaderData h) {
      page.RARExtracting(sender, h);
    };
    rar.OnExtract = [this](archive::TRAR& sender, RARHeaderData h, bool ok) {
      page.RARExtract(sender, h, ok);
      if (onExtract) onExtract();
    };
  }

  TfmPrCopyFile page;
  std::unique_ptr<PageWindow> view;
  std::function<void()> onExtract;
};

TEST_F(PrCopyFileViewTest, CopiesAndClosesItselfWithALargeProgressRange) {
  auto& archive = AddArchive(L"BASE.RAR");
  archive.entries = {{"A"}, {"B"}, {"C"}};
  Group(0).FFileCount = 70000;  // as the welcome page counted a large medium
  int rangeHigh = 0, position = 0;
  bool buttonShown = false, stillShown = false;
  std::wstring label, path;
  onExtract = [&] {
    HWND bar = FindWindowExW(view->hwnd(), nullptr, PROGRESS_CLASSW, nullptr);
    view->ProcessMessages();  // mirror the state as the page does before the next entry
    rangeHigh = static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
    for (const wchar_t* text : {L"< Назад", L"Далее >", L"Отмена"})
      buttonShown = buttonShown || IsWindowVisible(Child(*view, L"BUTTON", text));
    label = page.lbNameFile.text;
    path = page.lbPath.text;
    SendMessageW(view->hwnd(), WM_CLOSE, 0, 0);
    stillShown = IsWindowVisible(view->hwnd()) != FALSE;
  };
  // The page runs by itself: nothing to press.
  const int result = ShowWith(*view, [] {});
  EXPECT_EQ(CopyPageResultOf(result), prNext);
  EXPECT_EQ(rangeHigh, 70000);
  EXPECT_EQ(position, 3);
  EXPECT_FALSE(buttonShown);
  EXPECT_TRUE(stillShown);
  EXPECT_EQ(label, L"...C");
  EXPECT_EQ(path, L"C:\\Program files\\Firm\\Sketrion\\");
  EXPECT_EQ(archive.Count("process 2 C:\\Program files\\Firm\\Sketrion\\"), 3u);
  EXPECT_TRUE(boxes.Asked().empty());
}

}  // namespace
}  // namespace pages::testing
