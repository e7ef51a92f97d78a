#include "pages/dlg_path_win.h"

#include "controls/folder_tree_view_win.h"
#include "pages/dlg_path.h"
#include "winui/dpi_win.h"
#include "winui/error_box_win.h"
#include "pages/views_win.h"

namespace pages {

namespace {

constexpr int kTreeHeight = 309;

class DlgPathView : public PageView<TfmDlgPath> {
 public:
  using PageView::PageView;

  controls::TkpFolderTreeView kpftvPath;

 protected:
  void CreateControls() override {
    // The tree tells the field of every selection; it has no page event of its own to follow.
    kpftvPath.OnChange = [this](controls::TkpFolderTreeView& sender, controls::FolderNode& node) {
      const bool isFolder =
          node.kind == controls::NodeKind::Drive || node.kind == controls::NodeKind::Folder;
      page_.kpftvPathChange(sender.Directory(), isFolder);
      Refresh();
    };
    kpftvPath.SetMessageCaption(winui::ApplicationTitle());
    BindEdit(page_.edPath, 8, kTreeHeight + 9, kDlgPathClientWidth - 16, 21);
    // Enter chooses ("OK" is the default button), Esc cancels, as in any folder dialog.
    BindButton(page_.Button1, 120, 350, 75, 25, mrNext, {}, true);
    BindButton(page_.Button2, 218, 350, 75, 25, mrCancel);
    tree_ = kpftvPath.Create(hwnd(), 0, 0, Scale(kDlgPathClientWidth), Scale(kTreeHeight), NextControlId());
    Place(tree_, 0, 0, kDlgPathClientWidth, kTreeHeight);
    SetWindowPos(tree_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // first in tab order
    kpftvPath.SetIndent(Scale(19));
    kpftvPath.AltColor = RGB(0, 0, 255);
  }

  bool HasSeparator() const override { return false; }
  // The arrow keys, Home/End, + and - and F2 work on the tree at once.
  HWND InitialFocus() const override { return tree_; }

  SIZE WindowSize() const override {
    RECT frame = {0, 0, Scale(kDlgPathClientWidth), Scale(kDlgPathClientHeight)};
    winui::AdjustWindowRectForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)),
                                  static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)), Dpi());
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
  }
  void DpiChanged() override { kpftvPath.SetIndent(Scale(19)); }

 private:
  HWND tree_ = nullptr;
};

}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmDlgPath& page) {
  return std::make_unique<DlgPathView>(page);
}

bool ShowDlgPath(HWND owner, const std::wstring& start, std::wstring* chosen) {
  TfmDlgPath dialog;
  DlgPathView view(dialog);
  view.Create(owner);
  view.kpftvPath.SetDirectory(start);
  if (view.ShowModal() != mrNext) return false;
  *chosen = dialog.edPath.text;
  return true;
}

}  // namespace pages
