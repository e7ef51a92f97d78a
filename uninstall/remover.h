#pragma once
// Removing files and folders with the reason a removal failed, which the uninstaller needs and
// the plain file layer does not tell: a file in use is worth one retry, a refused one is not.
// Implemented over Win32 (remover_win.cpp) and over the in-memory file system for tests.
#include <string>

namespace uninstall {

enum class RemoveOutcome { Removed, Missing, InUse, Refused, NotEmpty };

class Remover {
 public:
  virtual ~Remover() = default;
  // A file, read-only or not.
  virtual RemoveOutcome RemoveFile(const std::wstring& path) = 0;
  // An empty folder; NotEmpty when something is still in it.
  virtual RemoveOutcome RemoveFolder(const std::wstring& path) = 0;
  // Has Windows remove the file or empty folder at its next start; false when it refuses.
  virtual bool RemoveAtRestart(const std::wstring& path) = 0;
};

}  // namespace uninstall
