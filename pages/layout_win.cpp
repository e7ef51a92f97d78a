#include "pages/layout_win.h"

#include <map>
#include <utility>

#include "platform/win32/scoped_win.h"
#include "winui/dpi_win.h"

namespace pages {

HFONT GuiFont(bool bold, int dpi) {
  // Made once per weight and dpi and shared by every control of the run.
  static std::map<std::pair<int, bool>, platform::ScopedFont> fonts;
  platform::ScopedFont& font = fonts[{dpi, bold}];
  if (!font) {
    LOGFONTW lf = {};
    lf.lfHeight = MulDiv(13, dpi, winui::kDesignDpi);  // cell height, as 8 pt is drawn
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = RUSSIAN_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, dpi > winui::kDesignDpi ? L"Microsoft Sans Serif" : L"MS Sans Serif",
              LF_FACESIZE);
    font.Reset(CreateFontIndirectW(&lf));
  }
  return font ? font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HWND Layout::Add(const wchar_t* windowClass, const wchar_t* text, DWORD style, int x, int y,
                 int w, int h, int id, DWORD exStyle) const {
  HWND child = CreateWindowExW(exStyle, windowClass, text, style | WS_CHILD | WS_VISIBLE,
                               Scale(x), Scale(y), Scale(w), Scale(h), parent_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont(false, screenDpi_)), FALSE);
  return child;
}

std::wstring WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, &text[0], n + 1);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}

}  // namespace pages
