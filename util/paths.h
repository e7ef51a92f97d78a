#pragma once
// Plain full paths: "X:\" followed by names of ordinary files ("C:\Program files\Sketrion"). The
// installer takes only such a folder as its destination and the uninstaller touches only such
// paths, so a name Windows would read otherwise (a device, a name it trims, a stream, a "." or
// ".." step) is refused as a whole rather than followed. The destination page and the medium
// checker judge a destination folder by one rule, CheckDestinationFolder.
#include <string>

namespace util {

// What keeps a path from being a plain full path: the first fault from the left.
enum class PathFault {
  kNone,
  kNotFull,             // not "X:\" with a Latin drive letter: relative, "C:name", "\\server\x"
  kEmptyName,           // two backslashes in a row, or one at the end
  kForbiddenCharacter,  // a control character or one of < > : " / | ? *
  kDeviceName,          // CON, PRN, AUX, NUL, COM1, LPT1, ... with any extension
  kEndsInSpaceOrDot,    // Windows trims such a name; "." and ".." too
  kDriveRoot,           // a drive's root where a folder below it is wanted
};

struct PathCheck {
  PathFault fault = PathFault::kNone;
  std::wstring name;      // the name at fault (all but kNotFull)
  wchar_t character = 0;  // the character at fault (kForbiddenCharacter)
};

// A drive's root ("C:\") passes.
PathCheck CheckPlainFullPath(const std::wstring& path);
bool IsPlainFullPath(const std::wstring& path);

// One file or folder name (no backslash) by the same rule: an empty name, a forbidden
// character, a device's name or a trailing blank or dot is at fault.
PathCheck CheckName(const std::wstring& name);

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
