#include "pages/file_readme.h"
#include "pages/views_win.h"

#include <windowsx.h>

namespace pages {

namespace {

class FileReadmeView : public PageView<TfmFileReadme> {
 public:
  explicit FileReadmeView(TfmFileReadme& page) : PageView(page) {}

 protected:
  void CreateControls() override {
    AddFrame();
    BindLabel(page_.Label1, 24, 32, 584, 32);
    label3_ = BindLabel(page_.Label3, 24, 100, 440, 48);
    BindButton(page_.Button2, 488, 110, 100, 25, mrNone, [this] { page_.Button2Click(); });
    BindButtonRow();
  }

  // Labels and frames let the mouse through to the page: which one is under it decides.
  bool OnMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT* result) override {
    if (msg != WM_MOUSEMOVE) return false;
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT r;
    GetWindowRect(label3_, &r);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
    if (PtInRect(&r, pt))
      page_.Label3MouseMove();
    else
      page_.GroupBox1MouseMove();
    *result = 0;
    return true;
  }

 private:
  HWND label3_ = nullptr;
};
}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmFileReadme& page) {
  return std::make_unique<FileReadmeView>(page);
}

}  // namespace pages
