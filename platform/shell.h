#pragma once
// The Windows shell, as the installation actions use it: the shell folders (the current user's
// and every user's) and
// shell links (shortcut files). Implemented over the shell's link object (platform/win32) and in
// memory (FakeShell) for native tests.
#include <memory>
#include <string>

namespace platform {

// The folders a shortcut can go to: the current user's, and those every user sees.
enum class ShellFolder { Desktop, Programs, CommonDesktop, CommonPrograms };

// What a shortcut holds, as the installer sets it.
struct ShellLinkData {
  std::wstring path;              // the target it starts
  std::wstring workingDirectory;
  std::wstring iconPath;          // empty: no icon location of its own
  int iconIndex = 0;
};

// One shell link object. The setters only describe the link; Save writes it.
class ShellLink {
 public:
  virtual ~ShellLink() = default;
  virtual void SetPath(const std::wstring& path) = 0;
  virtual void SetWorkingDirectory(const std::wstring& folder) = 0;
  virtual void SetIconLocation(const std::wstring& file, int index) = 0;
  // Writes the link into `file` (its folder must exist); false when it cannot.
  virtual bool Save(const std::wstring& file) = 0;
  // Reads a link file into this object; false when it cannot.
  virtual bool Load(const std::wstring& file) = 0;
  virtual ShellLinkData Data() = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // The file-system path of the folder (no trailing backslash); false when the lookup fails.
  virtual bool FolderPath(ShellFolder folder, std::wstring* path) = 0;
  // A new link object; null when the shell cannot make one.
  virtual std::unique_ptr<ShellLink> NewLink() = 0;
};

}  // namespace platform
