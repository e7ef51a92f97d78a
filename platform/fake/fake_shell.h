#pragma once
// The shell for tests: the shell folders are plain fields (an empty one fails its lookup), and a
// link is saved as a small file of the given FileSystem, so a missing folder refuses it as the
// real shell does; what each saved link holds is kept by its path.
#include <map>
#include <memory>
#include <string>

#include "platform/shell.h"

namespace platform {

class FileSystem;

class FakeShell : public Shell {
 public:
  explicit FakeShell(FileSystem& files) : files_(files) {}

  std::wstring desktop = L"C:\\Users\\user\\Desktop";
  std::wstring programs = L"C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
  std::wstring commonDesktop = L"C:\\Users\\Public\\Desktop";
  std::wstring commonPrograms = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
  bool refuseLinkObject = false;  // NewLink fails
  bool refuseSave = false;        // every Save fails

  // The link saved at `file` (matched case-blind); null when none was.
  const ShellLinkData* SavedLink(const std::wstring& file) const;
  size_t SavedCount() const { return saved_.size(); }

  bool FolderPath(ShellFolder folder, std::wstring* path) override;
  std::unique_ptr<ShellLink> NewLink() override;

 private:
  friend class FakeShellLink;
  FileSystem& files_;
  std::map<std::wstring, ShellLinkData> saved_;  // by folded path
};

}  // namespace platform
