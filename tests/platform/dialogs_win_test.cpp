// Message boxes through MessageBoxW, answered by a second thread that finds the box, reads it
// and presses a button, as a user would.
#include <windows.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "platform/file_system.h"
#include "platform/win32/dialogs_win.h"
#include "setup/setup.h"

namespace {

struct SeenBox {
  bool found = false;
  std::wstring text;
  bool has[IDNO + 1] = {};  // which of IDOK..IDNO the box offers
};

// Shows a box through show() while a second thread waits for the window titled `caption`,
// records it and presses `press`.
template <typename Show>
SeenBox AnswerBox(const std::wstring& caption, int press, Show show) {
  SeenBox seen;
  std::atomic<bool> done{false};
  std::thread presser([&] {
    for (int i = 0; i < 1000 && !done; ++i) {
      HWND box = FindWindowW(L"#32770", caption.c_str());
      if (!box) {
        Sleep(10);
        continue;
      }
      wchar_t text[512] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 512);
      seen.text = text;
      for (int id = IDOK; id <= IDNO; ++id) seen.has[id] = GetDlgItem(box, id) != nullptr;
      seen.found = true;
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, press)));
      return;
    }
  });
  show();
  done = true;
  presser.join();
  return seen;
}

TEST(Win32MessageBoxes, ShowTheTextAndButtonsAndReturnThePressedOne) {
  platform::Win32MessageBoxes boxes;
  platform::MsgAnswer answer = platform::MsgAnswer::None;
  SeenBox seen = AnswerBox(L"Проверка окна", IDNO, [&] {
    answer = boxes.Show(nullptr, L"Текст вопроса", L"Проверка окна", platform::MsgButtons::YesNo,
                        platform::MsgIcon::Question);
  });
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, L"Текст вопроса");
  EXPECT_TRUE(seen.has[IDYES]);
  EXPECT_TRUE(seen.has[IDNO]);
  EXPECT_FALSE(seen.has[IDOK]);
  EXPECT_EQ(answer, platform::MsgAnswer::No);
}

class ModelMessages : public testing::Test {
 protected:
  ModelMessages() : model(setup::SetupPlatform{&platform::RealFileSystem(), &system, &registry, &boxes, nullptr}) {
    model.FCaption = L"Установка Электро";
  }
  platform::FakeSystem system;
  platform::FakeRegistry registry;
  platform::Win32MessageBoxes boxes;
  setup::TSetup model;
};

TEST_F(ModelMessages, QueryCancelIsTrueOnlyForYes) {
  bool cancel = false;
  SeenBox seen = AnswerBox(model.FCaption, IDYES, [&] { cancel = model.QueryCancel(nullptr); });
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, L"Прекратить установку программы?");
  EXPECT_TRUE(cancel);
  seen = AnswerBox(model.FCaption, IDNO, [&] { cancel = model.QueryCancel(nullptr); });
  ASSERT_TRUE(seen.found);
  EXPECT_FALSE(cancel);
}

TEST_F(ModelMessages, ShowMsgOffersOkAndCancel) {
  SeenBox seen = AnswerBox(model.FCaption, IDCANCEL, [&] { model.ShowMsg(nullptr, L"Недостаточно места на диске"); });
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, L"Недостаточно места на диске");
  EXPECT_TRUE(seen.has[IDOK]);
  EXPECT_TRUE(seen.has[IDCANCEL]);
  EXPECT_FALSE(seen.has[IDYES]);
}

}  // namespace
