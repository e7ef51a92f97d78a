#pragma once
// The machine's drives as the folder tree shows them: which letters exist, of what type, and
// whether a disc is in. Implemented over Win32 (platform/win32) and by FakeDrives for tests.
#include <cstdint>

namespace platform {

// Numbered as Win32's DRIVE_* types.
enum DriveTypes { dtUnknown = 0, dtNoRoot = 1, dtRemovable = 2, dtFixed = 3, dtRemote = 4,
                  dtCdRom = 5, dtRamDisk = 6 };

struct DriveSpace {
  double total = 0;  // bytes: clusters x sectors per cluster x bytes per sector
  double free = 0;
};

class Drives {
 public:
  virtual ~Drives() = default;
  // Bit n set for the drive letter 'A' + n.
  virtual uint32_t LogicalDrives() = 0;
  // The type of the drive `letter` ('A'..'Z').
  virtual int DriveType(wchar_t letter) = 0;
  // The drive's size; false when it is not ready (no disc, its target gone). Asked without the
  // system's own "insert a disc" box.
  virtual bool Space(wchar_t letter, DriveSpace* space) = 0;
  // Attributes of the drive's root folder; 0 when they cannot be read.
  virtual uint32_t RootAttributes(wchar_t letter) = 0;
};

#ifdef _WIN32
// The machine's own drives.
Drives& RealDrives();
#endif

}  // namespace platform
