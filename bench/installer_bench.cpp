// The timing side of the installer throughput benchmark (bench/installer_bench.sh drives it
// under Wine). Prints one line of key=value numbers.
//   installer_bench setup <Setup.exe> <dest\>   walks Setup.exe through its pages with the
//       end-to-end driver, timing the welcome page's verification and the copying;
//   installer_bench bare <skrar.exe> <dest\> <archive>...   times skrar.exe testing, extracting
//       and listing (headers only: about what starting the processes costs) the archives, one
//       process per archive.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tests/e2e/driver.h"

namespace {

using namespace e2e;

using bench::Now;

void Fail(const char* what) {
  std::printf("error=%s\n", what);
  std::fflush(stdout);
  ExitProcess(1);
}

// Polls without sending the installer anything: a message would make it pump while timed.
template <class Condition>
bool PollUntil(Condition condition, double timeoutSeconds) {
  const double start = Now();
  while (!condition()) {
    if (Now() - start > timeoutSeconds) return false;
    Sleep(1);
  }
  return true;
}

// The top-level window of the process whose caption begins with `prefix`, shown or hidden (every
// page exists from the start). The caption is read without a message to the installer.
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

HWND PageWindow(DWORD pid, const std::wstring& prefix) {
  PageSearch s{pid, &prefix, nullptr};
  EnumWindows(MatchPage, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND Button(HWND page, const std::wstring& text) {
  HWND button = FindChild(page, text, L"Button");
  if (!button) Fail("a button is missing");
  return button;
}

void Click(HWND page, const std::wstring& text) {
  if (!WaitUntil([&] { return Press(page, text); }, 10000)) Fail("a button cannot be pressed");
}

struct Memory {
  double workingMiB = 0, peakMiB = 0;
};

Memory MemoryOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  Memory m;
  if (GetProcessMemoryInfo(process, &counters, sizeof counters)) {
    m.workingMiB = counters.WorkingSetSize / 1048576.0;
    m.peakMiB = counters.PeakWorkingSetSize / 1048576.0;
  }
  return m;
}

// skrar.exe <command> on every archive, one process after the other; the seconds they took.
double RunSkrar(const std::wstring& skrar, const std::wstring& command,
                const std::vector<std::wstring>& archives, const std::wstring& dest) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  const double start = Now();
  for (const std::wstring& archive : archives) {
    std::wstring line = L"\"" + skrar + L"\" " + command + L" \"" + archive + L"\"";
    // A backslash before the closing quote would escape it: double it.
    if (!dest.empty()) line += L" \"" + dest + (dest.back() == L'\\' ? L"\\\"" : L"\"");
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = nul;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(skrar.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
      Fail("skrar.exe did not start");
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (code != 0) Fail("skrar.exe failed");
  }
  const double seconds = Now() - start;
  CloseHandle(nul);
  return seconds;
}

struct SetupTimes {
  double verify = 0, copy = 0;
  double copied = 0;  // until the copying ended: the page then waits until it has been shown 500 ms
  Memory idle, installed;
};

SetupTimes RunSetup(const std::wstring& exe, const std::wstring& dest) {
  SetupTimes times;
  SetupProcess setup;
  if (!setup.Start(exe)) Fail("Setup.exe did not start");
  const DWORD pid = setup.pid();
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);

  HWND welcome = WaitForWindowStarting(pid, L"Вас приветствует программа установки ");
  if (!welcome) Fail("no welcome page");
  HWND readme = PageWindow(pid, L"Установка дополнительного программного обеспечения ");
  if (!readme) Fail("no additional software page");
  HWND first = Button(welcome, L"Далее>");
  HWND next = Button(welcome, L"Далее >");
  if (!WaitUntil([&] { return Enabled(first); })) Fail("the test cannot be started");
  Sleep(300);  // the page settles
  times.idle = MemoryOf(process);

  double start = Now();
  PostMessageW(first, BM_CLICK, 0, 0);
  if (!PollUntil([&] { return IsWindowEnabled(next) != FALSE; }, 300)) Fail("the verification did not pass");
  times.verify = Now() - start;
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
  HWND groupsNext = Button(page, L"Далее >");
  if (!WaitUntil([&] { return Enabled(groupsNext); })) Fail("the groups cannot be installed");
  Sleep(300);
  HWND copyPage = PageWindow(pid, L"Копирование файлов ");
  if (!copyPage) Fail("no copy page");
  HWND bar = ChildrenOfClass(copyPage, L"msctls_progress32").at(0);
  const auto shown = [](HWND w) { return IsWindowVisible(w) != FALSE; };

  start = Now();
  PostMessageW(groupsNext, BM_CLICK, 0, 0);
  // The progress bar shows while the archives are extracted and hides when they are done.
  PollUntil([&] { return shown(bar) || shown(readme); }, 600);
  PollUntil([&] { return !shown(bar) || shown(readme); }, 600);
  times.copied = Now() - start;
  if (!PollUntil([&] { return IsWindowVisible(readme) != FALSE; }, 600)) Fail("the copying did not end");
  times.copy = Now() - start;
  times.installed = MemoryOf(process);

  Click(readme, L"Далее >");
  page = WaitForWindowStarting(pid, L"Завершение установки ");
  if (!page) Fail("no finish page");
  Click(page, L"Отказаться от перезагрузки");
  Click(page, L"Готово");
  DWORD code = 1;
  if (!setup.WaitExit(kWaitMs, &code) || code != 0) Fail("Setup.exe did not end cleanly");
  CloseHandle(process);
  return times;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"setup" && argc == 4) {
    const SetupTimes installer = RunSetup(argv[2], argv[3]);
    std::printf("verify=%.3f copy=%.3f copied=%.3f idle_mib=%.1f peak_mib=%.1f\n", installer.verify,
                installer.copy, installer.copied, installer.idle.workingMiB, installer.installed.peakMiB);
    return 0;
  }
  if (mode == L"bare" && argc >= 5) {
    const std::wstring skrar = argv[2], dest = argv[3];
    const std::vector<std::wstring> archives(argv + 4, argv + argc);
    const double test = RunSkrar(skrar, L"t", archives, L"");
    const double extract = RunSkrar(skrar, L"x", archives, dest);
    // Reading the headers only: about what starting the processes costs.
    const double list = RunSkrar(skrar, L"l", archives, L"");
    std::printf("test=%.3f extract=%.3f list=%.3f\n", test, extract, list);
    return 0;
  }
  std::fprintf(stderr,
               "usage: installer_bench setup <Setup.exe> <dest\\>\n"
               "       installer_bench bare <skrar.exe> <dest\\> <archive>...\n");
  return 2;
}
