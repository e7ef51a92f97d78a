// The folder tree over an in-memory machine: drives C: (fixed), D: (CD-ROM), A: (floppy), the
// path forms, navigation to the deepest existing folder, the lazy levels and what the view is
// told, renaming in place and a watcher's report.
#include "controls/folder_tree.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/fake/faulty_file_system.h"
#include "platform/fake/fake_drives.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/scripted_message_boxes.h"
#include "util/paths.h"
#include "util/codepage.h"

namespace controls {
namespace {

constexpr int kClosed = 10, kOpen = 11;

class FakeShell : public FolderShell {
 public:
  ShellItem Desktop() override { return {L"Рабочий стол", 1}; }
  ShellItem Computer() override { return {L"Мой компьютер", 2}; }
  ShellItem DriveRoot(const std::wstring& root) override {
    return {L"Диск (" + root.substr(0, 2) + L")", 3};
  }
  int ClosedFolderIcon() override { return kClosed; }
  int OpenFolderIcon() override { return kOpen; }
};

// Counts the listings, so the tests see how much of the disk a step reads.
class CountingFileSystem : public platform::FaultyFileSystem {
 public:
  using FaultyFileSystem::FaultyFileSystem;
  int listings = 0;
  bool List(const std::wstring& folder,
            const std::function<bool(const platform::DirectoryEntry&)>& visit) override {
    ++listings;
    return FaultyFileSystem::List(folder, visit);
  }
};

// Keeps what a view would show: the nodes added and not yet removed, and what it was asked.
class RecordingView : public FolderTreeObserver {
 public:
  std::set<const FolderNode*> shown;
  std::vector<std::pair<wchar_t, bool>> watching;
  int depth = 0, maxDepth = 0;

  void NodeAdded(FolderNode& node) override {
    EXPECT_TRUE(node.parent == nullptr || shown.count(node.parent)) << "added under a stranger";
    shown.insert(&node);
  }
  void NodeRemoving(FolderNode& node) override { Forget(node); }
  void ChildrenRemoving(FolderNode& node) override {
    EXPECT_TRUE(shown.count(&node));
    for (const auto& child : node.children) Forget(*child);
  }
  void NodeChanged(FolderNode& node) override { EXPECT_TRUE(shown.count(&node)); }
  void NodeExpanded(FolderNode& node, bool) override { EXPECT_TRUE(shown.count(&node)); }
  void NodeSelected(FolderNode& node) override { EXPECT_TRUE(shown.count(&node)); }
  void WatchDrive(FolderNode& drive, bool on) override {
    watching.emplace_back(drive.item->Key[0], on);
  }
  void BeginUpdate() override { maxDepth = std::max(maxDepth, ++depth); }
  void EndUpdate() override { --depth; }

 private:
  void Forget(const FolderNode& node) {
    EXPECT_TRUE(shown.erase(&node)) << "removed twice";
    for (const auto& child : node.children) Forget(*child);
  }
};

class FolderTreeTest : public ::testing::Test {
 protected:
  FolderTreeTest() : files(disk), tree(files, drives, shell, boxes) {
    drives.drives[L'A'] = {platform::dtRemovable, true, {1.4e6, 1e6}, 0x10};
    drives.drives[L'C'] = {platform::dtFixed, true, {8e10, 4e10}, 0x10};
    drives.drives[L'D'] = {platform::dtCdRom, false, {}, 0};
    for (const wchar_t* folder :
         {L"C:\\Program Files\\Common Files", L"C:\\WINDOWS\\system32\\drivers",
          L"C:\\WINDOWS\\Fonts", L"C:\\.config\\app", L"C:\\Users", L"C:\\zeta", L"C:\\Alpha",
          L"C:\\beta"})
      disk.MakeDirectory(folder);
    disk.PutFile(L"C:\\boot.ini", "x");
    disk.PutFile(L"C:\\WINDOWS\\win.ini", "x");
    tree.SetObserver(&view);
    tree.OnChange = [this](FolderNode& node) { changes.push_back(NodePath(node)); };
  }

  void Build() {
    tree.Build();
    changes.clear();
  }

