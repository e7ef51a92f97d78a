#pragma once
// Plain full paths: "X:\" followed by names of ordinary files ("C:\Program files\Sketrion"). The
// installer takes only such a folder as its destination and the uninstaller touches only such
// paths, so a name Windows would read otherwise (a device, a name it trims, a stream, a "." or
// ".." step) is refused as a whole rather than followed.
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
};

struct PathCheck {
  PathFault fault = PathFault::kNone;
  std::wstring name;      // the name at fault (all but kNotFull)
  wchar_t character = 0;  // the character at fault (kForbiddenCharacter)
};

// A drive's root ("C:\") passes.
PathCheck CheckPlainFullPath(const std::wstring& path);
bool IsPlainFullPath(const std::wstring& path);

}  // namespace util
