#pragma once
// Placing child controls by their design coordinates, in the installer's GUI font.
#include <windows.h>

#include <string>

namespace pages {

// The pages' font, 8 points at `dpi`, Cyrillic; the bold one for emphasised labels. At 96 dpi
// MS Sans Serif (Wine and newer Windows substitute a look-alike), 13 pixels; above it, a bitmap
// font that scales in steps, its TrueType twin Microsoft Sans Serif. Each is made once, kept
// for the run.
HFONT GuiFont(bool bold = false, int dpi = 96);

// Design coordinates drawn at `designDpi`, placed at `screenDpi` (the background window is drawn
// for 120 dpi, the pages for 96; both are placed at their window's dpi).
class Layout {
 public:
  explicit Layout(HWND parent, int designDpi = 96, int screenDpi = 96)
      : parent_(parent), designDpi_(designDpi), screenDpi_(screenDpi) {}

  int Scale(int v) const { return MulDiv(v, screenDpi_, designDpi_); }

  // Creates a visible child in the GUI font of the screen dpi; `id` is its control id (0 for
  // none).
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

}  // namespace pages
