#pragma once
// The folder tree's behaviour over plain nodes: the desktop, the computer, one node per drive
// and the folders below, read from the disk one level at a time when a branch opens. It owns the
// path forms of the selected node (`Directory`), the navigation to the deepest existing folder
// of a path, renaming in place and the answer to a watcher's report. The Win32 control
// (folder_tree_view_win.h) mirrors the nodes into a tree view through FolderTreeObserver and
// forwards the user's expanding, selecting and editing here.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class Drives;
class FileSystem;
class MessageBoxes;
}  // namespace platform

namespace controls {

constexpr uint32_t kCompressedAttribute = 0x800;

// What a drive or folder node knows of its drive or folder.
struct TFolderItem {
  std::wstring Name;      // shown: the shell's name of a drive, the folder's own name
  std::wstring Key;       // "X:\" for a drive, the folder name for a folder
  std::wstring TypeName;  // drives only
  double TotalSize = 0, FreeSize = 0;
  uint32_t Attributes = 0;
  uint64_t Modified = 0;  // folders only: last write, FILETIME
  int DriveType = 0;      // drives only
  int ImageIndex = -1;
};

enum class NodeKind { Desktop, Computer, Drive, Folder };

struct FolderNode {
  NodeKind kind = NodeKind::Folder;
  std::wstring text;
  int image = -1, selectedImage = -1;
  std::unique_ptr<TFolderItem> item;  // drives and folders
  FolderNode* parent = nullptr;
  std::vector<std::unique_ptr<FolderNode>> children;
  bool expanded = false;
  // True once the children above are what the disk holds; until then the node may carry a
  // dummy child that gives it an expand button.
  bool read = false;
  enum class Dummy { Unknown, Yes, No } dummy = Dummy::Unknown;  // Unknown: not looked ahead yet
  void* handle = nullptr;  // the view's item

  int Level() const;
};

// The shell's names and icons of the fixed nodes and the drives.
struct ShellItem {
  std::wstring name;
  int icon = -1;
};
class FolderShell {
 public:
  virtual ~FolderShell() = default;
  virtual ShellItem Desktop() = 0;
  virtual ShellItem Computer() = 0;  // the drives folder
  virtual ShellItem DriveRoot(const std::wstring& root) = 0;
  virtual int ClosedFolderIcon() = 0;
  virtual int OpenFolderIcon() = 0;
};

// What the view is told so that it shows what the nodes hold.
class FolderTreeObserver {
 public:
  virtual ~FolderTreeObserver() = default;
  virtual void NodeAdded(FolderNode& node) = 0;     // inserted at its place among its siblings
  virtual void NodeRemoving(FolderNode& node) = 0;  // about to go, with everything under it
  // Every child of the node is about to go, with everything under them, and the node closes.
  virtual void ChildrenRemoving(FolderNode& node) = 0;
  virtual void NodeChanged(FolderNode& node) = 0;   // text, images or expand button
  // The tree opened, closed or selected a node by itself (navigation, a watcher's report).
  virtual void NodeExpanded(FolderNode& node, bool expanded) = 0;
  virtual void NodeSelected(FolderNode& node) = 0;
  // A drive's watcher should run (true) or wait (false).
  virtual void WatchDrive(FolderNode& drive, bool watching) = 0;
  // Window updates held back (nesting) while branches are read or the tree navigates.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
};

// The text shortened in the middle with "..." so that its width is at most maxWidth; the whole
// text when it fits.
std::wstring ShortenMiddle(const std::wstring& text, int maxWidth,
                           const std::function<int(const std::wstring&)>& width);

// The path of a node as `Directory` holds it: "?.0" + name for the desktop, "?.1" + name for the
// computer, "X:\" for a drive, "X:\A\B\" for a folder.
std::wstring NodePath(const FolderNode& node);
// The path as `Directory` reads it: the text after a "?." marker, else the path itself.
std::wstring ShownDirectory(const std::wstring& path);

class FolderTree {
 public:
  FolderTree(platform::FileSystem& files, platform::Drives& drives, FolderShell& shell,
             platform::MessageBoxes& boxes);
  ~FolderTree();
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;

