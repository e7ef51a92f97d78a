#pragma once
// A FileSystem that passes everything to another one but fails where a test asks it to: a disk
// that fills after some bytes, refused creation of files or folders, refused renames, files held
// by another program.
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace platform {

class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

  int64_t disk_space = -1;  // bytes that may still be written; -1 = unlimited
  bool refuse_create = false;
  bool refuse_directory = false;
  bool refuse_rename = false;
  bool refuse_flush = false;  // a disk that cannot confirm the data reached it
  // Files another program holds (either separator): they cannot be replaced now.
  std::set<std::wstring> in_use;
  bool refuse_restart = false;  // no right to leave a replacement for the restart
  // The replacements left for the restart, in order (from, to); none is carried out.
  std::vector<std::pair<std::wstring, std::wstring>> at_restart;

  std::unique_ptr<ReadableFile> OpenRead(const std::wstring& path) override { return inner_.OpenRead(path); }
  PathKind Kind(const std::wstring& path) override { return inner_.Kind(path); }
  PathKind KindInPlace(const std::wstring& path) override { return inner_.KindInPlace(path); }
  bool MakeDirectory(const std::wstring& path) override;
  std::unique_ptr<WritableFile> CreateNew(const std::wstring& path) override;
  std::unique_ptr<WritableFile> OpenAppend(const std::wstring& path) override;
  bool Replace(const std::wstring& from, const std::wstring& to) override;
  bool InUse(const std::wstring& path) override { return Held(path) || inner_.InUse(path); }
  bool ReplaceAtRestart(const std::wstring& from, const std::wstring& to) override;
  bool Remove(const std::wstring& path) override { return inner_.Remove(path); }
  bool MakeWritable(const std::wstring& path) override { return inner_.MakeWritable(path); }
  bool SetTimes(const std::wstring& path, uint64_t m, uint64_t c, uint64_t a) override {
    return inner_.SetTimes(path, m, c, a);
  }
  bool SetAttributes(const std::wstring& path, const FileAttributes& attributes) override {
    return inner_.SetAttributes(path, attributes);
  }
  bool List(const std::wstring& folder,
            const std::function<bool(const DirectoryEntry&)>& visit) override {
    return inner_.List(folder, visit);
  }
  bool Rename(const std::wstring& from, const std::wstring& to) override {
    return !refuse_rename && inner_.Rename(from, to);
  }

 private:
  bool Held(const std::wstring& path) const;
  std::unique_ptr<WritableFile> Watched(std::unique_ptr<WritableFile> file);

  FileSystem& inner_;
};

}  // namespace platform
