#include "uninstall/hand_over.h"

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "util/paths.h"

namespace uninstall {

platform::ProgramResult HandOverToCopy(platform::System& system, platform::FileSystem& files,
                                       const std::wstring& self, const std::wstring& arguments, uint32_t processId) {
  const std::wstring temp = system.TempDir();
  if (!util::IsPlainFullPath(temp)) return {};
  const std::wstring folder =
      temp + (temp.back() == L'\\' ? L"" : L"\\") + L"SketrionUninstall" + std::to_wstring(processId);
  // Only a folder made now: one that is already there may hold files someone else put there.
  if (files.Kind(folder) != platform::PathKind::Missing || !files.MakeDirectory(folder)) return {};
  const std::wstring copy = folder + L"\\UnInstall.exe";
  try {
    platform::CopyFileByStream(files, self, copy);
    const platform::ProgramResult result = system.StartProgramForResult(copy, arguments, folder, L"/RESULT=");
    if (result.status != platform::ProgramResult::Status::NotStarted) return result;
    files.Remove(copy);
  } catch (const platform::FileError&) {
    // The copy leaves nothing half written behind.
  }
  files.Remove(folder);
  return {};
}

}  // namespace uninstall
