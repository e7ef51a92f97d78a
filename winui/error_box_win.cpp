#include "winui/error_box_win.h"

#include "util/exception_text.h"
#include "winui/general_error.h"

namespace winui {

namespace {
std::wstring& TitleSlot() {
  static std::wstring title = L"Setup";
  return title;
}
HWND g_applicationWindow = nullptr;
}  // namespace

void SetApplicationTitle(const std::wstring& title) {
  TitleSlot() = title;
  if (g_applicationWindow) SetWindowTextW(g_applicationWindow, title.c_str());
}

const std::wstring& ApplicationTitle() { return TitleSlot(); }

void SetApplicationWindow(HWND window) {
  g_applicationWindow = window;
  if (window) SetWindowTextW(window, TitleSlot().c_str());
}

void ShowGeneralError(const std::wstring& message) {
  // Owned by the active window of this thread, so the box stays above the page that failed.
  HWND owner = GetActiveWindow();
  MessageBoxW(owner, GeneralErrorText(message).c_str(), ApplicationTitle().c_str(),
              MB_OK | MB_ICONSTOP | (owner ? 0u : MB_TASKMODAL));
}

void ReportCurrentException() {
  const std::wstring text = util::CurrentExceptionText();
  // Showing the box must not throw out of the catch handler in turn.
  try {
    ShowGeneralError(text);
  } catch (...) {
  }
}

}  // namespace winui
