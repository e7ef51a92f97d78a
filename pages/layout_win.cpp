#include "pages/layout_win.h"

#include "platform/win32/scoped_win.h"

namespace pages {

HFONT GuiFont(bool bold) {
  // Made once and shared by every control of the run.
  static platform::ScopedFont normal;
  static platform::ScopedFont heavy;
  platform::ScopedFont& font = bold ? heavy : normal;
  if (!font) {
    LOGFONTW lf = {};
    lf.lfHeight = 13;  // cell height, as MS Sans Serif 8 pt is drawn
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = RUSSIAN_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
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
  if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  return child;
}

std::wstring WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, &text[0], n + 1);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}

int ScreenDpi() {
  platform::WindowDc screen(nullptr);
  if (!screen) return 96;
  int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

}  // namespace pages
