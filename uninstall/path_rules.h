#pragma once
// Which paths the uninstaller may touch: plain full local paths ("C:\a\b", util/paths.h) inside
// the folders it owns. Anything else is refused as a whole, never followed.
#include <string>

namespace uninstall {

// True when path is a plain full path strictly inside folder (compared case-blind).
bool IsInside(const std::wstring& path, const std::wstring& folder);
// The same, or the folder itself.
bool IsInsideOrSame(const std::wstring& path, const std::wstring& folder);

}  // namespace uninstall
