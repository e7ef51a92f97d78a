#include "tests/e2e/scenario.h"

namespace e2e {

namespace {
std::string Narrow(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                              0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n,
                      nullptr, nullptr);
  return out;
}

std::string Captions(DWORD pid) {
  std::string all;
  for (const std::wstring& c : VisibleCaptions(pid)) all += " [" + Narrow(c) + "]";
  return all;
}
}  // namespace

SetupRun::SetupRun(const Medium& medium, const std::wstring& scenario,
                   const std::wstring& arguments)
    : screenshots_(ScreenshotFolder(scenario)) {
  EXPECT_TRUE(medium.ok()) << "the medium could not be made";
  EXPECT_TRUE(process_.Start(medium.SetupExe(), arguments)) << "Setup.exe did not start";
}

HWND SetupRun::Page(const std::wstring& caption, const std::wstring& name) {
  HWND page = WaitForWindow(pid(), caption);
  EXPECT_NE(page, nullptr) << "no page \"" << Narrow(caption) << "\"; visible:" << Captions(pid());
  if (!page) return nullptr;
  RECT r;
  GetWindowRect(page, &r);
  EXPECT_EQ(r.right - r.left, 640) << Narrow(caption);
  EXPECT_EQ(r.bottom - r.top, 480) << Narrow(caption);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 640) / 2) << Narrow(caption);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 480) / 2) << Narrow(caption);
  ++shot_;
  wchar_t number[8];
  wsprintfW(number, L"%02d-", shot_);
  Sleep(150);  // let the page paint before it is photographed
  SaveScreenshot(page, screenshots_ + number + name + L".bmp");
  return page;
}

void SetupRun::Press(HWND page, const std::wstring& button, bool closes) {
  ASSERT_NE(page, nullptr);
  // A button the page enables in answer to an event may need a moment.
  bool pressed = WaitUntil([&] { return e2e::Press(page, button); }, 5000);
  ASSERT_TRUE(pressed) << "cannot press \"" << Narrow(button) << "\" on \"" << Narrow(Text(page))
                       << "\"";
  if (closes) {
    EXPECT_TRUE(WaitGone(page)) << "\"" << Narrow(Text(page)) << "\" stayed open";
  }
}

void SetupRun::AnswerCancelQuestion(int button, const std::wstring& expectedTitle) {
  MessageBoxSeen box = AnswerMessageBox(pid(), button);
  ASSERT_TRUE(box.found) << "no cancel question";
  EXPECT_EQ(box.text, L"Прекратить установку программы?");
  EXPECT_EQ(box.title, expectedTitle);
}

void SetupRun::ExpectEnded() {
  DWORD code = 1234;
  EXPECT_TRUE(process_.WaitExit(kWaitMs, &code)) << "Setup.exe is still running;" << Captions(pid());
  EXPECT_EQ(code, 0u);
}

}  // namespace e2e
