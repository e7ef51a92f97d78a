#include "formats/install_log.h"
#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/system.h"
#include "setup/setup.h"
#include "util/paths.h"

namespace setup {

void TSetup::MakeDestination() {
  // The missing folders, from the destination up to the first that exists.
  std::vector<std::wstring> missing;
  std::wstring folder = util::WithoutTrailingBackslash(FDestDir);
  while (folder.size() > util::RootLength(folder) && Files().Kind(folder) == platform::PathKind::Missing) {
    missing.push_back(folder);
    const std::wstring above = util::WithoutTrailingBackslash(util::FolderOf(folder));
    if (above.size() >= folder.size()) break;  // nothing above it to go up to
    folder = above;
  }
  if (missing.empty()) return;
  const std::wstring top = missing.back();
  // Where Windows already keeps ordinary users out, the new folders inherit that.
  const bool guarded = util::IsInside(top, platform::DefaultProgramFilesDir(System())) ||
                       util::IsInside(top, System().WindowsDir());
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    // A folder that cannot be made is left to the copying, which names what it cannot write.
    if (!Files().MakeDirectory(*it)) return;
    Log().AddFolder(*it);
    // The top one cut from what the drive's root hands down; those below inherit from it.
    if (*it == top && !guarded) System().ProtectLikeProgramFiles(*it);
  }
}

}  // namespace setup
