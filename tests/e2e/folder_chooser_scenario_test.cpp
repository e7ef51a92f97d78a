// The folder chooser the destination page's "Обзор" opens, over a folder tree laid out in the
// prefix: the nearest existing folder of a path, names matched whatever their case, folders
// starting with "." left out, Down keys reported once a second after the last, renaming in place,
// "Да" and "Отмена", the desktop and the computer leaving the field alone, and a drive whose disc
// is taken out (N:, see folder-drive-run.sh).
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

const wchar_t kChooser[] = L"Выбор пути для установки";
const wchar_t kTree[] = L"C:\\e2e-tree\\Tree";
// The folder drive N: stands for, as the build folder (T:) shows it.
const wchar_t kDisc[] = L"T:\\e2e-folders-disc";

// ---- the tree view of Setup.exe, read across processes ----

HWND TreeOf(HWND chooser) {
  std::vector<HWND> trees = ChildrenOfClass(chooser, WC_TREEVIEWW);
  return trees.empty() ? nullptr : trees[0];
}

struct ItemSeen {
  std::wstring text;
  int children = 0;
};

// An item's text and expand button: the tree view writes them into memory of its own process.
ItemSeen ReadItem(HWND tree, HTREEITEM item) {
  struct Block {
    TVITEMW item;
    wchar_t text[260];
  };
  ItemSeen seen{L"(unreadable)", -1};
  DWORD pid = 0;
  GetWindowThreadProcessId(tree, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return seen;
  if (void* remote = VirtualAllocEx(process, nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE)) {
    Block block = {};
    block.item.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_HANDLE;
    block.item.hItem = item;
    block.item.cchTextMax = 260;
    block.item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + offsetof(Block, text));
    if (WriteProcessMemory(process, remote, &block, sizeof block, nullptr)) {
      SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
      if (ReadProcessMemory(process, remote, &block, sizeof block, nullptr))
        seen = ItemSeen{block.text, block.item.cChildren};
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return seen;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

std::vector<std::wstring> ChildTexts(HWND tree, HTREEITEM parent) {
  std::vector<std::wstring> texts;
  for (HTREEITEM child = Next(tree, parent, TVGN_CHILD); child; child = Next(tree, child, TVGN_NEXT))
    texts.push_back(ReadItem(tree, child).text);
  return texts;
}

bool Expanded(HWND tree, HTREEITEM item) {
  return (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
          TVIS_EXPANDED) != 0;
}

void Key(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void MakeFolders(const std::vector<std::wstring>& folders) {
  for (const std::wstring& folder : folders) {
    std::wstring partial;
    size_t start = 0;
    while (start <= folder.size()) {
      size_t end = folder.find(L'\\', start);
      if (end == std::wstring::npos) end = folder.size();
      partial = folder.substr(0, end);
      if (partial.size() > 2) CreateDirectoryW(partial.c_str(), nullptr);
      start = end + 1;
    }
  }
}

bool FolderExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

class FolderChooserScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(L"C:\\e2e-tree");
    const std::wstring tree = kTree;
    MakeFolders({tree + L"\\Alpha", tree + L"\\Beta\\Inner", tree + L"\\Delta", tree + L"\\Gamma",
                 tree + L"\\.secret\\x"});
    medium.WriteSetupIni(
        L"[GENERAL]\n"
        L"NameApplication=Sketrion 7.2\n"
        L"NameCompany=Sketrion Software\n"
        L"[GROUPS]\n"
        L"1=1|BASE.RAR|Основные файлы|Программа\n");
    medium.WriteArchive(L"BASE.RAR", {{"bin/readme.txt", "hello"}});
  }

  // Walks to the destination page.
  HWND Destination(SetupRun& run) {
    HWND welcome = run.Page(kWelcome, L"welcome");
    run.Press(welcome, L"Далее>", false);
    run.Press(welcome, L"Далее >");
    HWND license = run.Page(kLicense, L"agreement");
    run.Press(license, L"Принимаю", false);
    run.Press(license, L"Далее >");
    return run.Page(kGetPath, L"destination");
  }

  // Types `path` into the destination field and opens the chooser on it.
  HWND Browse(SetupRun& run, HWND page, const std::wstring& path) {
    SetEditText(ChildrenOfClass(page, L"Edit").at(0), path);
    run.Press(page, L"Обзор", false);
    HWND chooser = WaitForWindow(run.pid(), kChooser);
    EXPECT_NE(chooser, nullptr) << "no folder chooser";
    if (chooser) SaveScreenshot(chooser, ScreenshotFolder(L"folder-chooser") + L"chooser.bmp");
    return chooser;
  }

  static std::wstring Field(HWND window) { return Text(ChildrenOfClass(window, L"Edit").at(0)); }

  void Close(SetupRun& run, HWND chooser, const wchar_t* button) {
    ASSERT_TRUE(Press(chooser, button));
    EXPECT_TRUE(WaitGone(chooser));
  }

  void Leave(SetupRun& run, HWND page) {
    run.Press(page, L"Отмена", false);
    run.AnswerCancelQuestion(IDYES, L"Установка Sketrion 7.2");
    run.ExpectEnded();
  }

  Medium medium{L"C:\\e2e-folders\\medium"};
};

TEST_F(FolderChooserScenario, OpensAtTheNearestFolderAndHandsTheFieldBackOnYes) {
  SetupRun run(medium, L"folder-chooser");
  HWND page = Destination(run);
  ASSERT_NE(page, nullptr);

  // The last folders do not exist: the nearest existing one is selected and in the field.
  HWND chooser = Browse(run, page, std::wstring(kTree) + L"\\Beta\\Missing\\Deeper");
  ASSERT_NE(chooser, nullptr);
  RECT client = {}, frame = {};
  GetClientRect(chooser, &client);
  GetWindowRect(chooser, &frame);
  EXPECT_EQ(client.right, 413);
  EXPECT_EQ(client.bottom, 386);
  EXPECT_LE(std::abs((frame.left + frame.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_EQ(Field(chooser), std::wstring(kTree) + L"\\Beta\\");
  HWND tree = TreeOf(chooser);
  ASSERT_NE(tree, nullptr);
  HTREEITEM beta = Next(tree, nullptr, TVGN_CARET);
  EXPECT_EQ(ReadItem(tree, beta).text, L"Beta");
  // A folder starting with "." is not listed.
  EXPECT_EQ(ChildTexts(tree, Next(tree, beta, TVGN_PARENT)),
            (std::vector<std::wstring>{L"Alpha", L"Beta", L"Delta", L"Gamma"}));

  // "Отмена": the destination keeps what was typed.
  Close(run, chooser, L"Отмена");
  EXPECT_EQ(Field(page), std::wstring(kTree) + L"\\Beta\\Missing\\Deeper");

  // Lower case finds the folder as the disk names it.
  chooser = Browse(run, page, L"c:\\E2E-TREE\\tree\\alpha");
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(Field(chooser), std::wstring(kTree) + L"\\Alpha\\");
  tree = TreeOf(chooser);

  // Three quick Down keys: the field follows once, about a second after the last.
  const std::wstring before = Field(chooser);
  for (int i = 0; i < 3; ++i) Key(tree, VK_DOWN);
  const DWORD start = GetTickCount();
  std::vector<std::wstring> seen;
  while (GetTickCount() - start < 5000) {
    std::wstring now = Field(chooser);
    if (now != (seen.empty() ? before : seen.back())) {
      seen.push_back(now);
      EXPECT_GE(GetTickCount() - start, 800u) << "the field changed too soon";
    }
    Sleep(20);
  }
  EXPECT_EQ(seen, std::vector<std::wstring>{std::wstring(kTree) + L"\\Gamma\\"});

  // Renaming in place renames on disk.
  HTREEITEM gamma = Next(tree, nullptr, TVGN_CARET);
  ASSERT_EQ(ReadItem(tree, gamma).text, L"Gamma");
  HWND editor = reinterpret_cast<HWND>(
      SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(gamma)));
  ASSERT_NE(editor, nullptr);
  SetWindowTextW(editor, L"Renamed");
  SendMessageW(tree, TVM_ENDEDITLABELNOW, FALSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return FolderExists(std::wstring(kTree) + L"\\Renamed"); }, 5000));
  EXPECT_FALSE(FolderExists(std::wstring(kTree) + L"\\Gamma"));
  EXPECT_EQ(ReadItem(tree, gamma).text, L"Renamed");
  EXPECT_EQ(Field(chooser), std::wstring(kTree) + L"\\Renamed\\");

  // "Да" hands the field back.
  Close(run, chooser, L"Да");
  EXPECT_EQ(Field(page), std::wstring(kTree) + L"\\Renamed\\");
  Leave(run, page);
}

TEST_F(FolderChooserScenario, ADriveWithoutItsDiscSaysSoAndKeepsItsButton) {
  // No disc in the drive: its folder is gone (the drive still has its letter).
  RemoveTree(kDisc);
  ASSERT_FALSE(FolderExists(kDisc));
  SetupRun run(medium, L"folder-chooser-disc");
  HWND page = Destination(run);
  ASSERT_NE(page, nullptr);
  HWND chooser = Browse(run, page, L"N:\\");
  ASSERT_NE(chooser, nullptr);
  ASSERT_EQ(Field(chooser), L"N:\\") << "the scenario's drive N: is not mapped";
  HWND tree = TreeOf(chooser);
  HTREEITEM drive = Next(tree, nullptr, TVGN_CARET);

  // Opening the drive tells there is no disc, and the drive keeps its button.
  Key(tree, VK_RIGHT);
  MessageBoxSeen box = AnswerMessageBox(run.pid(), IDOK);
  EXPECT_TRUE(box.found);
  EXPECT_EQ(box.text, L"В дисководе N:\\ нет диска.");
  EXPECT_TRUE(IsWindow(chooser) && Visible(chooser));
  EXPECT_FALSE(Expanded(tree, drive));
  EXPECT_EQ(ReadItem(tree, drive).children, 1);

  // Put back, it opens.
  MakeFolders({std::wstring(kDisc) + L"\\Data"});
  Key(tree, VK_RIGHT);
  EXPECT_TRUE(WaitUntil([&] { return Expanded(tree, drive); }, 5000));
  EXPECT_EQ(ChildTexts(tree, drive), std::vector<std::wstring>{L"Data"});

  Close(run, chooser, L"Отмена");
  Leave(run, page);
}

// The desktop and the computer are no folders: selecting them leaves the field as it was, and
// "Да" hands that back. A drive gives its root, which the destination page refuses.
TEST_F(FolderChooserScenario, NodesThatAreNoFoldersLeaveTheField) {
  SetupRun run(medium, L"folder-chooser-nodes");
  HWND page = Destination(run);
  ASSERT_NE(page, nullptr);
  const std::wstring alpha = std::wstring(kTree) + L"\\Alpha\\";
  HWND chooser = Browse(run, page, alpha);
  ASSERT_NE(chooser, nullptr);
  ASSERT_EQ(Field(chooser), alpha);
  HWND tree = TreeOf(chooser);
  HTREEITEM desktop = Next(tree, nullptr, TVGN_ROOT);
  HTREEITEM computer = Next(tree, desktop, TVGN_CHILD);
  for (HTREEITEM node : {desktop, computer, desktop}) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    EXPECT_EQ(Next(tree, nullptr, TVGN_CARET), node);
    EXPECT_EQ(Field(chooser), alpha) << "after selecting " << ReadItem(tree, node).text;
  }
  Close(run, chooser, L"Да");
  EXPECT_EQ(Field(page), alpha);
  EXPECT_TRUE(Enabled(FindChild(page, L"Далее >")));

  chooser = Browse(run, page, L"C:\\");
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(Field(chooser), L"C:\\");
  Close(run, chooser, L"Да");
  EXPECT_EQ(Field(page), L"C:\\");
  EXPECT_FALSE(Enabled(FindChild(page, L"Далее >")));
  Leave(run, page);
}

}  // namespace
}  // namespace e2e
