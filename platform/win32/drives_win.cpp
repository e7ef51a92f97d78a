// Drives over Win32. Every question that may touch an empty drive is asked with the system's
// critical-error box switched off, so no "insert a disc" box appears behind the caller's back.
#include <windows.h>

#include <string>

#include "platform/drives.h"
#include "platform/win32/scoped_win.h"

namespace platform {
namespace {

std::wstring Root(wchar_t letter) { return std::wstring(1, letter) + L":\\"; }

class WinDrives : public Drives {
 public:
  uint32_t LogicalDrives() override { return GetLogicalDrives(); }
  int DriveType(wchar_t letter) override {
    return static_cast<int>(GetDriveTypeW(Root(letter).c_str()));
  }
  bool Space(wchar_t letter, DriveSpace* space) override {
    ThreadErrorMode quiet;
    // A drive whose root cannot be reached is not ready, whatever size the system still reports
    // for it (Wine does so for a drive whose folder is gone).
    if (GetFileAttributesW(Root(letter).c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceW(Root(letter).c_str(), &sectorsPerCluster, &bytesPerSector,
                           &freeClusters, &clusters))
      return false;
    double unit = static_cast<double>(sectorsPerCluster) * bytesPerSector;
    space->total = unit * clusters;
    space->free = unit * freeClusters;
    return true;
  }
  uint32_t RootAttributes(wchar_t letter) override {
    ThreadErrorMode quiet;
    DWORD a = GetFileAttributesW(Root(letter).c_str());
    return a == INVALID_FILE_ATTRIBUTES ? 0 : a;
  }
};

}  // namespace

Drives& RealDrives() {
  static WinDrives drives;
  return drives;
}

}  // namespace platform
