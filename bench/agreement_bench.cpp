// The agreement page with the largest agreement it shows: run by agreement_bench.sh under Wine.
// Makes a medium whose agreement is `mib` MiB of plain or rich text (the page's bound by
// default), walks Setup.exe to the agreement page and measures, polling only:
//   shown_ms       from "Далее >" on the welcome page until the agreement's start is shown;
//   first_seconds  until the viewer stops growing by itself (the part it loads without a reader),
//                  first_chars what it holds then, and first_mib / first_commit_mib the
//                  installer's working set and committed memory then;
//   accept_ms      from "Принимаю" until "Далее >" is enabled;
//   end_seconds    reading on to the end, the scroll box dragged to the bottom again and again,
//                  until the viewer grows no more (end_chars against chars, the agreement's) or
//                  says it has no room for the rest (end=no-room; end=installer-gone when
//                  Setup.exe ended instead), with peak_mib and peak_commit_mib;
//   stall_ms       the longest the installer's windows did not answer all along.
// Prints one line of key=value pairs.   agreement_bench <txt|rtf> [mib]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

#include "bench/bench_support.h"
#include "pages/license.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/medium.h"

namespace {

using namespace e2e;

using bench::Fail;
using bench::Now;

// An agreement of exactly `bytes` bytes, in paragraphs of some 40 characters; `shown` receives
// how many characters of text the viewer holds once it is in (line ends counted as one).
std::string MakeAgreement(bool rich, size_t bytes, size_t* shown) {
  std::string text = rich ? "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 " : "";
  *shown = 0;
  const std::string end = rich ? "Last line.}" : "Last line.";
  for (int i = 0;; ++i) {
    const std::string words = "Paragraph " + std::to_string(i) + " of a long agreement.";
    const std::string line =
        rich ? "{\\b " + words.substr(0, 9) + "}" + words.substr(9) + "\\par\r\n" : words + "\r\n";
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
  double workingMiB = 0, commitMiB = 0;
};

// The process's working set and committed memory: now, or the most they have been.
Memory MemoryOf(DWORD pid, bool peak) {
  Memory m;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return m;
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process, &counters, sizeof counters)) {
    m.workingMiB = (peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize) / 1048576.0;
    m.commitMiB = (peak ? counters.PeakPagefileUsage : counters.PagefileUsage) / 1048576.0;
  }
  CloseHandle(process);
  return m;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Fail("usage: agreement_bench <txt|rtf> [mib]");
  const bool rich = std::wcscmp(argv[1], L"rtf") == 0;
  const size_t bytes =
      argc > 2 ? static_cast<size_t>(_wtoi(argv[2])) << 20 : pages::kMaxAgreementBytes;
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
  auto stopWatching = [&] {
    loading = false;
    if (watch.joinable()) watch.join();
  };

  const double start = Now();
  PostMessageW(next, BM_CLICK, 0, 0);
  HWND license = WaitForWindowStarting(setup.pid(), L"\x0043оглашение об использовании ", 600000);
  HWND viewer = nullptr;
  for (const wchar_t* cls : {L"RICHEDIT50W", L"RichEdit20W"})
    if (!viewer && license && !ChildrenOfClass(license, cls).empty())
      viewer = ChildrenOfClass(license, cls)[0];
  if (!viewer) {
    stopWatching();
    return Fail("no agreement viewer");
  }
  auto length = [&] {
    DWORD_PTR got = 0;
    SendMessageTimeoutW(viewer, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 600000, &got);
    return static_cast<size_t>(got);
  };
  WaitUntil([&] { return length() > 0; }, 600000);
  const double shownMs = (Now() - start) * 1000;

  // What the viewer loads by itself: it stops growing for a few seconds.
  size_t chars = 0;
  double grown = Now();
  while (Now() - grown < 5 && chars < shown) {
    Sleep(250);
    const size_t now = length();
    if (now != chars) grown = Now();
    chars = now;
  }
  const double firstSeconds = grown - start;
  const size_t firstChars = chars;
  const Memory first = MemoryOf(setup.pid(), false);

  const double clicked = Now();
  HWND yes = FindChild(license, L"Принимаю"), accept = FindChild(license, L"Далее >");
  PostMessageW(yes, BM_CLICK, 0, 0);
  if (!WaitUntil([&] { return Enabled(accept); }, 60000)) {
    stopWatching();
    return Fail("next stayed off");
  }
  const double acceptMs = (Now() - clicked) * 1000;

  // Reading on: the scroll box to the bottom, until the viewer grows no more (the whole text is
  // in: compare end_chars with chars) or it has no room for more (it takes "Принимаю" away).
  const double reading = Now();
  grown = reading;
  bool noRoom = false;
  while (setup.Running() && !(noRoom = !Enabled(yes)) && Now() - grown < 15 &&
         Now() - reading < 4 * 3600) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(viewer, WM_VSCROLL, SB_BOTTOM, 0, SMTO_NORMAL, 600000, &ignored);
    Sleep(500);
    const size_t now = length();
    if (now != chars) grown = Now();
    chars = now;
  }
  const double endSeconds = grown - reading;
  const bool alive = setup.Running() && IsWindow(license);
  stopWatching();
  const Memory peak = MemoryOf(setup.pid(), true);
  std::printf(
      "kind=%ls mib=%.1f chars=%zu shown_ms=%.0f first_seconds=%.1f first_chars=%zu "
      "first_mib=%.0f first_commit_mib=%.0f accept_ms=%.0f end=%s end_seconds=%.0f "
      "end_chars=%zu peak_mib=%.0f peak_commit_mib=%.0f stall_ms=%lu\n",
      argv[1], bytes / 1048576.0, shown, shownMs, firstSeconds, firstChars, first.workingMiB,
      first.commitMiB, acceptMs,
      !alive   ? "installer-gone"
      : noRoom ? "no-room"
               : "grew-no-more",
      endSeconds, chars, peak.workingMiB, peak.commitMiB,
      static_cast<unsigned long>(slowest.load()));
  PostMessageW(FindChild(license, L"Отмена"), BM_CLICK, 0, 0);
  AnswerMessageBox(setup.pid(), IDYES);
  setup.WaitExit();
  return 0;
}
