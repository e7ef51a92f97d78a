#pragma once
// TfmMainSetup: the full-screen background window behind the pages. It owns the archive
// component (RAR), the AutoCAD component (acAutoCAD) and the list of the AutoCAD releases found
// (FAcadList), and runs the page chain once it is shown.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acad/autocad.h"
#include "archive/rar.h"
#include "platform/win32/scoped_win.h"
#include "winui/window_win.h"

namespace setup { class TSetup; }

namespace app {

class TfmMainSetup : private winui::MessageHandler {
 public:
  // Constructing the AutoCAD component detects the installed releases.
  TfmMainSetup(setup::TSetup& model, platform::Registry& registry);
  TfmMainSetup(const TfmMainSetup&) = delete;
  TfmMainSetup& operator=(const TfmMainSetup&) = delete;

  // Creates the window (hidden) and runs FormCreate: reads Setup.ini, sets the captions and
  // the application title, hands RAR to the model, shows the product name, copies the
  // releases into FAcadList.
  bool Create(HINSTANCE instance);
  // Shows the window maximized; `runChain` runs from a message posted to the window, and the
  // window closes when it returns, which ends the message loop.
  void FormShow(std::function<void()> runChain);
  // Sets the window's icon (from the .ico Setup.ini names).
  void SetIcon(HICON big, HICON small);

  HWND hwnd() const { return window_.Get(); }

  archive::TRAR RAR;
  acad::TAutoCAD acAutoCAD;
  acad::TAutoCADReleaseList FAcadList;

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void FormCreate();
  void CreateLabels();
  void PlaceLabels();
  void Paint();
  int Scale(int v) const { return MulDiv(v, dpi_, kDesignDpi); }

  static constexpr int kDesignDpi = 120;

  setup::TSetup& model_;
  platform::ScopedBitmap picture_;  // Image1, stretched over the client area
  platform::ScopedFont nameFont_;
  platform::ScopedFont noticeFont1_;
  platform::ScopedFont noticeFont2_;
  // After the fonts: the window and its labels end before them.
  winui::BoundWindow window_{*this};
  HWND lbNameProduct_ = nullptr;
  HWND lbNotice1_ = nullptr;
  HWND lbNotice2_ = nullptr;
  int dpi_ = 96;
  std::function<void()> runChain_;
};

}  // namespace app
