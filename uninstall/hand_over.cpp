#include "uninstall/hand_over.h"

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/system.h"
#include "util/paths.h"

namespace uninstall {

bool HandOverToCopy(platform::System& system, platform::FileSystem& files, const std::wstring& self,
                    const std::wstring& destination, uint32_t processId) {
  const std::wstring temp = system.TempDir();
  if (!util::IsPlainFullPath(temp)) return false;
  const std::wstring folder =
      temp + (temp.back() == L'\\' ? L"" : L"\\") + L"SketrionUninstall" + std::to_wstring(processId);
  // Only a folder made now: one that is already there may hold files someone else put there.
  if (files.Kind(folder) != platform::PathKind::Missing || !files.MakeDirectory(folder)) return false;
  const std::wstring copy = folder + L"\\UnInstall.exe";
  try {
    platform::CopyFileByStream(files, self, copy);
    const std::wstring arguments = L"/UNINSTALL \"" + destination + L"\" " + std::to_wstring(processId);
    if (system.StartProgram(copy, arguments, folder)) return true;
    files.Remove(copy);
  } catch (const platform::FileError&) {
    // The copy leaves nothing half written behind.
  }
  files.Remove(folder);
  return false;
}

}  // namespace uninstall
