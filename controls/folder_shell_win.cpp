#include "controls/folder_shell_win.h"

#include <shlobj.h>
#include <shellapi.h>

#include "platform/win32/scoped_win.h"

namespace controls {

namespace {

// A special folder's name and icon (CSIDL_DESKTOP, CSIDL_DRIVES).
ShellItem SpecialFolder(int csidl) {
  ShellItem item;
  platform::ScopedTaskMemory<PIDLIST_ABSOLUTE> pidl;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, pidl.Receive())) || !pidl) return item;
  SHFILEINFOW info = {};
  if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl.Get()), 0, &info, sizeof info,
                     SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
    item.name = info.szDisplayName;
    item.icon = info.iIcon;
  }
  return item;
}

// The generic folder icon, asked by attributes so that no disk is touched.
int FolderIcon(UINT extra) {
  SHFILEINFOW info = {};
  SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                 SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra);
  return info.iIcon;
}

}  // namespace

ShellItem WinFolderShell::Desktop() { return SpecialFolder(CSIDL_DESKTOP); }
ShellItem WinFolderShell::Computer() { return SpecialFolder(CSIDL_DRIVES); }

ShellItem WinFolderShell::DriveRoot(const std::wstring& root) {
  ShellItem item;
  platform::ThreadErrorMode quiet;  // no "insert a disk" box for an empty drive
  SHFILEINFOW info = {};
  if (SHGetFileInfoW(root.c_str(), 0, &info, sizeof info,
                     SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
    item.name = info.szDisplayName;
    item.icon = info.iIcon;
  }
  return item;
}

int WinFolderShell::ClosedFolderIcon() { return FolderIcon(0); }
int WinFolderShell::OpenFolderIcon() { return FolderIcon(SHGFI_OPENICON); }

HIMAGELIST WinFolderShell::SystemImageList() {
  SHFILEINFOW info = {};
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                     SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

}  // namespace controls
