#include "pages/dlg_path_win.h"
#include "pages/get_path.h"
#include "pages/views_win.h"

namespace pages {

namespace {
class GetPathView : public PageView<TfmGetPath> {
 public:
  using PageView::PageView;

 protected:
  void CreateControls() override {
    AddFrame();
    BindLabel(page_.Label1, 24, 32, 584, 80);
    path_ = BindEdit(page_.edPath, 24, 130, 490, 21, [this] { page_.edPathChange(); });
    BindButton(page_.Button1, 524, 128, 75, 25, mrNone, [this] { page_.Button1Click(); });
    page_.ChooseFolder = [this](const std::wstring& start, std::wstring* chosen) {
      return ShowDlgPath(hwnd(), start, chosen);
    };
    // One line: the reason next is off.
    BindLabel(page_.lbPathError, 24, 160, 584, 16, SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS);
    BindLabel(page_.Label2, 24, 360, 584, 16);
    BindButtonRow();
  }

  HWND InitialFocus() const override { return path_; }

 private:
  HWND path_ = nullptr;
};
}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmGetPath& page) {
  return std::make_unique<GetPathView>(page);
}

}  // namespace pages
