#pragma once
// Placing child controls by their design coordinates, in the installer's GUI font.
#include <windows.h>

#include <string>

namespace pages {

// The pages' font: MS Sans Serif (Wine and newer Windows substitute a look-alike), 13 pixels,
// Cyrillic; the bold one for emphasised labels. Created once, kept for the run.
HFONT GuiFont(bool bold = false);

// Design coordinates drawn at `designDpi`, placed at `screenDpi` (the background window is drawn
// for 120 dpi and scaled; the pages are placed as drawn).
class Layout {
 public:
  explicit Layout(HWND parent, int designDpi = 96, int screenDpi = 96)
      : parent_(parent), designDpi_(designDpi), screenDpi_(screenDpi) {}

  int Scale(int v) const { return MulDiv(v, screenDpi_, designDpi_); }

  // Creates a visible child in the GUI font; `id` is its control id (0 for none).
  HWND Add(const wchar_t* windowClass, const wchar_t* text, DWORD style, int x, int y, int w,
           int h, int id = 0, DWORD exStyle = 0) const;

  HWND parent() const { return parent_; }

 private:
  HWND parent_;
  int designDpi_;
  int screenDpi_;
};

// A window's text (a control's), whatever its length.
std::wstring WindowText(HWND hwnd);

// The screen's logical dpi (96 when it cannot be asked).
int ScreenDpi();

}  // namespace pages
