#include "winui/dpi_win.h"

#include "platform/win32/scoped_win.h"
#include "platform/win32/system_dlls.h"

namespace winui {

namespace {

// A function of user32 that older Windows lack: null there, so Windows 7 still starts.
template <class Function>
Function NewerUser32Function(const char* name) {
  static const HMODULE user32 = platform::LoadSystemDll(L"user32.dll");
  if (!user32) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

int ScreenDpi() {
  platform::WindowDc screen(nullptr);
  if (!screen) return kDesignDpi;
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = NewerUser32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi) {
  using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = NewerUser32Function<AdjustFunction>("AdjustWindowRectExForDpi");
  if (adjustForDpi && adjustForDpi(rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
  AdjustWindowRectEx(rect, style, FALSE, exStyle);
}

}  // namespace winui
