// How long the welcome page takes to test the archives of a medium of many groups (10,000 by
// default), each with an archive of its own, and how long the copy page then takes to install
// them all: run by welcome_test_bench.sh under Wine. Makes the medium, starts Setup.exe, presses
// "Далее>" and times until "Далее >" is enabled, then walks to the groups page and times the
// copying (bench/setup_walk.h), polling only. Prints one line of numbers.
//   welcome_test_bench <groups> [Setup.exe to time instead of this build's]
//   welcome_test_bench --prepare      does nothing: the script's first run makes the prefix
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "bench/setup_walk.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/medium.h"

namespace {

using namespace e2e;
using bench::Fail;
using bench::Now;

// The number of the group whose entry the copy page shows ("...part1/group123/a.txt"), read
// without a message to the installer; 0 when none shows.
BOOL CALLBACK ShownGroup(HWND child, LPARAM result) {
  wchar_t text[512] = {};
  InternalGetWindowText(child, text, 512);
  const wchar_t* group = std::wcsstr(text, L"group");
  if (std::wcsncmp(text, L"...", 3) != 0 || !group) return TRUE;
  *reinterpret_cast<int*>(result) = _wtoi(group + 5);
  return FALSE;
}

// When the copying first showed a group of each tenth of the medium (1,000 groups of 10,000).
class TenthsWatch {
 public:
  explicit TenthsWatch(int groups) : step_(groups / 10 > 0 ? groups / 10 : 1) {}
  void operator()(HWND copyPage, double seconds) {
    int group = 0;
    EnumChildWindows(copyPage, ShownGroup, reinterpret_cast<LPARAM>(&group));
    while (group >= (reached_ + 1) * step_ && reached_ < 10) times_[++reached_] = seconds;
  }
  // Milliseconds per group within each tenth that the watch saw begin and end.
  std::string PerGroup() const {
    std::string out;
    for (int k = 1; k < reached_; ++k) {
      char number[32];
      std::snprintf(number, sizeof number, "%s%.2f", out.empty() ? "" : ",",
                    1000 * (times_[k + 1] - times_[k]) / step_);
      out += number;
    }
    return out.empty() ? "-" : out;
  }

 private:
  int step_;
  int reached_ = 0;
  double times_[11] = {};
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wstring(argv[1]) == L"--prepare") return 0;
  const int groups = argc > 1 ? _wtoi(argv[1]) : 10000;
  Medium medium{L"C:\\bench-welcome\\medium"};
  if (!medium.ok()) Fail("no medium");
  if (argc > 2 && !CopyFileW(argv[2], medium.SetupExe().c_str(), FALSE)) Fail("no Setup.exe to time");
  medium.WriteFile(L"License.rtf", "{\\rtf1\\ansi Benchmark agreement.\\par}\r\n");
  std::wstring ini =
      L"[GENERAL]\nNameApplication=Sketrion 7.2\nNameCompany=Sketrion Software\nFileLicension=License.rtf\n"
      L"[GROUPS]\n";
  for (int i = 1; i <= groups; ++i) {
    const std::wstring archive = L"G" + std::to_wstring(i) + L".RAR";
    ini += std::to_wstring(i) + L"=1|" + archive + L"|Компонент " + std::to_wstring(i) + L"|-\n";
    // Three small entries in a folder of the group's own, as a small group of the product holds:
    // every group adds to the installation log. A hundred groups to a folder: Wine looks a name
    // that is not there up by reading the whole folder, which Windows does not.
    const std::string folder = "part" + std::to_string(i / 100) + "/group" + std::to_string(i) + "/";
    medium.WriteArchive(archive, {{folder + "a.txt", "first " + std::to_string(i)},
                                  {folder + "b.dat", std::string(2000, static_cast<char>('a' + i % 26))},
                                  {folder + "readme.txt", "group " + std::to_string(i)}});
  }
  medium.WriteSetupIni(ini);

  SetupProcess setup;
  if (!setup.Start(medium.SetupExe())) Fail("Setup.exe did not start");
  HWND welcome = WaitForWindowStarting(setup.pid(), L"Вас приветствует программа установки ");
  if (!welcome) Fail("no welcome page");
  HWND first = FindChild(welcome, L"Далее>");
  HWND next = FindChild(welcome, L"Далее >");
  if (!first || !next || !WaitUntil([&] { return Enabled(first); })) Fail("the test cannot be started");
  Sleep(300);  // the page settles

  const double start = Now();
  PostMessageW(first, BM_CLICK, 0, 0);
  if (!bench::PollUntil([&] { return IsWindowEnabled(next) != FALSE; }, 600))
    Fail("the test did not pass within 10 minutes");
  const double took = Now() - start;

  // The script empties the destination before each run.
  TenthsWatch tenths(groups);
  const bench::CopyTimes copying =
      bench::TimeCopying(setup.pid(), bench::WalkToGroups(setup.pid(), welcome, L"C:\\bench-welcome\\dest\\"),
                         [&](HWND page, double seconds) { tenths(page, seconds); });
  std::printf("groups=%d test_seconds=%.2f goal_seconds=60 %s copied_seconds=%.2f copy_seconds=%.2f "
              "copied_ms_per_group=%.3f ms_per_group_by_tenth=%s\n",
              groups, took, took < 60 ? "met" : "MISSED", copying.copied, copying.copy,
              1000 * copying.copied / groups, tenths.PerGroup().c_str());
  std::fflush(stdout);
  HWND readme = bench::PageWindow(setup.pid(), L"Установка дополнительного программного обеспечения ");
  PostMessageW(FindChild(readme, L"Отмена"), BM_CLICK, 0, 0);
  AnswerMessageBox(setup.pid(), IDYES);
  setup.WaitExit();
  return 0;
}
