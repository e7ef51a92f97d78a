#include "winui/window_win.h"

#include <set>
#include <string>

#include "winui/error_box_win.h"

namespace winui {

namespace {

void RegisterOnce(const WindowClass& cls, WNDPROC procedure) {
  static std::set<std::wstring> registered;
  if (!registered.insert(cls.name).second) return;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = cls.icon;
  wc.hIconSm = cls.smallIcon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = cls.background;
  wc.lpszClassName = cls.name;
  RegisterClassExW(&wc);
}

// The binding of the window being created on this thread: its first message binds it.
thread_local BoundWindow* g_creating = nullptr;

}  // namespace

BoundWindow::~BoundWindow() {
  Unbind();
  window_.Reset();
}

bool BoundWindow::Create(const WindowClass& cls, DWORD exStyle, const wchar_t* title, DWORD style,
                         int x, int y, int width, int height, HWND parent, HMENU menu) {
  RegisterOnce(cls, &BoundWindow::Procedure);
  BoundWindow* outer = g_creating;  // a window created while another one is
  g_creating = this;
  HWND created = CreateWindowExW(exStyle, cls.name, title, style, x, y, width, height, parent, menu,
                                 GetModuleHandleW(nullptr), nullptr);
  g_creating = outer;
  return created != nullptr;
}

void BoundWindow::Subclass(HWND window) {
  window_.Reset(window);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  previous_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BoundWindow::Procedure)));
}

LRESULT BoundWindow::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  return previous_ ? CallWindowProcW(previous_, window_.Get(), msg, wParam, lParam)
                   : DefWindowProcW(window_.Get(), msg, wParam, lParam);
}

void BoundWindow::Unbind() {
  if (!window_) return;
  SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, 0);
  if (previous_)
    SetWindowLongPtrW(window_.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  previous_ = nullptr;
}

LRESULT CALLBACK BoundWindow::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<BoundWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self && g_creating && !g_creating->window_ && msg != WM_NCDESTROY) {
    // The first message of a window being created: it is bound from here on.
    self = g_creating;
    self->window_.Reset(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  // Nothing escapes a window procedure: mingw's exceptions cannot cross Windows frames.
  LRESULT result = 0;
  if (!Guarded([&] { result = self->handler_.HandleMessage(msg, wParam, lParam); })) result = 0;
  if (msg == WM_NCDESTROY) {
    // Ended by Windows (with its owner, or by Destroy): nothing is left to end.
    self->Unbind();
    self->window_.Release();
  }
  return result;
}

}  // namespace winui
