// How long the folder chooser takes to open a branch of many folders, and whether its window
// answers meanwhile. Setup.exe runs as in the end-to-end scenarios: the destination page's field
// is set to the big folder, "Обзор" opens the chooser on it, and Right opens the branch, as the
// user would. The time runs from the key to the moment the branch is expanded with all its
// folders and painted; a second thread samples IsHungAppWindow all the while. Then Left closes
// the branch (which forgets its folders) and Right opens it again, a few times.
//
// Usage: folder_tree_bench.exe [folders] [rounds]    (defaults 10000 and 5)
//        folder_tree_bench.exe --prepare              (does nothing: the prefix is made)
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/medium.h"

using namespace e2e;

namespace {

const wchar_t kBig[] = L"C:\\bench-tree\\Many";
const wchar_t kChooser[] = L"Выбор пути для установки";

using bench::Now;

int Fail(const char* what) {
  std::printf("FAILED: %s\n", what);
  return 1;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The folders of the big branch ("F00000", "F00001", ...), with one subfolder in every
// hundredth, so that some of them have an expand button. folder_tree_bench.sh makes them from
// the host, which is much faster than Wine; made here when they are missing.
bool MakeBigFolder(int count, double* seconds) {
  double start = Now();
  wchar_t last[MAX_PATH];
  std::swprintf(last, MAX_PATH, L"%ls\\F%05d", kBig, count - 1);
  if (Exists(last)) return true;
  CreateDirectoryW(L"C:\\bench-tree", nullptr);
  CreateDirectoryW(kBig, nullptr);
  for (int i = 0; i < count; ++i) {
    wchar_t path[MAX_PATH];
    std::swprintf(path, MAX_PATH, L"%ls\\F%05d", kBig, i);
    if (!CreateDirectoryW(path, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (i % 100 == 0) {
      std::wcscat(path, L"\\Inner");
      CreateDirectoryW(path, nullptr);
    }
  }
  *seconds = Now() - start;
  return true;
}

// Replies of the chooser's tree, each with a time limit so a hang cannot stop the benchmark.
LRESULT Ask(HWND tree, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(tree, msg, wParam, lParam, SMTO_NORMAL, 30000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

bool Expanded(HWND tree, HTREEITEM item) {
  return (Ask(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

// Every item of the tree (one reply, where walking 10,000 children would take longer than the
// fill itself).
LRESULT ItemCount(HWND tree) { return Ask(tree, TVM_GETCOUNT, 0, 0); }

void Key(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

// IsHungAppWindow sampled every 20 ms on a thread of its own (it never blocks).
class HungSampler {
 public:
  explicit HungSampler(HWND window)
      : thread_([this, window] {
          while (!stop_) {
            ++samples_;
            if (IsHungAppWindow(window)) ++hung_;
            Sleep(20);
          }
        }) {}
  ~HungSampler() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  int samples() const { return samples_; }
  int hung() const { return hung_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int> samples_{0}, hung_{0};
  std::thread thread_;
};

struct Round {
  double shown = 0;        // key to expanded, filled and painted (s)
  double longestWait = 0;  // the longest a message to the window waited for its reply (s)
  int samples = 0, hung = 0;
  bool ok = false;
};

// Presses `key` on the tree and waits until the item is expanded (or collapsed), the tree holds
// `items` items and nothing is left to paint.
Round TimeKey(HWND chooser, HWND tree, HTREEITEM item, WPARAM key, bool expanded, LRESULT items) {
  Round round;
  HungSampler sampler(chooser);
  const double start = Now();
  Key(tree, key);
  const double limit = start + 60;
  while (Now() < limit) {
    double asked = Now();
    bool state = Expanded(tree, item);
    round.longestWait = std::max(round.longestWait, Now() - asked);
    if (state == expanded && ItemCount(tree) == items &&
        !GetUpdateRect(tree, nullptr, FALSE) && !GetUpdateRect(chooser, nullptr, FALSE)) {
      round.shown = Now() - start;
      round.ok = true;
      break;
    }
    Sleep(5);
  }
  sampler.Stop();
  round.samples = sampler.samples();
  round.hung = sampler.hung();
  return round;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wcscmp(argv[1], L"--prepare") == 0) return 0;
  const int folders = argc > 1 ? _wtoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? _wtoi(argv[2]) : 5;
  double made = 0;
  if (!MakeBigFolder(folders, &made)) return Fail("cannot make the folders");
  std::printf("folders: %d under C:\\bench-tree\\Many%s\n", folders,
              made > 0 ? " (made by the benchmark)" : "");

  Medium medium{L"C:\\bench-folders\\medium"};
  medium.WriteSetupIni(
      L"[GENERAL]\nNameApplication=Sketrion 7.2\nNameCompany=Sketrion Software\n"
      L"[GROUPS]\n1=1|BASE.RAR|Основные файлы|Программа\n");
  medium.WriteArchive(L"BASE.RAR", {{"bin/readme.txt", "hello"}});
  SetupProcess setup;
  if (!medium.ok() || !setup.Start(medium.SetupExe())) return Fail("Setup.exe did not start");

  // To the destination page, as the scenarios walk.
  HWND welcome = WaitForWindowStarting(setup.pid(), L"Вас приветствует");
  if (!welcome || !WaitUntil([&] { return Press(welcome, L"Далее>"); }, 5000)) return Fail("welcome page");
  if (!WaitUntil([&] { return Press(welcome, L"Далее >"); }, 5000) || !WaitGone(welcome)) return Fail("welcome page");
  HWND license = WaitForWindowStarting(setup.pid(), L"\x0043оглашение");
  if (!license || !Press(license, L"Принимаю") ||
      !WaitUntil([&] { return Press(license, L"Далее >"); }, 5000) || !WaitGone(license))
    return Fail("agreement page");
  HWND page = WaitForWindowStarting(setup.pid(), L"Размещение");
  if (!page) return Fail("destination page");

  std::vector<HWND> edits = ChildrenOfClass(page, L"Edit");
  if (edits.empty()) return Fail("destination field");
  SetEditText(edits[0], kBig);
  const double browse = Now();
  if (!Press(page, L"Обзор")) return Fail("\"Обзор\"");
  HWND chooser = WaitForWindow(setup.pid(), kChooser, 60000);
  if (!chooser) return Fail("no folder chooser");
  std::vector<HWND> trees = ChildrenOfClass(chooser, WC_TREEVIEWW);
  if (trees.empty()) return Fail("no tree in the chooser");
  HWND tree = trees[0];
  auto big = reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!big || Expanded(tree, big)) return Fail("the big folder is not selected, or already open");
  std::printf("chooser open at the big folder in %.3f s\n", Now() - browse);
  const LRESULT closedItems = ItemCount(tree);

  std::vector<double> opens;
  int hung = 0, samples = 0;
  double longestWait = 0;
  for (int i = 0; i < rounds; ++i) {
    Round open = TimeKey(chooser, tree, big, VK_RIGHT, true, closedItems + folders);
    if (!open.ok) return Fail("the branch did not open with every folder within a minute");
    std::printf("open %d: shown in %.3f s; longest wait for a reply %.3f s; "
                "IsHungAppWindow %d of %d samples\n",
                i + 1, open.shown, open.longestWait, open.hung, open.samples);
    opens.push_back(open.shown);
    hung += open.hung;
    samples += open.samples;
    longestWait = std::max(longestWait, open.longestWait);
    Round close = TimeKey(chooser, tree, big, VK_LEFT, false, closedItems);
    if (!close.ok) return Fail("the branch did not close");
    std::printf("close %d: %.3f s\n", i + 1, close.shown);
  }
  std::sort(opens.begin(), opens.end());
  std::printf("SUMMARY: %d folders: branch shown in best %.3f s, median %.3f s, worst %.3f s "
              "(target < 0.5 s); hung in %d of %d samples; longest wait for a reply %.3f s\n",
              folders, opens.front(), opens[opens.size() / 2], opens.back(), hung, samples,
              longestWait);

  Press(chooser, L"Отмена");
  WaitGone(chooser);
  return 0;  // the process is ended by SetupProcess
}
