#include "bench/setup_walk.h"

#include <cstdio>

#include "tests/e2e/driver.h"

namespace bench {
namespace {

using namespace e2e;

struct PageSearch {
  DWORD pid;
  const std::wstring* prefix;
  HWND found;
};

BOOL CALLBACK MatchPage(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<PageSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t text[512] = {};
  if (pid != s->pid || !InternalGetWindowText(window, text, 512)) return TRUE;
  if (std::wstring(text).compare(0, s->prefix->size(), *s->prefix) != 0) return TRUE;
  s->found = window;
  return FALSE;
}

HWND Button(HWND page, const std::wstring& text) {
  HWND button = FindChild(page, text, L"Button");
  if (!button) Fail("a button is missing");
  return button;
}

}  // namespace

void Click(HWND page, const std::wstring& text) {
  if (!WaitUntil([&] { return Press(page, text); }, 10000)) Fail("a button cannot be pressed");
}

void Fail(const char* what) {
  std::printf("error=%s\n", what);
  std::fflush(stdout);
  ExitProcess(1);
}

HWND PageWindow(DWORD pid, const std::wstring& prefix) {
  PageSearch s{pid, &prefix, nullptr};
  EnumWindows(MatchPage, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WalkToGroups(DWORD pid, HWND welcome, const std::wstring& dest) {
  Click(welcome, L"Далее >");
  HWND page = WaitForWindowStarting(pid, L"Cоглашение об использовании ");  // Latin C
  if (!page) Fail("no agreement page");
  Click(page, L"Принимаю");
  Click(page, L"Далее >");
  page = WaitForWindowStarting(pid, L"Размещение ");
  if (!page) Fail("no destination page");
  SetEditText(ChildrenOfClass(page, L"Edit").at(0), dest);
  Click(page, L"Далее >");
  page = WaitForWindowStarting(pid, L"Компоненты ");
  if (!page) Fail("no groups page");
  HWND next = Button(page, L"Далее >");
  if (!WaitUntil([&] { return Enabled(next); })) Fail("the groups cannot be installed");
  Sleep(300);  // the page settles
  return page;
}

CopyTimes TimeCopying(DWORD pid, HWND groups, const CopyWatch& watch) {
  HWND next = Button(groups, L"Далее >");
  HWND readme = PageWindow(pid, L"Установка дополнительного программного обеспечения ");
  if (!readme) Fail("no additional software page");
  HWND copyPage = PageWindow(pid, L"Копирование файлов ");
  if (!copyPage) Fail("no copy page");
  HWND bar = ChildrenOfClass(copyPage, L"msctls_progress32").at(0);
  const auto shown = [](HWND w) { return IsWindowVisible(w) != FALSE; };

  CopyTimes times;
  const double start = Now();
  PostMessageW(next, BM_CLICK, 0, 0);
  // The progress bar shows while the archives are extracted and hides when they are done.
  PollUntil([&] { return shown(bar) || shown(readme); }, 3600);
  double watched = 0;
  PollUntil(
      [&] {
        if (watch && Now() - start >= watched + 0.02) {
          watched = Now() - start;
          watch(copyPage, watched);
        }
        return !shown(bar) || shown(readme);
      },
      3600);
  times.copied = Now() - start;
  if (!PollUntil([&] { return shown(readme); }, 600)) Fail("the copying did not end");
  times.copy = Now() - start;
  return times;
}

}  // namespace bench
