#include "app/silent_progress_win.h"

#include <commctrl.h>

#include "pages/layout_win.h"
#include "winui/dpi_win.h"

namespace app {

namespace {
constexpr wchar_t kClassName[] = L"SketrionSetupProgress";
// The design's client area at 96 dpi: a line of text over the bar.
constexpr int kClientWidth = 420, kClientHeight = 72;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION;
}  // namespace

SilentProgressWindow::SilentProgressWindow() {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  winui::WindowClass cls;
  cls.name = kClassName;
  cls.background = GetSysColorBrush(COLOR_BTNFACE);
  if (!window_.Create(cls, 0, L"", kStyle, 0, 0, kClientWidth, kClientHeight, nullptr)) return;
  const int dpi = winui::WindowDpi(window_.Get());
  RECT frame = {0, 0, winui::ScaleToDpi(kClientWidth, dpi), winui::ScaleToDpi(kClientHeight, dpi)};
  winui::AdjustWindowRectForDpi(&frame, kStyle, 0, dpi);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(window_.Get(), HWND_TOPMOST, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOACTIVATE);
  const pages::Layout layout(window_.Get(), winui::kDesignDpi, dpi);
  entry_ = layout.Add(L"STATIC", L"", SS_NOPREFIX | SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, 12, 12, 396, 16);
  bar_ = layout.Add(PROGRESS_CLASSW, L"", 0, 12, 36, 396, 18);
  // Shown without taking the keyboard from whatever the user is doing.
  ShowWindow(window_.Get(), SW_SHOWNOACTIVATE);
  Show(RunProgress{});
}

SilentProgressWindow::~SilentProgressWindow() { window_.Unbind(); }

void SilentProgressWindow::Show(const RunProgress& progress) {
  if (!window_) return;
  SetWindowTextW(window_.Get(), progress.caption.c_str());
  SetWindowTextW(entry_, progress.entry.c_str());
  SendMessageW(bar_, PBM_SETRANGE32, 0, progress.max > 0 ? progress.max : 1);
  SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(progress.position), 0);
  // The run has no message loop of its own: the window, its frame too, draws here.
  RedrawWindow(window_.Get(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT SilentProgressWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  // No closing it: the run ends it.
  if (msg == WM_CLOSE) return 0;
  return window_.Default(msg, wParam, lParam);
}

}  // namespace app