  void SetObserver(FolderTreeObserver* observer) { observer_ = observer; }
  // The key a folder's name sorts by: the keys' plain order is the tree's. The folded name by
  // default (case-blind); the view gives the user's locale's sort key.
  std::function<std::wstring(const std::wstring&)> SortKey;

  bool ReadOnly = false;
  bool FreshDrives = false;
  void* MessageOwner = nullptr;   // owner of the not-ready box
  std::wstring MessageCaption;    // its title

  std::function<void(FolderNode& node)> OnChange;
  std::function<void(FolderNode& node, const std::wstring& text)> OnEdited;
  std::function<void(FolderNode& node)> OnEditCancel;
  std::function<void(FolderNode& node)> OnEndCreating;
  std::function<void(const std::wstring& oldPath, const std::wstring& newPath, bool success)>
      OnFileRename;

  // The desktop, the computer and the drives; then Directory "C:\" unless one was set.
  void Build();
  FolderNode* Desktop() const { return desktop_.get(); }
  FolderNode* Computer() const;
  FolderNode* Selected() const { return selected_; }
  FolderNode* DriveNode(wchar_t letter) const;

  // Reads the branch below the node. False when it stays closed: a drive that is not ready (the
  // box "В дисководе X:\ нет диска." is shown) or has no folders, a folder without subfolders.
  bool Expand(FolderNode& node);
  // Closes the node; below the computer its children are forgotten and read afresh next time.
  void Collapse(FolderNode& node);
  // Whether the node shows an expand button (looks one level ahead the first time it is asked).
  bool HasButton(FolderNode& node);

  // The selected node's path (the marker form for the desktop and the computer).
  const std::wstring& StoredPath() const { return stored_; }
  std::wstring Directory() const { return ShownDirectory(stored_); }
  // Selects the deepest existing folder of the path.
  void SetDirectory(const std::wstring& value);

  // The user selected a node in the view.
  void SelectionChanged(FolderNode* node);
  // Up and Down: the change handling waits until the view's timer ends the deferral.
  void BeginKeyboardDeferral() { deferring_ = true; }
  void EndKeyboardDeferral();

  bool CanEdit(const FolderNode& node) const;
  // A label edit ended: with the new text, or abandoned (null). True when the folder was renamed;
  // only to one plain name (util::CheckName), as the installer and the uninstaller take names.
  bool EndEdit(FolderNode& node, const std::wstring* text);

  // Watching: drives whose watcher runs while their branch is open and Notify is on.
  bool Notify() const { return notify_; }
  void SetNotify(bool notify);
  static bool NeedsWatcher(const FolderNode& drive);
  // A watcher saw folders change on the drive: open branches are read again and the selection
  // kept as far as it still exists.
  void DriveChanged(wchar_t letter);

 private:
  class UpdateLock;

  std::unique_ptr<FolderNode> MakeNode(NodeKind kind, const std::wstring& text, int image,
                                       int selectedImage);
  void AddDrive(wchar_t letter);
  bool DriveReady(wchar_t letter);
  // The subfolders of the folder, sorted, names starting with "." left out; false when it
  // cannot be listed.
  bool ReadFolders(const std::wstring& path, std::vector<TFolderItem>* folders);
  std::unique_ptr<FolderNode> MakeFolderNode(const TFolderItem& folder);
  void Insert(FolderNode& parent, size_t index, std::unique_ptr<FolderNode> child);
  void RemoveChildren(FolderNode& node);
  void RemoveChild(FolderNode& parent, size_t index);
  void SetOpenImage(FolderNode& node, bool open);
  void ExpandAndShow(FolderNode& node);
  void Navigate(const std::wstring& path);
  void Select(FolderNode& node);
  void ChangeHandling();
  void Refresh(FolderNode& node);
  bool Contains(const FolderNode& ancestor, const FolderNode* node) const;

  platform::FileSystem& files_;
  platform::Drives& drives_;
  FolderShell& shell_;
  platform::MessageBoxes& boxes_;
  FolderTreeObserver* observer_ = nullptr;

  std::unique_ptr<FolderNode> desktop_;
  FolderNode* selected_ = nullptr;
  std::wstring stored_;
  int closedIcon_ = -1, openIcon_ = -1;
  bool deferring_ = false;
  bool notify_ = false;
  bool assigning_ = false;
  bool rescan_ = false;
};

}  // namespace controls
