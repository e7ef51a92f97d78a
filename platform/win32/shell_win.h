#pragma once
// The shell over Win32: the special-folder lookup and the shell link object (IShellLinkW and
// IPersistFile). COM must be initialised on the calling thread (ComApartment).
#include "platform/shell.h"

namespace platform {

class Win32Shell : public Shell {
 public:
  bool FolderPath(ShellFolder folder, std::wstring* path) override;
  std::unique_ptr<ShellLink> NewLink() override;
};

}  // namespace platform
