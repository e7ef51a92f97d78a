#pragma once
// One window procedure for every window of ours. A BoundWindow owns one window and hands each of
// its messages to a handler object through the general error boundary; a window class is
// registered once, on its first use. When Windows ends the window (with its owner), the binding
// lets go of the handle, and once the binding is gone no message reaches the handler.
#include <windows.h>

#include "platform/win32/scoped_win.h"

namespace winui {

class MessageHandler {
 public:
  // Called for every message, WM_NCDESTROY last; what it does not take goes to
  // BoundWindow::Default.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~MessageHandler() = default;
};

// A class of our own windows: its name and what Windows draws with.
struct WindowClass {
  const wchar_t* name = nullptr;
  HBRUSH background = nullptr;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
};

class BoundWindow {
 public:
  explicit BoundWindow(MessageHandler& handler) : handler_(handler) {}
  // Unbinds first, so the window's end reaches no half-destroyed handler, then ends it.
  ~BoundWindow();
  BoundWindow(const BoundWindow&) = delete;
  BoundWindow& operator=(const BoundWindow&) = delete;

  // Creates a window of `cls`, bound to the handler from its first message; false when Windows
  // refuses.
  bool Create(const WindowClass& cls, DWORD exStyle, const wchar_t* title, DWORD style, int x,
              int y, int width, int height, HWND parent, HMENU menu = nullptr);
  // Takes over a window of another class (a common control): its own procedure then handles
  // what the handler leaves to Default.
  void Subclass(HWND window);
  // What Windows does with a message the handler leaves.
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  // Ends the window now; the messages of its end still reach the handler.
  void Destroy() { window_.Reset(); }
  // From now on no message reaches the handler: for a handler whose end begins before the
  // binding's.
  void Unbind();

  HWND Get() const { return window_.Get(); }
  explicit operator bool() const { return static_cast<bool>(window_); }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  MessageHandler& handler_;
  platform::ScopedWindow window_;
  WNDPROC previous_ = nullptr;  // the class's own procedure of a subclassed window
};

}  // namespace winui
