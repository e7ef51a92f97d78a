#include "winui/error_box_win.h"

#include <exception>
#include <new>
#include <stdexcept>

#include "winui/general_error.h"

namespace winui {

namespace {
std::wstring& TitleSlot() {
  static std::wstring title = L"Setup";
  return title;
}
HWND g_applicationWindow = nullptr;

// Our exceptions carry UTF-8 text in what(); anything that is not valid UTF-8 is taken byte
// for byte rather than lost.
std::wstring FromUtf8(const char* text) {
  if (!text || !*text) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (n > 0) {
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, &out[0], n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
  }
  std::wstring out;
  for (const char* p = text; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
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
