// The Win32 host of a page through real windows: the modal loop, the once-per-showing
// activation, the close rules and the general error box.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "winui/error_box_win.h"
#include "pages/page_win.h"

namespace pages {
namespace {

class ProbePage : public Page {
 public:
  ProbePage() : Page(L"Проба ") {}
  void FormShow() override { ++shows; }
  void FormActivate() override {
    ++activations;
    if (onActivate) onActivate();
  }
  void SetBusyForTest(bool busy) { SetBusy(busy); }
  void Timer(int id) override {
    if (onTimer) onTimer(id);
  }

  ControlState edText;
  ControlState btNext{L"Далее >"};
  ControlState btCancel{L"Отмена"};
  ControlState btThrow{L"Ошибка"};
  int shows = 0;
  int activations = 0;
  std::function<void()> onActivate;
  std::function<void(int)> onTimer;
};

class ProbeView : public PageWindow {
 public:
  explicit ProbeView(ProbePage& page) : PageWindow(page), page_(page) {}
  HWND edit = nullptr, next = nullptr, cancel = nullptr, thrower = nullptr;

 protected:
  void CreateControls() override {
    next = BindNext(page_.btNext);
    cancel = BindCancel(page_.btCancel);
    edit = BindEdit(page_.edText, 24, 24, 300, 21);
    thrower = BindButton(page_.btThrow, 24, 60, 75, 25, mrNone,
                         [] { throw std::runtime_error("Диск переполнен"); });
  }

 private:
  ProbePage& page_;
};

// Presses the first button of the next message box titled `title` from another thread, and
// keeps the box's text.
class BoxAnswerer {
 public:
  BoxAnswerer(std::wstring title, int button) : title_(std::move(title)), button_(button) {
    thread_ = std::thread([this] { Run(); });
  }
  ~BoxAnswerer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::wstring text() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return text_;
  }
  int seen() const { return seen_; }

 private:
  void Run() {
    while (!stop_) {
      HWND box = FindWindowW(L"#32770", title_.c_str());
      if (box && IsWindowVisible(box)) {
        wchar_t buf[512] = {};
        HWND label = GetDlgItem(box, 0xFFFF);
        if (label) GetWindowTextW(label, buf, 512);
        text_ = buf;
        ++seen_;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button_)));
        Sleep(200);
      }
      Sleep(20);
    }
  }
  std::wstring title_;
  int button_;
  std::atomic<bool> stop_{false};
  std::atomic<int> seen_{0};
  std::wstring text_;
  std::thread thread_;
};

class PageWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                            600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    page.FormCreate(L"Sketrion");
    view.Create(owner);
    ASSERT_NE(view.hwnd(), nullptr);
    view.SetCancelQuestion([this](WindowRef) {
      ++questions;
      return answer;
    });
  }
  void TearDown() override {
    DestroyWindow(owner);
  }
  // Posts `msg` to `target` once the page's loop runs.
  static void Post(HWND target, UINT msg, WPARAM w = 0, LPARAM l = 0) {
    PostMessageW(target, msg, w, l);
  }

  HWND owner = nullptr;
  ProbePage page;
  ProbeView view{page};
  int questions = 0;
  bool answer = false;
};

TEST_F(PageWindowTest, NextReturnsOneWithCaptionSizeAndCentring) {
  RECT rect = {};
  bool ownerDisabled = false;
  wchar_t caption[128] = {};
  page.onActivate = [&] {
    GetWindowRect(view.hwnd(), &rect);
    ownerDisabled = !IsWindowEnabled(owner);
    GetWindowTextW(view.hwnd(), caption, 128);
    Post(view.next, BM_CLICK);
  };
  EXPECT_EQ(view.ShowModal(), mrNext);
  EXPECT_EQ(std::wstring(caption), L"Проба Sketrion");
  EXPECT_EQ(rect.right - rect.left, 640);
  EXPECT_EQ(rect.bottom - rect.top, 480);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 640) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 480) / 2);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindowVisible(view.hwnd()));
  EXPECT_EQ(questions, 0);
}

TEST_F(PageWindowTest, CancelAnsweredNoKeepsThePageAndItsInput) {
  page.onActivate = [&] {
    SetWindowTextW(view.edit, L"C:\\Программы\\");
    answer = false;
    Post(view.cancel, BM_CLICK);  // asked, No
    Post(view.hwnd(), WM_CLOSE);  // asked, No
    Post(view.hwnd(), WM_SYSCOMMAND, SC_CLOSE);  // asked, No
    Post(view.next, BM_CLICK);
  };
  EXPECT_EQ(view.ShowModal(), mrNext);
  EXPECT_EQ(questions, 3);
  EXPECT_EQ(page.edText.text, L"C:\\Программы\\");
}

TEST_F(PageWindowTest, CancelAnsweredYesReturnsTwo) {
  page.onActivate = [&] {
    answer = true;
    Post(view.hwnd(), WM_CLOSE);
  };
  EXPECT_EQ(view.ShowModal(), mrCancel);
  EXPECT_EQ(questions, 1);
}

TEST_F(PageWindowTest, ClosingIsIgnoredWhileAPassRuns) {
  page.onActivate = [&] {
    page.SetBusyForTest(true);
    answer = true;
    Post(view.hwnd(), WM_CLOSE);
    Post(view.hwnd(), WM_SYSCOMMAND, SC_CLOSE);
    Post(view.hwnd(), WM_COMMAND, IDCANCEL);
    view.StartTimer(7, 300);
  };
  page.onTimer = [&](int id) {
    view.StopTimer(id);
    page.SetBusyForTest(false);
    page.RequestClose(mrNext);
  };
  EXPECT_EQ(view.ShowModal(), mrNext);
  EXPECT_EQ(questions, 0);
}

TEST_F(PageWindowTest, ActivationRunsOncePerShowing) {
  page.onActivate = [&] {
    // Re-activation (as after a message box or Alt-Tab) must not run the work again.
    SendMessageW(view.hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageW(view.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    Post(view.hwnd(), WM_APP + 1, 1, 0);  // the activation message of the first showing again
    view.StartTimer(1, 200);
  };
  page.onTimer = [&](int id) {
    view.StopTimer(id);
    page.RequestClose(mrNext);
  };
  EXPECT_EQ(view.ShowModal(), mrNext);
  EXPECT_EQ(page.activations, 1);
  EXPECT_EQ(view.ShowModal(), mrNext);
  EXPECT_EQ(page.activations, 2);
  EXPECT_EQ(page.shows, 2);
}

TEST_F(PageWindowTest, AnErrorInAHandlerIsShownAndThePageGoesOn) {
  winui::SetApplicationTitle(L"Установка Sketrion");
  BoxAnswerer box(L"Установка Sketrion", IDOK);
  page.onActivate = [&] {
    Post(view.thrower, BM_CLICK);
    view.StartTimer(2, 100);
  };
  page.onTimer = [&](int) {
    if (box.seen() == 0) return;
    view.StopTimer(2);
    page.RequestClose(mrNext);
  };
  EXPECT_EQ(view.ShowModal(), mrNext);
  EXPECT_EQ(box.text(), L"Диск переполнен.");
  winui::SetApplicationTitle(L"Setup");
}

}  // namespace
}  // namespace pages
