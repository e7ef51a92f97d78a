#include "platform/win32/shell_win.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/scoped_win.h"

namespace platform {
namespace {

// An item identifier list from the shell, freed with the object.
using ItemIdList = ScopedTaskMemory<LPITEMIDLIST>;

class Win32ShellLink : public ShellLink {
 public:
  // Both interfaces of one new link object; Ok() is false when either could not be had.
  Win32ShellLink() {
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link_.ReceiveVoid())))
      return;
    if (FAILED(link_->QueryInterface(IID_IPersistFile, file_.ReceiveVoid()))) link_.Reset();
  }
  bool Ok() const { return link_ && file_; }

  void SetPath(const std::wstring& path) override { link_->SetPath(path.c_str()); }
  void SetWorkingDirectory(const std::wstring& folder) override {
    link_->SetWorkingDirectory(folder.c_str());
  }
  void SetIconLocation(const std::wstring& file, int index) override {
    link_->SetIconLocation(file.c_str(), index);
  }
  bool Save(const std::wstring& file) override { return SUCCEEDED(file_->Save(file.c_str(), TRUE)); }
  bool Load(const std::wstring& file) override { return SUCCEEDED(file_->Load(file.c_str(), STGM_READ)); }

  ShellLinkData Data() override {
    ShellLinkData data;
    wchar_t text[MAX_PATH + 1] = {};
    // The target as the shell resolves it: through the link's item list when it has one (the
    // path beside it may be kept in the ANSI code page only, as Wine keeps it).
    ItemIdList target;
    if (SUCCEEDED(link_->GetIDList(target.Receive())) && target.Get() && SHGetPathFromIDListW(target.Get(), text))
      data.path = text;
    else if (SUCCEEDED(link_->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)))
      data.path = text;
    text[0] = 0;
    if (SUCCEEDED(link_->GetWorkingDirectory(text, MAX_PATH))) data.workingDirectory = text;
    text[0] = 0;
    int index = 0;
    if (SUCCEEDED(link_->GetIconLocation(text, MAX_PATH, &index))) {
      data.iconPath = text;
      data.iconIndex = index;
    }
    return data;
  }

 private:
  ComRef<IShellLinkW> link_;
  ComRef<IPersistFile> file_;
};

}  // namespace

bool Win32Shell::FolderPath(ShellFolder folder, std::wstring* path) {
  ItemIdList list;
  int csidl = CSIDL_DESKTOP;
  switch (folder) {
    case ShellFolder::Desktop: csidl = CSIDL_DESKTOP; break;
    case ShellFolder::Programs: csidl = CSIDL_PROGRAMS; break;
    case ShellFolder::CommonDesktop: csidl = CSIDL_COMMON_DESKTOPDIRECTORY; break;
    case ShellFolder::CommonPrograms: csidl = CSIDL_COMMON_PROGRAMS; break;
  }
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, list.Receive())) || !list.Get()) return false;
  wchar_t text[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(list.Get(), text) || !text[0]) return false;
  *path = text;
  return true;
}

std::unique_ptr<ShellLink> Win32Shell::NewLink() {
  auto link = std::make_unique<Win32ShellLink>();
  if (!link->Ok()) return nullptr;
  return link;
}

}  // namespace platform
