#include "pages/get_groups.h"
#include "pages/views_win.h"

namespace pages {

namespace {

class GetGroupsView : public PageView<TfmGetGroups> {
 public:
  using PageView::PageView;

 protected:
  void CreateControls() override {
    AddFrame();
    BindLabel(page_.Label1, 24, 24, 584, 48);

    list_ = BindCheckList(page_.clbGroup, 24, 80, 280, 240, [this] { page_.clbGroupClick(); },
                          [this] { page_.clbGroupClickCheck(); });
    BindMemo(page_.meComment, 320, 80, 288, 240);

    BindLabel(page_.Label2, 24, 336, 200, 16, SS_RIGHT);
    BindLabel(page_.lbFreeMemory, 232, 336, 200, 16);
    BindLabel(page_.Label3, 24, 356, 200, 16, SS_RIGHT);
    BindLabel(page_.lbSize, 232, 356, 200, 16);
    BindLabel(page_.lbErrSize, 24, 376, 400, 16);
    BindButtonRow();
  }

  HWND InitialFocus() const override { return list_; }

 private:
  HWND list_ = nullptr;
};

}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmGetGroups& page) {
  return std::make_unique<GetGroupsView>(page);
}

}  // namespace pages
