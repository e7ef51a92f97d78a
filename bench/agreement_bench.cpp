// The agreement page with the largest agreement it shows: run by agreement_bench.sh under Wine.
// Makes a medium whose agreement is `mib` MiB of plain or rich text (the page's bound by
// default), walks Setup.exe to the agreement page and measures, polling only:
//   load_seconds   from "Далее >" on the welcome page until the viewer holds the whole text;
//   stall_ms       the longest the installer's windows did not answer meanwhile;
//   accept_ms      from "Принимаю" until "Далее >" is enabled, once the text is in;
//   peak_mib       the installer's peak working set, and commit_mib its peak committed memory.
// Prints one line of key=value pairs.   agreement_bench <txt|rtf> [mib]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

#include "pages/license.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/medium.h"

namespace {

using namespace e2e;

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(f.QuadPart);
}

int Fail(const char* what) {
  std::printf("error=%s\n", what);
  return 1;
}

// An agreement of exactly `bytes` bytes, in paragraphs of some 40 characters; `shown` receives
// how many characters of text the viewer holds once it is in (line ends counted as one).
std::string MakeAgreement(bool rich, size_t bytes, size_t* shown) {
  std::string text = rich ? "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 " : "";
  *shown = 0;
  const std::string end = rich ? "Last line.}" : "Last line.";
  for (int i = 0;; ++i) {
    const std::string words = "Paragraph " + std::to_string(i) + " of a long agreement.";
    const std::string line = rich ? "{\\b " + words.substr(0, 9) + "}" + words.substr(9) + "\\par\r\n"
                                  : words + "\r\n";
    if (text.size() + line.size() + end.size() > bytes) break;
    text += line;
    *shown += words.size() + 1;
  }
  // The rest of the bytes as one more paragraph, so the file is exactly as large as asked.
  const size_t fill = bytes - text.size() - end.size();
  text += std::string(fill, 'x');
  text += end;
  *shown += fill + 10;
  return text;
}

struct Memory {
  double peakMiB = 0, commitMiB = 0;
};

Memory PeakMemory(DWORD pid) {
  Memory m;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return m;
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process, &counters, sizeof counters)) {
    m.peakMiB = counters.PeakWorkingSetSize / 1048576.0;
    m.commitMiB = counters.PeakPagefileUsage / 1048576.0;
  }
  CloseHandle(process);
  return m;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Fail("usage: agreement_bench <txt|rtf> [mib]");
  const bool rich = std::wcscmp(argv[1], L"rtf") == 0;
  const size_t bytes = argc > 2 ? static_cast<size_t>(_wtoi(argv[2])) << 20 : pages::kMaxAgreementBytes;
  const std::wstring file = rich ? L"Agreement.rtf" : L"Agreement.txt";

  Medium medium{L"C:\\bench-agreement\\medium"};
  if (!medium.ok()) return Fail("no medium");
  size_t shown = 0;
  medium.WriteFile(file, MakeAgreement(rich, bytes, &shown));
  medium.WriteSetupIni(L"[GENERAL]\nNameApplication=Sketrion 7.2\nFileLicension=" + file +
                       L"\n[GROUPS]\n1=1|BASE.RAR|Основные файлы|-\n");
  medium.WriteArchive(L"BASE.RAR", {{"readme.txt", "hello"}});

  SetupProcess setup;
  if (!setup.Start(medium.SetupExe())) return Fail("Setup.exe did not start");
  HWND welcome = WaitForWindowStarting(setup.pid(), L"Вас приветствует программа установки ");
  if (!welcome) return Fail("no welcome page");
  HWND test = FindChild(welcome, L"Далее>"), next = FindChild(welcome, L"Далее >");
  if (!test || !next || !WaitUntil([&] { return Enabled(test); })) return Fail("no archive test");
  PostMessageW(test, BM_CLICK, 0, 0);
  if (!WaitUntil([&] { return Enabled(next); }, 60000)) return Fail("the archive test failed");
  HWND background = FindWindowOfClass(setup.pid(), L"TfmMainSetup");

  // The windows answer all along: a message the installer's thread must take, every 50 ms.
  std::atomic<bool> loading{true};
  std::atomic<DWORD> slowest{0};
  std::thread watch([&] {
    while (loading) {
      const DWORD start = GetTickCount();
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(background, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &answer);
      slowest = std::max<DWORD>(slowest, GetTickCount() - start);
      Sleep(50);
    }
  });

  const double start = Now();
  PostMessageW(next, BM_CLICK, 0, 0);
  HWND license = WaitForWindowStarting(setup.pid(), L"\x0043оглашение об использовании ", 600000);
  HWND viewer = nullptr;
  for (const wchar_t* cls : {L"RICHEDIT50W", L"RichEdit20W"})
    if (!viewer && license && !ChildrenOfClass(license, cls).empty())
      viewer = ChildrenOfClass(license, cls)[0];
  // The viewer's length as it grows; whole once it holds every character (Windows may count a
  // line end as two).
  LRESULT length = 0;
  const bool whole = viewer && WaitUntil([&] {
    DWORD_PTR got = 0;
    if (SendMessageTimeoutW(viewer, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 600000, &got)) length = got;
    return static_cast<size_t>(length) >= shown;
  }, 4 * 3600 * 1000);
  const double loaded = Now() - start;
  loading = false;
  watch.join();
  if (!whole) {
    std::printf("error=the viewer holds %ld of %zu characters after %.0f s\n", static_cast<long>(length),
                shown, loaded);
    return 1;
  }

  const double clicked = Now();
  PostMessageW(FindChild(license, L"Принимаю"), BM_CLICK, 0, 0);
  HWND accept = FindChild(license, L"Далее >");
  if (!WaitUntil([&] { return Enabled(accept); }, 60000)) return Fail("next stayed off");
  const double acceptMs = (Now() - clicked) * 1000;
  const Memory memory = PeakMemory(setup.pid());
  std::printf("kind=%ls mib=%.1f load_seconds=%.1f stall_ms=%lu accept_ms=%.0f peak_mib=%.0f commit_mib=%.0f\n",
              argv[1], bytes / 1048576.0, loaded, static_cast<unsigned long>(slowest.load()), acceptMs,
              memory.peakMiB, memory.commitMiB);
  PostMessageW(FindChild(license, L"Отмена"), BM_CLICK, 0, 0);
  AnswerMessageBox(setup.pid(), IDYES);
  setup.WaitExit();
  return 0;
}
