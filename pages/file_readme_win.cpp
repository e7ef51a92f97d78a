#include "pages/file_readme.h"
#include "pages/views_win.h"

#include <windowsx.h>

#include "platform/win32/scoped_win.h"

namespace pages {

void StartDetached(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi = {};
  if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    platform::ScopedHandle thread(pi.hThread), process(pi.hProcess);  // not waited for
  }
}

namespace {

class FileReadmeView : public PageView<TfmFileReadme> {
 public:
  explicit FileReadmeView(TfmFileReadme& page) : PageView(page) {
    page_.StartProgram = &StartDetached;
  }

 protected:
  void CreateControls() override {
    BindButtonRowAndFrame();
    BindLabel(page_.Label1, 24, 32, 584, 32);
    label3_ = BindLabel(page_.Label3, 24, 100, 440, 48);
    BindButton(page_.Button2, 488, 110, 100, 25, mrNone, [this] { page_.Button2Click(); });
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
