// How long the welcome page takes to test the archives of a medium of many groups (10,000 by
// default), each with an archive of its own: run by welcome_test_bench.sh under Wine. Makes the
// medium, starts Setup.exe, presses "Далее>" and times until "Далее >" is enabled, polling only
// (a message to the installer would make it pump while timed). Prints one line of numbers.
//   welcome_test_bench <groups>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "bench/bench_support.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/medium.h"

namespace {

using namespace e2e;

using bench::Fail;
using bench::Now;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int groups = argc > 1 ? _wtoi(argv[1]) : 10000;
  Medium medium{L"C:\\bench-welcome\\medium"};
  if (!medium.ok()) return Fail("no medium");
  std::wstring ini = L"[GENERAL]\nNameApplication=Sketrion 7.2\nNameCompany=Sketrion Software\n[GROUPS]\n";
  for (int i = 1; i <= groups; ++i) {
    const std::wstring archive = L"G" + std::to_wstring(i) + L".RAR";
    ini += std::to_wstring(i) + L"=1|" + archive + L"|Компонент " + std::to_wstring(i) + L"|-\n";
    // Three small entries in a folder, as a small group of the product holds.
    medium.WriteArchive(archive, {{"data/a.txt", "first " + std::to_string(i)},
                                  {"data/b.dat", std::string(2000, static_cast<char>('a' + i % 26))},
                                  {"readme.txt", "group " + std::to_string(i)}});
  }
  medium.WriteSetupIni(ini);

  SetupProcess setup;
  if (!setup.Start(medium.SetupExe())) return Fail("Setup.exe did not start");
  HWND welcome = WaitForWindowStarting(setup.pid(), L"Вас приветствует программа установки ");
  if (!welcome) return Fail("no welcome page");
  HWND first = FindChild(welcome, L"Далее>");
  HWND next = FindChild(welcome, L"Далее >");
  if (!first || !next || !WaitUntil([&] { return Enabled(first); })) return Fail("the test cannot be started");
  Sleep(300);  // the page settles

  const double start = Now();
  PostMessageW(first, BM_CLICK, 0, 0);
  while (!IsWindowEnabled(next)) {
    if (Now() - start > 600) return Fail("the test did not pass within 10 minutes");
    Sleep(5);
  }
  const double took = Now() - start;
  std::printf("groups=%d test_seconds=%.2f goal_seconds=60 %s\n", groups, took, took < 60 ? "met" : "MISSED");
  PostMessageW(FindChild(welcome, L"Отмена"), BM_CLICK, 0, 0);
  AnswerMessageBox(setup.pid(), IDYES);
  setup.WaitExit();
  return 0;
}
