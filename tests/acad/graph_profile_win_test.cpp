// The graphic editor page through its real window: the three drop-down lists mirror the page's
// state, the user's choices and typing reach its handlers, and Next creates the profile.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include "acad/autocad.h"
#include "pages/graph_profile.h"
#include "pages/page_win.h"
#include "pages/views_win.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/scripted_message_boxes.h"
#include "setup/setup.h"
#include "tests/acad/acad_fixture.h"

namespace pages {
namespace {

BOOL CALLBACK CollectCombo(HWND child, LPARAM all) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (lstrcmpiW(cls, L"ComboBox") == 0) reinterpret_cast<std::vector<HWND>*>(all)->push_back(child);
  return TRUE;
}

// The page's drop-down lists in creation order.
std::vector<HWND> Combos(HWND page) {
  std::vector<HWND> found;
  EnumChildWindows(page, CollectCombo, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring Text(HWND hwnd) {
  wchar_t buf[256] = {};
  GetWindowTextW(hwnd, buf, 256);
  return buf;
}

HWND ButtonNamed(HWND page, const wchar_t* text) {
  HWND child = nullptr;
  while ((child = FindWindowExW(page, child, L"Button", nullptr)) != nullptr)
    if (Text(child) == text) return child;
  return nullptr;
}

// Tells the page a combo box changed, as the control itself would.
void Notify(HWND page, HWND combo, int code) {
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), code), reinterpret_cast<LPARAM>(combo));
}

class GraphProfileWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    setup::SetupPlatform p;
    p.system = &system_;
    p.registry = &registry_;
    p.messageBoxes = &boxes_;
    model_ = std::make_unique<setup::TSetup>(p);
    model_->FNameApplication = L"Sketrion 7";
    model_->FGraphProfile = L"Схемы";
    for (auto [type, name, profiles] :
         {std::tuple{acad::geACAD2004, L"AutoCAD 2004", std::vector<std::wstring>{L"Рабочий"}},
          std::tuple{acad::geACAD2005, L"AutoCAD 2005", std::vector<std::wstring>{L"Первый", L"Второй"}}}) {
      acadtest::ReleaseLayout r;
      r.type = type;
      r.productName = name;
      r.location = std::wstring(L"C:\\") + name;
      r.profiles = profiles;
      acadtest::LayOutRelease(registry_, [this](const std::wstring& f) { files_.PutFile(f, "MZ"); }, r);
      layouts_.push_back(r);
    }
    acad_ = std::make_unique<acad::TAutoCAD>(registry_, [this](const std::wstring& f) {
      return files_.Kind(f) == platform::PathKind::File;
    });
    acad_->GetReleases(names_);
    page_ = std::make_unique<TfmGraphProfile>(*model_, *acad_, names_);
    page_->FormCreate(L"Sketrion 7");
    view_ = CreateView(*page_);
    view_->Create(nullptr);
    ASSERT_NE(view_->hwnd(), nullptr);
  }

  // Runs `steps` on another thread once the page is shown, then returns the modal result.
  int ShowAndDrive(std::function<void(HWND)> steps) {
    HWND page = view_->hwnd();
    std::thread driver([page, steps] {
      for (int i = 0; i < 500 && !IsWindowVisible(page); ++i) Sleep(10);
      steps(page);
    });
    int result = view_->ShowModal();
    driver.join();
    return result;
  }

  platform::FakeRegistry registry_;
  platform::FakeSystem system_;
  platform::FakeFileSystem files_;
  platform::ScriptedMessageBoxes boxes_;
  std::unique_ptr<setup::TSetup> model_;
  std::unique_ptr<acad::TAutoCAD> acad_;
  acad::TAutoCADReleaseList names_;
  std::vector<acadtest::ReleaseLayout> layouts_;
  std::unique_ptr<TfmGraphProfile> page_;
  std::unique_ptr<PageWindow> view_;
};

TEST_F(GraphProfileWindow, ListsFollowTheUserAndNextCreatesTheProfile) {
  std::atomic<int> checks{0};
  int result = ShowAndDrive([&](HWND page) {
    std::vector<HWND> combos = Combos(page);
    ASSERT_EQ(combos.size(), 3u);
    HWND editor = combos[0], profile = combos[1], templ = combos[2];
    EXPECT_EQ(SendMessageW(editor, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(editor, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Text(profile), L"Схемы");
    EXPECT_TRUE(IsWindowVisible(templ));  // "Схемы" is a new name

    // The second release: its two profiles fill both lists.
    SendMessageW(editor, CB_SETCURSEL, 1, 0);
    Notify(page, editor, CBN_SELCHANGE);
    EXPECT_EQ(SendMessageW(profile, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(templ, CB_GETCOUNT, 0, 0), 2);

    // Typing an existing name hides the template list; a new one with a blank shows it again.
    SetWindowTextW(profile, L"первый");
    Notify(page, profile, CBN_EDITCHANGE);
    EXPECT_FALSE(IsWindowVisible(templ));
    SetWindowTextW(profile, L"Новый ");
    Notify(page, profile, CBN_EDITCHANGE);
    EXPECT_EQ(Text(profile), L"Новый ");  // the blank stays while the user types
    EXPECT_TRUE(IsWindowVisible(templ));
    // The second template, chosen by the user.
    SendMessageW(templ, CB_SETCURSEL, 1, 0);
    Notify(page, templ, CBN_SELCHANGE);
    checks = 1;
    PostMessageW(ButtonNamed(page, L"Далее >"), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(checks, 1);
  EXPECT_EQ(result, mrNext);
  EXPECT_EQ(model_->FGraphEditor, L"AutoCAD 2005");
  EXPECT_EQ(model_->FGraphProfile, L"Новый");
  EXPECT_EQ(page_->cbTemplateProfile.control.text, L"Первый");  // sorted: "Второй", "Первый"
  platform::RegValue description;
  EXPECT_EQ(registry_.ReadValue(platform::RegRoot::CurrentUser,
                                acadtest::ProfilesKey(layouts_[1]) + L"\\Новый", L"", &description),
            platform::RegStatus::Ok);
  EXPECT_EQ(platform::ValueText(description), L"Sketrion 7");
}

}  // namespace
}  // namespace pages
