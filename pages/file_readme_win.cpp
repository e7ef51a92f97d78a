#include "pages/file_readme.h"
#include "pages/views_win.h"

namespace pages {

namespace {
class FileReadmeView : public PageWindow {
 public:
  explicit FileReadmeView(TfmFileReadme& page) : PageWindow(page), page_(page) {}

 protected:
  void CreateControls() override {
    BindPrior(page_.btPrior);
    BindNext(page_.btNext);
    BindCancel(page_.btCancel);
    AddFrame();
    BindLabel(page_.Label1, 24, 32, 584, 32);
    BindLabel(page_.Label3, 24, 100, 440, 48);
    BindButton(page_.Button2, 488, 110, 100, 25, mrNone);
    AddBevel();
  }

 private:
  TfmFileReadme& page_;
};
}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmFileReadme& page) {
  return std::make_unique<FileReadmeView>(page);
}

}  // namespace pages