  // The texts of the children of the node at `path` (navigated to and expanded).
  std::vector<std::wstring> ChildrenOf(const std::wstring& path) {
    tree.SetDirectory(path);
    FolderNode* node = tree.Selected();
    tree.Expand(*node);
    std::vector<std::wstring> texts;
    for (const auto& child : node->children) texts.push_back(child->text);
    return texts;
  }

  FolderNode* Child(FolderNode* node, const std::wstring& text) {
    for (auto& child : node->children)
      if (child->text == text) return child.get();
    return nullptr;
  }

  platform::FakeFileSystem disk;
  CountingFileSystem files;
  platform::FakeDrives drives;
  FakeShell shell;
  platform::ScriptedMessageBoxes boxes;
  RecordingView view;
  FolderTree tree;
  std::vector<std::wstring> changes;
};

TEST_F(FolderTreeTest, BuildsDesktopComputerAndDrivesInLetterOrder) {
  Build();
  FolderNode* desktop = tree.Desktop();
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(desktop->text, L"Рабочий стол");
  EXPECT_TRUE(desktop->expanded);
  FolderNode* computer = tree.Computer();
  EXPECT_EQ(computer->text, L"Мой компьютер");
  EXPECT_TRUE(computer->expanded);
  ASSERT_EQ(computer->children.size(), 3u);
  struct Expected { const wchar_t* text; const wchar_t* key; const wchar_t* type; double total; };
  const Expected expected[] = {{L"Диск (A:)", L"A:\\", L"Съемный диск", 0},
                               {L"Диск (C:)", L"C:\\", L"Локальный диск", 8e10},
                               {L"Диск (D:)", L"D:\\", L"Компакт-диск", 0}};
  for (size_t i = 0; i < 3; ++i) {
    const FolderNode& drive = *computer->children[i];
    EXPECT_EQ(drive.text, expected[i].text);
    EXPECT_EQ(drive.item->Key, expected[i].key);
    EXPECT_EQ(drive.item->TypeName, expected[i].type);
    EXPECT_EQ(drive.item->TotalSize, expected[i].total);
    EXPECT_TRUE(tree.HasButton(*computer->children[i])) << expected[i].key;
  }
  // The floppy is not touched while the tree is built; the hard disk is.
  EXPECT_EQ(drives.spaceAsked[L'A'], 0);
  EXPECT_GT(drives.spaceAsked[L'C'], 0);
  // With nothing set, the tree opens at C:\.
  EXPECT_EQ(tree.Directory(), L"C:\\");
  EXPECT_EQ(tree.Selected(), tree.DriveNode(L'C'));
  EXPECT_EQ(view.shown.size(), 2u + 3u);  // desktop, computer, drives: nothing read yet
  EXPECT_EQ(files.listings, 0);
  EXPECT_EQ(view.depth, 0);
  EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(FolderTreeTest, FreshDrivesReadsARemovableDriveThatIsReady) {
  tree.FreshDrives = true;
  Build();
  EXPECT_EQ(tree.DriveNode(L'A')->item->TotalSize, 1.4e6);
  EXPECT_EQ(drives.spaceAsked[L'A'], 1);
}

TEST_F(FolderTreeTest, DirectoryReadsEachPathForm) {
  Build();
  struct Case { std::function<FolderNode*()> node; const wchar_t* stored; const wchar_t* read; };
  const Case cases[] = {
      {[&] { return tree.Desktop(); }, L"?.0Рабочий стол", L"Рабочий стол"},
      {[&] { return tree.Computer(); }, L"?.1Мой компьютер", L"Мой компьютер"},
      {[&] { return tree.DriveNode(L'D'); }, L"D:\\", L"D:\\"},
      {[&] {
         tree.SetDirectory(L"C:\\WINDOWS\\system32");
         return tree.Selected();
       },
       L"C:\\WINDOWS\\system32\\", L"C:\\WINDOWS\\system32\\"},
  };
  for (const Case& c : cases) {
    FolderNode* node = c.node();
    tree.SelectionChanged(node);
    EXPECT_EQ(tree.StoredPath(), c.stored);
    EXPECT_EQ(tree.Directory(), c.read);
    EXPECT_EQ(changes.back(), c.stored);
  }
}

TEST_F(FolderTreeTest, SettingDirectorySelectsTheDeepestExistingFolder) {
  std::wstring longPath = L"C:\\WINDOWS";
  while (longPath.size() < 1000) longPath += L"\\deeper";
  const struct {
    std::wstring value;
    const wchar_t* directory;
  } cases[] = {
      {L"C:\\Program Files\\Sketrion\\", L"C:\\Program Files\\"},
      {L"C:\\Program files\\Firm\\Sketrion 2_1\\", L"C:\\Program Files\\"},
      {L"c:\\windows\\SYSTEM32\\DRIVERS", L"C:\\WINDOWS\\system32\\drivers\\"},
      {L"  c:  \\ Users \\", L"C:\\Users\\"},
      {L"C:\\.config\\app", L"C:\\"},               // not listed, so not reached
      {L"C:\\WINDOWS\\..\\Users", L"C:\\WINDOWS\\"},  // no folder is called ".."
      {L"C:\\boot.ini\\x", L"C:\\"},                  // a file is not a folder
      {L"Q:\\Data", L"Мой компьютер"},                // no such drive
      {L"\\\\server\\share\\cad", L"Мой компьютер"},  // a network path
      {L"relative\\path", L"Мой компьютер"},
      {longPath, L"C:\\WINDOWS\\"},
      {L"A:", L"A:\\"},
  };
  Build();
  for (const auto& c : cases) {
    tree.SetDirectory(L"C:\\Users");
    tree.SetDirectory(c.value);
    EXPECT_EQ(tree.Directory(), c.directory) << c.value.substr(0, 60);
    EXPECT_EQ(tree.StoredPath(), NodePath(*tree.Selected()));
    EXPECT_EQ(view.depth, 0);
  }
  EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(FolderTreeTest, SettingTheSamePathAgainOrNothingChangesNothing) {
  Build();
  tree.SetDirectory(L"C:\\WINDOWS\\");
  changes.clear();
  int listings = files.listings;
  tree.SetDirectory(L"c:\\windows\\");
  tree.SetDirectory(L"");
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(files.listings, listings);
  EXPECT_EQ(tree.Directory(), L"C:\\WINDOWS\\");
}

TEST_F(FolderTreeTest, APathSetBeforeTheTreeIsBuiltIsNavigatedThen) {
  tree.SetDirectory(L"C:\\WINDOWS\\Fonts\\Missing");
  Build();
  EXPECT_EQ(tree.Directory(), L"C:\\WINDOWS\\Fonts\\");
}

TEST_F(FolderTreeTest, ListsFoldersOnlySortedCaseBlindWithoutDotNames) {
  disk.SetFolderAttributes(L"C:\\Users", 0x12);  // hidden folders are shown
  Build();
  EXPECT_EQ(ChildrenOf(L"C:\\"), (std::vector<std::wstring>{L"Alpha", L"beta", L"Program Files",
                                                            L"Users", L"WINDOWS", L"zeta"}));
  // The view's key decides the order: here the names' units turned upside down.
  tree.SortKey = [](const std::wstring& name) {
    std::wstring key;
    for (wchar_t c : util::FoldCase(name)) key += static_cast<wchar_t>(0xFFFF - c);
    return key;
  };
  tree.Collapse(*tree.DriveNode(L'C'));
  EXPECT_EQ(ChildrenOf(L"C:\\").front(), L"zeta");
}

TEST_F(FolderTreeTest, ReadsOneLevelAndLooksAheadOnlyWhenAButtonIsAsked) {
  Build();
  ASSERT_TRUE(tree.Expand(*tree.DriveNode(L'C')));
  FolderNode* windows = Child(tree.DriveNode(L'C'), L"WINDOWS");
  ASSERT_NE(windows, nullptr);
  int before = files.listings;
  ASSERT_TRUE(tree.Expand(*windows));
  EXPECT_EQ(files.listings, before + 1);
  FolderNode* system32 = Child(windows, L"system32");
  FolderNode* fonts = Child(windows, L"Fonts");
  EXPECT_TRUE(tree.HasButton(*system32));
  EXPECT_FALSE(tree.HasButton(*fonts));
  EXPECT_TRUE(tree.HasButton(*system32));  // asked once, remembered
  EXPECT_EQ(files.listings, before + 3);
  EXPECT_EQ(windows->image, kOpen);
  EXPECT_EQ(system32->image, kClosed);
  EXPECT_EQ(system32->selectedImage, kOpen);
}

TEST_F(FolderTreeTest, CollapsingForgetsTheBranchSoTheNextOpeningSeesTheDisk) {
  Build();
  tree.SetDirectory(L"C:\\WINDOWS\\system32");
  FolderNode* windows = Child(tree.DriveNode(L'C'), L"WINDOWS");
  EXPECT_EQ(windows->children.size(), 2u);
  disk.MakeDirectory(L"C:\\WINDOWS\\Temp");
  EXPECT_EQ(windows->children.size(), 2u);  // nothing watches: the tree shows what it read

  tree.Collapse(*windows);
  EXPECT_TRUE(windows->children.empty());
  EXPECT_TRUE(tree.HasButton(*windows));
  EXPECT_EQ(windows->image, kClosed);
  // The selection was inside: it moved up to the collapsed folder.
  EXPECT_EQ(tree.Directory(), L"C:\\WINDOWS\\");
  EXPECT_EQ(changes.back(), L"C:\\WINDOWS\\");

  ASSERT_TRUE(tree.Expand(*windows));
  EXPECT_NE(Child(windows, L"Temp"), nullptr);

  // The desktop and the computer keep their children.
  tree.Collapse(*tree.Computer());
  EXPECT_EQ(tree.Computer()->children.size(), 3u);
}

TEST_F(FolderTreeTest, ADriveWithoutADiscShowsTheMessageAndKeepsItsButton) {
  Build();
  FolderNode* cd = tree.DriveNode(L'D');
  EXPECT_FALSE(tree.Expand(*cd));
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"В дисководе D:\\ нет диска.");
  EXPECT_EQ(boxes.Asked()[0].buttons, platform::MsgButtons::Ok);
  EXPECT_EQ(boxes.Asked()[0].icon, platform::MsgIcon::Error);
  EXPECT_FALSE(cd->expanded);
  EXPECT_TRUE(tree.HasButton(*cd));

  // Setting a path on it selects the drive and tells the same.
  tree.SetDirectory(L"d:\\data\\x");
  EXPECT_EQ(tree.Directory(), L"D:\\");
  EXPECT_EQ(boxes.Asked().size(), 2u);

  // A disc is inserted: the next opening lists it.
  drives.drives[L'D'].ready = true;
  disk.MakeDirectory(L"D:\\data");
  EXPECT_TRUE(tree.Expand(*cd));
  EXPECT_NE(Child(cd, L"data"), nullptr);
  EXPECT_EQ(boxes.Asked().size(), 2u);
}

TEST_F(FolderTreeTest, EmptyBranchesAndUnreadableFoldersOpenToNothing) {
  disk.MakeDirectory(L"C:\\Locked\\Inside");
  disk.DenyList(L"C:\\Locked");
  drives.drives[L'E'] = {platform::dtFixed, true, {1e9, 1e9}, 0x10};
  Build();
  // A ready drive without folders refuses to open and keeps its button.
  FolderNode* e = tree.DriveNode(L'E');
  EXPECT_FALSE(tree.Expand(*e));
  EXPECT_TRUE(tree.HasButton(*e));
  // A folder without subfolders and one the process may not list lose theirs.
  for (const wchar_t* path : {L"C:\\Users", L"C:\\Locked"}) {
    tree.SetDirectory(path);
    FolderNode* node = tree.Selected();
    EXPECT_EQ(NodePath(*node), std::wstring(path) + L"\\");
    EXPECT_FALSE(tree.Expand(*node)) << path;
    EXPECT_FALSE(tree.HasButton(*node)) << path;
    EXPECT_FALSE(node->expanded);
  }
  tree.SetDirectory(L"C:\\Locked\\Inside");
  EXPECT_EQ(tree.Directory(), L"C:\\Locked\\");
  EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(FolderTreeTest, AFolderRemovedWhileItsBranchIsOpen) {
  Build();
  tree.SetDirectory(L"C:\\WINDOWS\\system32\\drivers");
  ASSERT_EQ(tree.Directory(), L"C:\\WINDOWS\\system32\\drivers\\");
  disk.RemoveTree(L"C:\\WINDOWS\\system32");
  disk.MakeDirectory(L"C:\\WINDOWS\\Temp");

  // Without a watcher, opening the folder again finds nothing and shows nothing.
  FolderNode* drivers = tree.Selected();
  EXPECT_FALSE(tree.Expand(*drivers));
  EXPECT_TRUE(drivers->children.empty());

  // A watcher's report reads the open branches again: the selection moves to what is left.
  tree.DriveChanged(L'C');
  FolderNode* windows = Child(tree.DriveNode(L'C'), L"WINDOWS");
  EXPECT_EQ(Child(windows, L"system32"), nullptr);
  EXPECT_NE(Child(windows, L"Temp"), nullptr);
  EXPECT_EQ(tree.Directory(), L"C:\\WINDOWS\\");
  EXPECT_EQ(changes.back(), L"C:\\WINDOWS\\");
  EXPECT_EQ(view.shown.count(drivers), 0u);

  // The whole drive gone: it closes and keeps its button.
  disk.RemoveTree(L"C:\\WINDOWS");
  disk.RemoveTree(L"C:\\Program Files");
  for (const wchar_t* f : {L"C:\\Users", L"C:\\zeta", L"C:\\Alpha", L"C:\\beta", L"C:\\.config"})
    disk.RemoveTree(f);
  disk.Remove(L"C:\\boot.ini");
  tree.DriveChanged(L'C');
  EXPECT_EQ(tree.Directory(), L"C:\\");
}

TEST_F(FolderTreeTest, AReportForAClosedDriveIsIgnored) {
  Build();
  tree.Collapse(*tree.DriveNode(L'C'));
  changes.clear();
  int listings = files.listings;
  tree.DriveChanged(L'C');
  tree.DriveChanged(L'Q');
  EXPECT_EQ(files.listings, listings);
  EXPECT_TRUE(changes.empty());
}

TEST_F(FolderTreeTest, KeyboardMovesRaiseOneChangeWhenTheDeferralEnds) {
  Build();
  tree.SetDirectory(L"C:\\");
  FolderNode* c = tree.DriveNode(L'C');
  ASSERT_TRUE(tree.Expand(*c));
  changes.clear();
  tree.BeginKeyboardDeferral();
  for (size_t i = 0; i < 3; ++i) tree.SelectionChanged(c->children[i].get());
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(tree.Directory(), L"C:\\");
  tree.EndKeyboardDeferral();
  EXPECT_EQ(changes, std::vector<std::wstring>{NodePath(*c->children[2])});
  EXPECT_EQ(tree.Directory(), L"C:\\Program Files\\");
}

// A folder the chooser names is one the installer may fill and the uninstaller may empty: the
// names it refuses are the ones the uninstaller refuses to touch.
TEST_F(FolderTreeTest, ARenameTakesOnlyNamesTheUninstallerWouldRemove) {
  Build();
  tree.SetDirectory(L"C:\\WINDOWS\\Fonts");
  FolderNode* fonts = tree.Selected();
  const struct {
    const wchar_t* text;
    bool renamed;
  } cases[] = {
      {L"CON", false},      {L"nul.txt", false}, {L"Lpt1", false}, {L"clock$", false},
      {L"Fonts.", false},   {L"Fonts ", false},  {L"...", false},  {L"a:stream", false},
      {L"a*b", false},      {L"a\tb", false},    {L"a|b", false},  {L"COMPORT", true},
      {L"Fonts.old", true}, {L"Шрифты 2", true},
  };
  for (const auto& c : cases) {
    std::wstring text = c.text;
    const std::wstring before = NodePath(*fonts);
    EXPECT_EQ(tree.EndEdit(*fonts, &text), c.renamed) << c.text;
    EXPECT_EQ(disk.Kind(L"C:\\WINDOWS\\" + text),
              c.renamed ? platform::PathKind::Directory : platform::PathKind::Missing)
        << c.text;
    EXPECT_EQ(util::IsInside(L"C:\\WINDOWS\\" + text, L"C:\\WINDOWS"), c.renamed) << c.text;
    if (c.renamed) {
      // Back to the old name for the next case.
      std::wstring old = L"Fonts";
      ASSERT_TRUE(tree.EndEdit(*fonts, &old));
    } else {
      EXPECT_EQ(NodePath(*fonts), before);
    }
  }
}

TEST_F(FolderTreeTest, OnlyFoldersBelowADriveCanBeEdited) {
  Build();
  tree.SetDirectory(L"C:\\WINDOWS");
  FolderNode* windows = tree.Selected();
  EXPECT_TRUE(tree.CanEdit(*windows));
  EXPECT_FALSE(tree.CanEdit(*tree.DriveNode(L'C')));
  EXPECT_FALSE(tree.CanEdit(*tree.Computer()));
  EXPECT_FALSE(tree.CanEdit(*tree.Desktop()));
  tree.ReadOnly = true;
  EXPECT_FALSE(tree.CanEdit(*windows));
  tree.ReadOnly = false;
  tree.SelectionChanged(tree.Computer());  // the computer's marker path holds "?"
  EXPECT_FALSE(tree.CanEdit(*windows));
}

TEST_F(FolderTreeTest, RenamingInPlaceRenamesOnDiskOrKeepsTheOldName) {
  Build();
  disk.MakeDirectory(L"C:\\WINDOWS\\Taken");
  tree.SetDirectory(L"C:\\WINDOWS\\Fonts");
  FolderNode* fonts = tree.Selected();
  std::vector<std::wstring> events;
  tree.OnEdited = [&](FolderNode&, const std::wstring& text) { events.push_back(L"edited " + text); };
  tree.OnEditCancel = [&](FolderNode&) { events.push_back(L"cancel"); };
  tree.OnEndCreating = [&](FolderNode&) { events.push_back(L"end"); };
  tree.OnFileRename = [&](const std::wstring& from, const std::wstring& to, bool ok) {
    events.push_back(from + L" > " + to + (ok ? L" ok" : L" failed"));
  };

  const struct {
    const wchar_t* text;
    bool renamed;
  } cases[] = {
      {L"Taken", false},        // something is there already
      {L"..\\..\\Out", false},  // never outside the parent folder
      {L"a/b", false},
      {L"D:", false},
      {L"", false},
      {L"..", false},
      {L"Шрифты", true},
  };
  std::wstring name = L"Fonts";
  for (const auto& c : cases) {
    events.clear();
    std::wstring text = c.text;
    EXPECT_EQ(tree.EndEdit(*fonts, &text), c.renamed) << c.text;
    const std::wstring from = L"C:\\WINDOWS\\" + name, to = L"C:\\WINDOWS\\" + text;
    EXPECT_EQ(events, (std::vector<std::wstring>{L"edited " + text,
                                                 from + L" > " + to + (c.renamed ? L" ok" : L" failed"),
                                                 L"end"}));
    if (c.renamed) name = text;
    EXPECT_EQ(fonts->text, name);
    EXPECT_EQ(disk.Kind(L"C:\\WINDOWS\\" + name), platform::PathKind::Directory) << c.text;
  }
  EXPECT_EQ(disk.Kind(L"C:\\WINDOWS\\Fonts"), platform::PathKind::Missing);
  EXPECT_EQ(disk.Kind(L"C:\\Out"), platform::PathKind::Missing);
  // The selection was the renamed folder: its path follows.
  EXPECT_EQ(tree.Directory(), L"C:\\WINDOWS\\Шрифты\\");

  events.clear();
  EXPECT_FALSE(tree.EndEdit(*fonts, nullptr));
  EXPECT_EQ(events, (std::vector<std::wstring>{L"cancel", L"end"}));

  files.refuse_rename = true;  // a refused rename keeps the name silently
  std::wstring text = L"Again";
  EXPECT_FALSE(tree.EndEdit(*fonts, &text));
  EXPECT_EQ(fonts->text, L"Шрифты");
  EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(FolderTreeTest, WatchersRunForOpenFixedDrivesWhileNotifyIsOn) {
  drives.drives[L'R'] = {platform::dtRamDisk, true, {1e9, 1e9}, 0x10};
  drives.drives[L'N'] = {platform::dtRemote, true, {1e9, 1e9}, 0x10};
  Build();
  EXPECT_TRUE(FolderTree::NeedsWatcher(*tree.DriveNode(L'C')));
  EXPECT_TRUE(FolderTree::NeedsWatcher(*tree.DriveNode(L'R')));
  EXPECT_FALSE(FolderTree::NeedsWatcher(*tree.DriveNode(L'N')));
  EXPECT_FALSE(FolderTree::NeedsWatcher(*tree.DriveNode(L'D')));
  EXPECT_FALSE(FolderTree::NeedsWatcher(*tree.Computer()));
  EXPECT_TRUE(view.watching.empty());  // Notify is off
  tree.Expand(*tree.DriveNode(L'C'));
  EXPECT_TRUE(view.watching.empty());

  tree.SetNotify(true);  // C: is open
  EXPECT_EQ(view.watching, (std::vector<std::pair<wchar_t, bool>>{{L'C', true}}));
  tree.Collapse(*tree.DriveNode(L'C'));
  tree.SetNotify(false);  // nothing open any more
  tree.SetNotify(true);
  tree.Expand(*tree.DriveNode(L'C'));
  EXPECT_EQ(view.watching,
            (std::vector<std::pair<wchar_t, bool>>{{L'C', true}, {L'C', false}, {L'C', true}}));
}

TEST_F(FolderTreeTest, AReportedNewFolderShowsAndTheOpenSelectionStaysOpen) {
  Build();
  tree.SetDirectory(L"C:\\WINDOWS");
  FolderNode* windows = tree.Selected();
  tree.Expand(*windows);
  changes.clear();
  disk.MakeDirectory(L"C:\\WINDOWS\\Addins");
  disk.MakeDirectory(L"C:\\New");
  tree.DriveChanged(L'C');
  EXPECT_EQ(Child(windows, L"Addins"), windows->children[0].get());
  EXPECT_NE(Child(tree.DriveNode(L'C'), L"New"), nullptr);
  EXPECT_EQ(tree.Selected(), windows);
  EXPECT_TRUE(windows->expanded);
  EXPECT_TRUE(changes.empty());  // the path did not change
  // A folder that gained a subfolder shows a button again.
  FolderNode* users = Child(tree.DriveNode(L'C'), L"Users");
  EXPECT_FALSE(tree.HasButton(*users));
  disk.MakeDirectory(L"C:\\Users\\Public");
  tree.DriveChanged(L'C');
  EXPECT_TRUE(tree.HasButton(*users));
}

TEST(ShortenMiddleTest, KeepsBothEndsAndFitsTheWidth) {
  auto length = [](const std::wstring& s) { return static_cast<int>(s.size()); };
  const std::wstring path = L"C:\\Program Files\\Sketrion\\Schemes";  // 33 characters
  const struct {
    int width;
    const wchar_t* shown;
  } cases[] = {
      {40, L"C:\\Program Files\\Sketrion\\Schemes"},
      {33, L"C:\\Program Files\\Sketrion\\Schemes"},
      {32, L"C:\\Program File...etrion\\Schemes"},
      {12, L"C:\\Pr...emes"},
      {4, L"C..."},
      {3, L"..."},
      {0, L"..."},
  };
  for (const auto& c : cases) {
    std::wstring shown = ShortenMiddle(path, c.width, length);
    EXPECT_EQ(shown, c.shown) << c.width;
  }
}

}  // namespace
}  // namespace controls
