#pragma once
// TkpFolderTreeView: the folder tree as a Win32 control. A small container window holds a
// common-controls tree view and mirrors FolderTree's nodes into it; the user's expanding,
// selecting, keys and label edits go to FolderTree. It adds what only a window can do: Up and
// Down that report the selection one second after the last key, Shift/Ctrl with Right or Left to
// open or close a branch, two quick clicks as a double click, compressed folders drawn in
// AltColor, and one watcher thread per fixed or RAM drive.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "controls/file_notify_win.h"
#include "controls/folder_shell_win.h"
#include "controls/folder_tree.h"
#include "platform/dialogs.h"
#include "platform/win32/scoped_win.h"
#include "winui/window_win.h"

namespace platform {
class Drives;
class FileSystem;
}  // namespace platform

namespace controls {

class TkpFolderTreeView : private FolderTreeObserver, private winui::MessageHandler {
 public:
  // The machine's own disks, drives and message boxes.
  TkpFolderTreeView();
  TkpFolderTreeView(platform::FileSystem& files, platform::Drives& drives);
  ~TkpFolderTreeView() override;
  TkpFolderTreeView(const TkpFolderTreeView&) = delete;
  TkpFolderTreeView& operator=(const TkpFolderTreeView&) = delete;

  // Creates the control as a child of `parent` and builds the tree (pixels, client coordinates).
  HWND Create(HWND parent, int x, int y, int width, int height, int id = 0);
  HWND Handle() const { return window_.Get(); }
  HWND TreeHandle() const { return tree_.Get(); }
  FolderTree& Tree() { return tree_model_; }

  std::wstring Directory() const { return tree_model_.Directory(); }
  void SetDirectory(const std::wstring& value);

  COLORREF AltColor = RGB(0, 0, 255);
  void SetIndent(int indent);
  // An optional label that always shows Directory, shortened in the middle to its width.
  HWND DirLabel = nullptr;
  bool Notify() const { return tree_model_.Notify(); }
  void SetNotify(bool notify) { tree_model_.SetNotify(notify); }
  // Before Create, like the model's own.
  bool& FreshDrives() { return tree_model_.FreshDrives; }
  void SetMessageCaption(const std::wstring& caption) { tree_model_.MessageCaption = caption; }

  // After every selection change, once Directory is up to date.
  std::function<void(TkpFolderTreeView& sender, FolderNode& node)> OnChange;
  // The keyboard deferral's delay, for tests that cannot wait a second (ms).
  UINT KeyboardDelay = 1000;

  // Watcher threads this control runs.
  size_t WatcherCount() const { return watchers_.size(); }

 private:
  // The tree view's messages, before its own procedure has them.
  struct TreeMessages : winui::MessageHandler {
    explicit TreeMessages(TkpFolderTreeView& view) : view_(view) {}
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
      return view_.HandleTreeMessage(msg, wParam, lParam);
    }
    TkpFolderTreeView& view_;
  };

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT HandleTreeMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(NMHDR* header);
  LRESULT OnCustomDraw(NMTVCUSTOMDRAW* draw);
  void MoveByKey(UINT key);
  void ExpandByUser(FolderNode& node, bool expand);
  void DirectoryChanged(FolderNode& node);
  void StartWatcher(FolderNode& drive);
  static FolderNode* NodeOf(LPARAM param) { return reinterpret_cast<FolderNode*>(param); }
  FolderNode* NodeOfItem(HTREEITEM item) const;

  // FolderTreeObserver
  void NodeAdded(FolderNode& node) override;
  void NodeRemoving(FolderNode& node) override;
  void ChildrenRemoving(FolderNode& node) override;
  void NodeChanged(FolderNode& node) override;
  void NodeExpanded(FolderNode& node, bool expanded) override;
  void NodeSelected(FolderNode& node) override;
  void WatchDrive(FolderNode& drive, bool watching) override;
  void BeginUpdate() override;
  void EndUpdate() override;

  std::unique_ptr<platform::MessageBoxes> boxes_;
  WinFolderShell shell_;
  FolderTree tree_model_;
  TreeMessages treeMessages_{*this};
  winui::BoundWindow tree_{treeMessages_};
  // While the control changes the tree view itself, the view's notifications are not the user's.
  int syncing_ = 0;
  int updates_ = 0;
  HCURSOR savedCursor_ = nullptr;
  DWORD lastClickTime_ = 0;
  POINT lastClick_ = {};
  std::map<wchar_t, std::unique_ptr<TFileNotify>> watchers_;
  // Last: the window ends first, before the watchers and the model it shows.
  winui::BoundWindow window_{*this};
};

}  // namespace controls
