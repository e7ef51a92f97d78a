// TkpFolderTreeView in a real window under Wine, over the machine's own drive C:.
#include "controls/folder_tree_view_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>

#include <memory>
#include <string>
#include <vector>

namespace controls {
namespace {

const wchar_t kRoot[] = L"C:\\folder-tree-view";

// Lets the window's messages run until `condition` holds or `ms` pass.
template <class Condition>
bool PumpUntil(Condition condition, DWORD ms) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > ms) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  return true;
}

size_t ThreadsOfThisProcess() {
  size_t count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  CloseHandle(snapshot);
  return count;
}

std::vector<std::wstring> ChildTexts(const FolderNode* node) {
  std::vector<std::wstring> texts;
  if (node)
    for (const auto& child : node->children) texts.push_back(child->text);
  return texts;
}

class FolderTreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryW(kRoot, nullptr);
    for (const wchar_t* name : {L"\\Alpha", L"\\Beta", L"\\Gamma", L"\\.hidden"})
      CreateDirectoryW((std::wstring(kRoot) + name).c_str(), nullptr);
    RemoveDirectoryW((std::wstring(kRoot) + L"\\Created").c_str());
    window = CreateWindowExW(0, L"STATIC", L"folder tree test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             0, 0, 420, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    view.reset();
    DestroyWindow(window);
  }

  HWND window = nullptr;
  std::unique_ptr<TkpFolderTreeView> view = std::make_unique<TkpFolderTreeView>();
};

TEST_F(FolderTreeViewTest, AWatchedBranchShowsANewFolderAndEveryWatcherEndsWithTheControl) {
  const size_t threadsBefore = ThreadsOfThisProcess();
  view->SetNotify(true);
  ASSERT_NE(view->Create(window, 0, 0, 400, 300), nullptr);
  ASSERT_GT(view->WatcherCount(), 0u);  // C: at least
  EXPECT_EQ(TFileNotify::LiveHandles(), static_cast<long>(view->WatcherCount()));
  EXPECT_TRUE(PumpUntil([&] { return TFileNotify::LiveThreads() == static_cast<long>(view->WatcherCount()); }, 2000));

  view->SetDirectory(std::wstring(kRoot) + L"\\");
  FolderNode* root = view->Tree().Selected();
  ASSERT_EQ(view->Directory(), std::wstring(kRoot) + L"\\");
  ASSERT_TRUE(view->Tree().Expand(*root));
  EXPECT_EQ(ChildTexts(root), (std::vector<std::wstring>{L"Alpha", L"Beta", L"Gamma"}));

  ASSERT_TRUE(CreateDirectoryW((std::wstring(kRoot) + L"\\Created").c_str(), nullptr));
  EXPECT_TRUE(PumpUntil([&] { return ChildTexts(view->Tree().Selected()).size() == 4; }, 5000));
  EXPECT_EQ(ChildTexts(root),
            (std::vector<std::wstring>{L"Alpha", L"Beta", L"Created", L"Gamma"}));

  view.reset();
  EXPECT_EQ(TFileNotify::LiveThreads(), 0);
  EXPECT_EQ(TFileNotify::LiveHandles(), 0);
  EXPECT_LE(ThreadsOfThisProcess(), threadsBefore);
}

TEST_F(FolderTreeViewTest, WithNotifyOffTheWatchersWaitAndStillEndCleanly) {
  ASSERT_NE(view->Create(window, 0, 0, 400, 300), nullptr);
  view->SetDirectory(std::wstring(kRoot) + L"\\");
  FolderNode* root = view->Tree().Selected();
  ASSERT_TRUE(view->Tree().Expand(*root));
  CreateDirectoryW((std::wstring(kRoot) + L"\\Created").c_str(), nullptr);
  PumpUntil([] { return false; }, 700);
  EXPECT_EQ(ChildTexts(root).size(), 3u);  // nobody told the tree
  DestroyWindow(window);  // the parent goes first this time
  window = nullptr;
  EXPECT_EQ(TFileNotify::LiveThreads(), 0);
  EXPECT_EQ(TFileNotify::LiveHandles(), 0);
}

TEST_F(FolderTreeViewTest, DownKeysReportTheSelectionOnceAfterTheDelay) {
  ASSERT_NE(view->Create(window, 0, 0, 400, 300), nullptr);
  std::vector<std::wstring> changes;
  view->OnChange = [&](TkpFolderTreeView& sender, FolderNode&) { changes.push_back(sender.Directory()); };
  view->SetDirectory(std::wstring(kRoot) + L"\\");
  view->Tree().Expand(*view->Tree().Selected());
  TreeView_Expand(view->TreeHandle(), static_cast<HTREEITEM>(view->Tree().Selected()->handle), TVE_EXPAND);
  changes.clear();
  view->KeyboardDelay = 300;
  for (int i = 0; i < 3; ++i) SendMessageW(view->TreeHandle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(view->Directory(), std::wstring(kRoot) + L"\\");
  EXPECT_TRUE(PumpUntil([&] { return !changes.empty(); }, 3000));
  PumpUntil([] { return false; }, 500);
  EXPECT_EQ(changes, (std::vector<std::wstring>{std::wstring(kRoot) + L"\\Gamma\\"}));
}

}  // namespace
}  // namespace controls
