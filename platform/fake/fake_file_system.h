#pragma once
// An in-memory file system for tests, with Windows paths matched case-blind ("C:\A\b.txt").
// Folders exist implicitly above every file and can be made explicitly. Paths that refuse to be
// opened for reading simulate an unreadable file; FaultyFileSystem on top of it fills the disk
// or refuses creation and renames. Links (PutLink) stand at any depth: a path through one reaches
// its target, and the link itself is what lies at its own place (Kind says Other, removing it
// removes the link), as a junction or symbolic link on Windows.
#include <map>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace platform {

class FakeFileSystem : public FileSystem {
 public:
  void PutFile(const std::wstring& path, const std::string& bytes);
  // Nullptr when there is no such file.
  const std::string* FileBytes(const std::wstring& path) const;
  // Opening the file for reading fails (it still exists).
  void DenyRead(const std::wstring& path);
  // Every path the fake holds a file at, as first written.
  std::set<std::wstring> FilePaths() const;
  // Listing the folder fails (it still exists), as for a folder the process may not read.
  void DenyList(const std::wstring& path);
  // Attributes a folder reports in listings (compressed, hidden...).
  void SetFolderAttributes(const std::wstring& path, uint32_t attributes);
  // Removes a folder with everything under it.
  void RemoveTree(const std::wstring& path);
  // A link at `path` (replacing nothing: the place must be free) leading to `target`, a full
  // path that need not exist.
  void PutLink(const std::wstring& path, const std::wstring& target);

  std::unique_ptr<ReadableFile> OpenRead(const std::wstring& path) override;
  PathKind Kind(const std::wstring& path) override;
  bool MakeDirectory(const std::wstring& path) override;
  std::unique_ptr<WritableFile> CreateNew(const std::wstring& path) override;
  std::unique_ptr<WritableFile> OpenAppend(const std::wstring& path) override;
  bool Replace(const std::wstring& from, const std::wstring& to) override;
  bool Remove(const std::wstring& path) override;
  bool MakeWritable(const std::wstring& path) override;
  bool SetTimes(const std::wstring& path, uint64_t modified, uint64_t created, uint64_t accessed) override;
  bool SetAttributes(const std::wstring& path, const FileAttributes& attributes) override;
  bool List(const std::wstring& folder,
            const std::function<bool(const DirectoryEntry&)>& visit) override;
  bool Rename(const std::wstring& from, const std::wstring& to) override;

 private:
  struct File {
    std::wstring path;  // as first written
    std::string bytes;
    FileAttributes attributes;
  };
  // The folded form of a path: separators unified, no trailing backslash.
  static std::wstring Key(const std::wstring& path);
  // The key of what a path reaches: the links on its way followed, its own place too when
  // `followLast` (a link there is otherwise the entry itself).
  std::wstring Where(const std::wstring& path, bool followLast = false) const;
  std::unique_ptr<WritableFile> WriterAtEnd(const std::wstring& key);
  bool IsDirectory(const std::wstring& key) const;

  struct Folder {
    std::wstring path;  // as first made
    uint32_t attributes = 0x10;
  };

  std::map<std::wstring, File> files_;
  std::map<std::wstring, Folder> directories_;
  std::set<std::wstring> deny_read_;
  std::set<std::wstring> deny_list_;
  struct Link {
    std::wstring path;    // as made
    std::wstring target;  // the target's key
  };
  std::map<std::wstring, Link> links_;
};

}  // namespace platform
