#include "pages/first_form.h"
#include "pages/views_win.h"

namespace pages {

namespace {
class FirstFormView : public PageView<TfmFirstForm> {
 public:
  using PageView::PageView;

 protected:
  void CreateControls() override {
    AddFrame();
    BindLabel(page_.lbComment, 24, 32, 584, 48);
    BindLabel(page_.lbACAD, 24, 96, 584, 150);
    BindEntryProgress();
    BindLabel(page_.lbNext, 24, 360, 584, 16);
    // "Далее>" and "Далее >" share their place: one is shown at a time.
    BindRowButton(page_.btFirst, design::kNextLeft, mrNone, [this] { page_.btFirstClick(); },
                  true);
    BindNext(page_.btNext);
    BindCancel(page_.btCancel);
  }
};
}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmFirstForm& page) {
  return std::make_unique<FirstFormView>(page);
}

}  // namespace pages
