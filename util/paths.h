#pragma once
// Paths: their parts (drive, folder, name, trailing backslash), their long form, and the rules
// for names. A plain full path is "X:\" followed by names of ordinary files ("C:\Program
// files\Sketrion"). The installer writes, the folder chooser names and the uninstaller touches
// only such paths, so a name Windows would read otherwise (a device, a name it trims, a stream, a
// "." or ".." step) is refused as a whole rather than followed: what one of them makes, the others
// accept. The destination page and the medium checker judge a destination folder by one rule,
// CheckDestinationFolder. AddBackslash lives with the string functions (util/strings.h).
#include <cstddef>
#include <string>

namespace util {

// The parts of a path. A file's name follows the last "\", "/" or ":" (of "C:name").

// The length of the root a path starts with, its backslash included: 3 of "C:\x", 2 of "C:x",
// that of "\\server\share\" of a network path, 1 of "\x", 0 of a relative path.
size_t RootLength(const std::wstring& path);
// "C:" of "C:\WINDOWS\", "\\server\share" of a network path, empty otherwise.
std::wstring DriveOf(const std::wstring& path);
// The folder of a file's path with its trailing separator ("D:\CD\" of "D:\CD\Setup.exe"); empty
// when the path has no folder part.
std::wstring FolderOf(const std::wstring& path);
// The name after the folder ("Setup.exe" of "D:\CD\Setup.exe"); the whole path when it has no
// folder part.
std::wstring NameOf(const std::wstring& path);
// The path without its trailing backslashes. A drive's root keeps its own: "C:" alone would
// name the drive's current folder.
std::wstring WithoutTrailingBackslash(std::wstring path);
// The "\\?\" form of a full path, which Windows takes literally and beyond MAX_PATH
// ("\\?\UNC\server\share" of a network path); a path already in that form stays.
std::wstring LongForm(const std::wstring& fullPath);

// The longest path of a program Windows starts (CreateProcess, a shortcut's target): the classic
// limit of MAX_PATH, its terminating NUL not counted.
constexpr size_t kMaxStartedPath = 259;

// What keeps a path from being a plain full path: the first fault from the left.
enum class PathFault {
  kNone,
  kNotFull,             // not "X:\" with a Latin drive letter: relative, "C:name", "\\server\x"
  kEmptyName,           // two backslashes in a row, or one at the end
  kForbiddenCharacter,  // a control character or one of < > : " / \ | ? *
  kDeviceName,          // CON, PRN, AUX, NUL, COM1, LPT1, CLOCK$, ... with any extension
  kEndsInSpaceOrDot,    // Windows trims such a name; "." and ".." too
  kDriveRoot,           // a drive's root where a folder below it is wanted
};

struct PathCheck {
  PathFault fault = PathFault::kNone;
  std::wstring name;      // the name at fault (all but kNotFull)
  wchar_t character = 0;  // the character at fault (kForbiddenCharacter)
};

// One file or folder name: an empty name, a forbidden character (a backslash too), a device's
// name or a trailing blank or dot is at fault. The one rule for a name, wherever it comes from:
// a path, a folder renamed in the chooser, an archive's entry.
PathCheck CheckName(const std::wstring& name);
bool IsPlainName(const std::wstring& name);

// Names separated by single backslashes ("Sketrion\Sketrion 7.2.lnk"), each by CheckName; the
// empty path and a leading or trailing backslash give kEmptyName.
PathCheck CheckPlainRelativePath(const std::wstring& path);
bool IsPlainRelativePath(const std::wstring& path);

// A drive's root ("C:\") passes.
PathCheck CheckPlainFullPath(const std::wstring& path);
bool IsPlainFullPath(const std::wstring& path);

// True when path is a plain full path strictly inside folder (compared case-blind): the rule by
// which the installer and the uninstaller tell what lies in a folder of theirs.
bool IsInside(const std::wstring& path, const std::wstring& folder);
// The same, or the folder itself.
bool IsInsideOrSame(const std::wstring& path, const std::wstring& folder);

// The characters a destination folder may hold: Latin letters, underscore, backslash, colon,
// hyphen, digits and the space; no full stop, no parentheses, no other letters.
extern const wchar_t AllowedPathChars[];

// Why a folder cannot be the installation's destination, whatever the drive it is on: a
// character outside AllowedPathChars (kForbiddenCharacter, the first one), then any fault of a
// plain full path, then a drive's root (kDriveRoot, the root as `name`). The folder may end with
// one backslash, as the model stores it. Whether the drive takes an installation is the
// caller's to ask.
PathCheck CheckDestinationFolder(const std::wstring& folder);

}  // namespace util
