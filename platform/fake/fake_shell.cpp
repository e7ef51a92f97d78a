#include "platform/fake/fake_shell.h"

#include "platform/file_system.h"
#include "util/codepage.h"
#include "util/paths.h"

namespace platform {

class FakeShellLink : public ShellLink {
 public:
  explicit FakeShellLink(FakeShell& shell) : shell_(shell) {}

  void SetPath(const std::wstring& path) override { data_.path = path; }
  void SetWorkingDirectory(const std::wstring& folder) override { data_.workingDirectory = folder; }
  void SetIconLocation(const std::wstring& file, int index) override {
    data_.iconPath = file;
    data_.iconIndex = index;
  }
  bool Save(const std::wstring& file) override {
    if (shell_.refuseSave) return false;
    const std::wstring folder = util::WithoutTrailingBackslash(util::FolderOf(file));
    if (shell_.files_.Kind(folder) != PathKind::Directory) return false;
    if (shell_.files_.Kind(file) == PathKind::Directory) return false;
    shell_.files_.Remove(file);
    std::unique_ptr<WritableFile> out = shell_.files_.CreateNew(file);
    const char marker[] = "fake shell link";
    if (!out || !out->Write(marker, sizeof marker - 1) || !out->Close()) return false;
    shell_.saved_[util::FoldCase(file)] = data_;
    return true;
  }
  bool Load(const std::wstring& file) override {
    const ShellLinkData* saved = shell_.SavedLink(file);
    if (!saved) return false;
    data_ = *saved;
    return true;
  }
  ShellLinkData Data() override { return data_; }

 private:
  FakeShell& shell_;
  ShellLinkData data_;
};

const ShellLinkData* FakeShell::SavedLink(const std::wstring& file) const {
  auto it = saved_.find(util::FoldCase(file));
  return it == saved_.end() ? nullptr : &it->second;
}

bool FakeShell::FolderPath(ShellFolder folder, std::wstring* path) {
  switch (folder) {
    case ShellFolder::Desktop: *path = desktop; break;
    case ShellFolder::Programs: *path = programs; break;
    case ShellFolder::CommonDesktop: *path = commonDesktop; break;
    case ShellFolder::CommonPrograms: *path = commonPrograms; break;
  }
  return !path->empty();
}

std::unique_ptr<ShellLink> FakeShell::NewLink() {
  if (refuseLinkObject) return nullptr;
  return std::make_unique<FakeShellLink>(*this);
}

}  // namespace platform
