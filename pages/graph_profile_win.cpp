#include "pages/graph_profile.h"
#include "pages/views_win.h"

namespace pages {

namespace {
class GraphProfileView : public PageWindow {
 public:
  explicit GraphProfileView(TfmGraphProfile& page) : PageWindow(page), page_(page) {}

 protected:
  void CreateControls() override {
    BindPrior(page_.btPrior);
    BindNext(page_.btNext);
    BindCancel(page_.btCancel);
    AddFrame();
    BindLabel(page_.lbCurGraphEditor, 24, 32, 584, 16);
    // cbCurGraphEditor at (24, 52, 584, 21).
    BindLabel(page_.lbComment, 24, 96, 584, 32);
    BindLabel(page_.lbCurProfile, 24, 96, 584, 16);
    // cbCurProfile at (24, 116, 584, 21).
    BindLabel(page_.lbTemplateProfile, 24, 160, 584, 16);
    // cbTemplateProfile at (24, 180, 584, 21).
    BindLabel(page_.lbNext, 24, 360, 584, 16);
    AddBevel();
  }

 private:
  TfmGraphProfile& page_;
};
}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmGraphProfile& page) {
  return std::make_unique<GraphProfileView>(page);
}

}  // namespace pages
