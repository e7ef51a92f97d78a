#pragma once
// Which paths the uninstaller may touch: plain full local paths ("C:\a\b") inside the folders it
// owns. A path with "." or ".." steps, another separator, a stream name, a device name (CON,
// NUL, COM1, ...) or a name Windows would trim is refused as a whole, never followed.
#include <string>

namespace uninstall {

// "X:\" followed by components that name ordinary files.
bool IsPlainFullPath(const std::wstring& path);
// True when path is a plain full path strictly inside folder (compared case-blind).
bool IsInside(const std::wstring& path, const std::wstring& folder);
// The same, or the folder itself.
bool IsInsideOrSame(const std::wstring& path, const std::wstring& folder);

}  // namespace uninstall
