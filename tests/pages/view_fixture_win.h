#pragma once
// The pages' Win32 views through real windows: the page is shown modally over an owner window,
// and the test's checks run from inside the page's own modal loop, as the user's clicks would.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "page_fixture.h"
#include "pages/views_win.h"

namespace pages::testing {

class ViewTest : public PageTest {
 protected:
  ViewTest() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &OwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SketrionViewTestOwner";
    RegisterClassW(&wc);  // fails harmlessly when already registered
    owner = CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                            0, 800, 600, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~ViewTest() override { DestroyWindow(owner); }

  // Creates the view of `page` once, as the application does at start.
  template <class PageType>
  std::unique_ptr<PageWindow> MakeView(PageType& page) {
    page.FormCreate(model.FNameApplication);
    std::unique_ptr<PageWindow> view = CreateView(page);
    // A page a failed check left open is closed by the watchdog, which cancels without asking.
    view->SetCancelQuestion([this](WindowRef window) {
      return forcing_ || model.QueryCancel(window);
    });
    view->Create(owner);
    return view;
  }

  // Shows the page modally; `whileShown` runs inside its modal loop once it is visible and
  // must end by closing it (a click on one of its buttons). Returns the modal result.
  int ShowWith(PageWindow& view, std::function<void()> whileShown) {
    whileShown_ = std::move(whileShown);
    shown_ = &view;
    forcing_ = false;
    PostMessageW(owner, WM_APP, 0, 0);
    SetTimer(owner, kWatchdog, 20000, nullptr);
    int result = view.ShowModal();
    KillTimer(owner, kWatchdog);
    shown_ = nullptr;
    return result;
  }

  // The page's child of `windowClass` whose text is `text` (any text when null).
  static HWND Child(PageWindow& view, const wchar_t* windowClass, const wchar_t* text = nullptr) {
    return FindWindowExW(view.hwnd(), nullptr, windowClass, text);
  }
  static std::wstring Text(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
  }
  // A click as the user makes it: the control's handler runs before this returns.
  static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
  // Closes the page by a button once the current event is over.
  static void ClickLater(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

  HWND owner = nullptr;

 private:
  static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ViewTest*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_APP && self && self->whileShown_) {
      auto work = std::move(self->whileShown_);
      self->whileShown_ = nullptr;
      work();
      return 0;
    }
    if (msg == WM_TIMER && wParam == kWatchdog && self) {
      KillTimer(hwnd, kWatchdog);
      ADD_FAILURE() << "the page was left open";
      self->forcing_ = true;
      if (self->shown_) PostMessageW(self->shown_->hwnd(), WM_CLOSE, 0, 0);
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  static constexpr UINT_PTR kWatchdog = 1;
  std::function<void()> whileShown_;
  PageWindow* shown_ = nullptr;
  bool forcing_ = false;
};

}  // namespace pages::testing
