#include "pages/pr_copy_file.h"
#include "pages/views_win.h"

namespace pages {

namespace {
class PrCopyFileView : public PageView<TfmPrCopyFile> {
 public:
  using PageView::PageView;

 protected:
  void CreateControls() override {
    AddFrame();
    BindLabel(page_.lbComment, 24, 32, 584, 64);
    BindLabel(page_.lbPath, 24, 100, 584, 16);
    BindEntryProgress();
    BindButtonRow();
  }
};
}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmPrCopyFile& page) {
  return std::make_unique<PrCopyFileView>(page);
}

}  // namespace pages
