#pragma once
// Removal over Win32: DeleteFileW/RemoveDirectoryW with the reason of a failure, and
// MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT for what must wait for the restart.
#include "uninstall/remover.h"

namespace uninstall {

class Win32Remover : public Remover {
 public:
  RemoveOutcome RemoveFile(const std::wstring& path) override;
  RemoveOutcome RemoveFolder(const std::wstring& path) override;
  bool RemoveAtRestart(const std::wstring& path) override;
};

}  // namespace uninstall
