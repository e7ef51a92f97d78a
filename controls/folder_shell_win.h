#pragma once
// The shell's display names and small-icon indexes for the folder tree, and the system's shared
// small-icon list they index (owned by the shell: never destroyed).
#include <windows.h>

#include <commctrl.h>

#include "controls/folder_tree.h"

namespace controls {

class WinFolderShell : public FolderShell {
 public:
  ShellItem Desktop() override;
  ShellItem Computer() override;
  ShellItem DriveRoot(const std::wstring& root) override;
  int ClosedFolderIcon() override;
  int OpenFolderIcon() override;

  static HIMAGELIST SystemImageList();
};

}  // namespace controls
