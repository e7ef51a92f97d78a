#pragma once
// Dots per inch. Every window is designed at 96 dpi and laid out at its own dpi: its monitor's
// where Windows tells it (Windows 10 1607 and later), the screen's otherwise.
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace winui {

constexpr int kDesignDpi = 96;

// The screen's logical dpi (96 when it cannot be asked).
int ScreenDpi();
// The dpi `window` is drawn at: GetDpiForWindow where this Windows has it, else the screen's.
int WindowDpi(HWND window);
// A length of the 96-dpi design at `dpi`.
inline int ScaleToDpi(int designPixels, int dpi) { return MulDiv(designPixels, dpi, kDesignDpi); }
// The window rectangle around the client rectangle `rect` at `dpi` (AdjustWindowRectExForDpi
// where Windows has it, AdjustWindowRectEx otherwise).
void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi);

}  // namespace winui
