#include "platform/fake/fake_drives.h"

namespace platform {

uint32_t FakeDrives::LogicalDrives() {
  uint32_t mask = 0;
  for (const auto& d : drives)
    if (d.first >= L'A' && d.first <= L'Z') mask |= 1u << (d.first - L'A');
  return mask;
}

int FakeDrives::DriveType(wchar_t letter) {
  auto it = drives.find(letter);
  return it == drives.end() ? dtNoRoot : it->second.type;
}

bool FakeDrives::Space(wchar_t letter, DriveSpace* space) {
  ++spaceAsked[letter];
  auto it = drives.find(letter);
  if (it == drives.end() || !it->second.ready) return false;
  *space = it->second.space;
  return true;
}

uint32_t FakeDrives::RootAttributes(wchar_t letter) {
  auto it = drives.find(letter);
  return it == drives.end() || !it->second.ready ? 0 : it->second.attributes;
}

}  // namespace platform
