#pragma once
// Drives for tests: each letter is a plain record; a drive that is not ready has no size.
#include <map>

#include "platform/drives.h"

namespace platform {

struct FakeDrive {
  int type = dtFixed;
  bool ready = true;
  DriveSpace space{1e9, 5e8};
  uint32_t attributes = 0x10;
};

class FakeDrives : public Drives {
 public:
  std::map<wchar_t, FakeDrive> drives;  // by upper-case letter
  // Counts of Space calls by letter: removable drives must not be touched needlessly.
  std::map<wchar_t, int> spaceAsked;

  uint32_t LogicalDrives() override;
  int DriveType(wchar_t letter) override;
  bool Space(wchar_t letter, DriveSpace* space) override;
  uint32_t RootAttributes(wchar_t letter) override;
};

}  // namespace platform
