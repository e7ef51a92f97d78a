#include "winui/error_box_win.h"

#include <exception>
#include <new>
#include <stdexcept>

#include "util/text.h"
#include "winui/general_error.h"

namespace winui {

namespace {
std::wstring& TitleSlot() {
  static std::wstring title = L"Setup";
  return title;
}
HWND g_applicationWindow = nullptr;

// Our exceptions carry UTF-8 text in what(); a byte that is not UTF-8 is taken for itself
// rather than lost.
std::wstring FromUtf8(const char* text) {
  std::wstring out;
  if (text) util::FromUtf8(text, &out, util::BadInput::kAsLatin1);
  return out;
}
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
  std::wstring text;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    text = L"Out of memory";
  } catch (const std::exception& e) {
    text = FromUtf8(e.what());
  } catch (...) {
    text = L"Unexpected error";
  }
  // Showing the box must not throw out of the catch handler in turn.
  try {
    ShowGeneralError(text);
  } catch (...) {
  }
}

}  // namespace winui
