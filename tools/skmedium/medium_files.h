#pragma once
// The medium as the installer sees it: drive D:, reached by Windows paths ("D:\DOCS\DOCS.RAR")
// that are found in the host's folder without regard to case, as Windows finds them on a CD. A
// file or folder the host reaches through a link is what the link points at, as it will be on
// the burnt disc. Read-only: writing refuses.
#include <filesystem>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace skmedium {

class MediumFiles : public platform::FileSystem {
 public:
  static constexpr const wchar_t* kRoot = L"D:\\";

  explicit MediumFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // A path under kRoot with its "." and ".." steps taken as Windows takes them, by the text
  // alone: "D:\DOCS\..\A.RAR" is "D:\A.RAR", and a ".." at the root stays there (`*climbed` then
  // tells so). Without a trailing backslash; unchanged when it is not under kRoot.
  static std::wstring Normalized(const std::wstring& mediumPath, bool* climbed = nullptr);

  // The host's path of a path under kRoot (Normalized), each level matched without regard to
  // case; a level that is not there is kept as written (the path then leads nowhere). Empty for
  // a path that is not on the medium.
  std::filesystem::path HostPath(const std::wstring& mediumPath) const;

  std::unique_ptr<platform::ReadableFile> OpenRead(const std::wstring& path) override;
  platform::PathKind Kind(const std::wstring& path) override;
  bool MakeDirectory(const std::wstring&) override { return false; }
  std::unique_ptr<platform::WritableFile> CreateNew(const std::wstring&) override { return nullptr; }
  std::unique_ptr<platform::WritableFile> OpenAppend(const std::wstring&) override { return nullptr; }
  bool Replace(const std::wstring&, const std::wstring&) override { return false; }
  bool Remove(const std::wstring&) override { return false; }
  bool MakeWritable(const std::wstring&) override { return false; }
  bool SetTimes(const std::wstring&, uint64_t, uint64_t, uint64_t) override { return false; }
  bool SetAttributes(const std::wstring&, const platform::FileAttributes&) override { return false; }
  bool List(const std::wstring&, const std::function<bool(const platform::DirectoryEntry&)>&) override {
    return false;  // the checker opens the files it is told of; it never browses the medium
  }
  bool Rename(const std::wstring&, const std::wstring&) override { return false; }

 private:
  std::filesystem::path folder_;
};

}  // namespace skmedium
