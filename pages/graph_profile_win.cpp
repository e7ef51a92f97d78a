#include <windows.h>

#include "pages/graph_profile.h"
#include "pages/views_win.h"

namespace pages {

namespace {

class GraphProfileView : public PageView<TfmGraphProfile> {
 public:
  explicit GraphProfileView(TfmGraphProfile& page) : PageView(page) {
    page_.Beep = [] { MessageBeep(MB_OK); };
  }

 protected:
  void CreateControls() override {
    BindGroupBox(page_.GroupBox1, design::kFrameLeft, design::kFrameTop, design::kFrameWidth,
                 design::kFrameHeight);
    BindLabel(page_.lbCurGraphEditor, 24, 32, 584, 16);
    // Each list's height includes its dropped-down part.
    releases_ = BindCombo(page_.cbCurGraphEditor, 24, 52, 584, 200, false,
                          [this] { page_.cbCurGraphEditorChange(); });
    BindLabel(page_.lbComment, 24, 96, 584, 32);
    BindLabel(page_.lbCurProfile, 24, 96, 584, 16);
    BindCombo(page_.cbCurProfile, 24, 116, 584, 200, true, [this] { page_.cbCurProfileChange(); });
    BindLabel(page_.lbTemplateProfile, 24, 160, 584, 16);
    BindCombo(page_.cbTemplateProfile, 24, 180, 584, 200, false);
    BindLabel(page_.lbProfileOwner, 24, 224, 584, 32);
    BindLabel(page_.lbNext, 24, 360, 584, 16);
    BindButtonRow();
  }

  HWND InitialFocus() const override { return releases_; }

 private:
  HWND releases_ = nullptr;
};

}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmGraphProfile& page) {
  return std::make_unique<GraphProfileView>(page);
}

}  // namespace pages
