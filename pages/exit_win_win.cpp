#include "pages/exit_win.h"
#include "pages/views_win.h"

namespace pages {

namespace {
class ExitWinView : public PageView<TfmExitWin> {
 public:
  using PageView::PageView;

 protected:
  void CreateControls() override {
    AddFrame();
    BindLabel(page_.Label1, 24, 32, 584, 32);
    BindGroupBox(page_.rgWinExit, 24, 96, 584, 72);
    BindRadio(page_.rbRestartNow, 40, 116, 400, 17, true);
    BindRadio(page_.rbNoRestart, 40, 140, 400, 17, false);
    // "Готово" stands where "Отмена" stands on the other pages: there is no cancel button.
    BindRowButton(page_.btPrior, design::kNextLeft, mrBack);
    BindRowButton(page_.btNext, design::kCancelLeft, mrNext, [this] { page_.btNextClick(); },
                  true);
  }
};
}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmExitWin& page) {
  return std::make_unique<ExitWinView>(page);
}

}  // namespace pages
