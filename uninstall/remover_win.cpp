#include "uninstall/remover_win.h"

#include <windows.h>

#include "platform/win32/scoped_win.h"
#include "util/paths.h"

namespace uninstall {
namespace {

RemoveOutcome FromError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return RemoveOutcome::Missing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return RemoveOutcome::InUse;
    case ERROR_DIR_NOT_EMPTY: return RemoveOutcome::NotEmpty;
    default: return RemoveOutcome::Refused;
  }
}

}  // namespace

RemoveOutcome Win32Remover::RemoveFile(const std::wstring& path) {
  const std::wstring p = util::LongForm(path);
  const DWORD attributes = GetFileAttributesW(p.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FromError(GetLastError());
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveOutcome::Refused;
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(p.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (DeleteFileW(p.c_str())) return RemoveOutcome::Removed;
  const DWORD error = GetLastError();
  if (error != ERROR_ACCESS_DENIED) return FromError(error);
  // A running program's file refuses deletion as "access denied": it is in use when it also
  // refuses to be opened alone.
  platform::ScopedFile h(CreateFileW(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (h) return RemoveOutcome::Refused;
  return GetLastError() == ERROR_SHARING_VIOLATION ? RemoveOutcome::InUse : RemoveOutcome::Refused;
}

RemoveOutcome Win32Remover::RemoveFolder(const std::wstring& path) {
  const std::wstring p = util::LongForm(path);
  // A junction or link is never followed: only real folders are removed.
  const DWORD attributes = GetFileAttributesW(p.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FromError(GetLastError());
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return RemoveOutcome::Refused;
  if (RemoveDirectoryW(p.c_str())) return RemoveOutcome::Removed;
  return FromError(GetLastError());
}

bool Win32Remover::RemoveAtRestart(const std::wstring& path) {
  return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

}  // namespace uninstall
