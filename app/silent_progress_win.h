#pragma once
// Setup.exe /SILENT's one window: the page at work, the entry it is at and a progress bar, with
// no button to press. It lives for the run and is drawn whenever the run lets messages through.
#include <windows.h>

#include "app/unattended.h"
#include "winui/window_win.h"

namespace app {

class SilentProgressWindow : private winui::MessageHandler {
 public:
  SilentProgressWindow();
  ~SilentProgressWindow();
  SilentProgressWindow(const SilentProgressWindow&) = delete;
  SilentProgressWindow& operator=(const SilentProgressWindow&) = delete;

  // Shows `progress` and lets the window draw it.
  void Show(const RunProgress& progress);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  HWND entry_ = nullptr;
  HWND bar_ = nullptr;
  winui::BoundWindow window_{*this};
};

}  // namespace app
