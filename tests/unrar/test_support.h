#pragma once
// Shared pieces of the RAR library's tests: temporary folders, the corpus and its expectations,
// and a small owner of an open archive handle.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "unrar/unrar.h"

namespace unrar_test {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const fs::path& path() const { return path_; }
  std::wstring wide() const { return path_.wstring(); }

 private:
  fs::path path_;
};

fs::path Utf8Path(const std::string& utf8);
std::string ReadFileBytes(const fs::path& path);
void WriteFileBytes(const fs::path& path, const std::string& bytes);
// Every path under root (relative, sorted) with each file's size: a snapshot to compare.
std::vector<std::string> Snapshot(const fs::path& root);

fs::path CorpusFile(const std::string& name);

struct ExpectedEntry {
  std::string name;
  uint64_t size = 0;
  std::string crc;   // hex, "dir" or "-"
  std::string kind;  // file, dir, symlink:<target>, ...
};

struct CorpusArchive {
  std::string file;
  std::string features;
  std::string password;                               // "" when none
  std::vector<std::pair<std::string, std::string>> entry_passwords;  // name -> password
  std::string expected;                               // ok, error, ...
};

std::vector<CorpusArchive> ReadManifest();
std::vector<ExpectedEntry> ReadExpected(const std::string& archive);

// An archive handle that closes itself.
class OpenedArchive {
 public:
  OpenedArchive(const fs::path& path, unsigned mode, UNRARCALLBACK callback = nullptr, LPARAM user = 0);
  ~OpenedArchive();
  HANDLE handle() const { return handle_; }
  unsigned open_result() const { return data_.OpenResult; }
  const RAROpenArchiveDataEx& data() const { return data_; }
  char comment[65536];

 private:
  std::wstring name_;
  RAROpenArchiveDataEx data_;
  HANDLE handle_ = nullptr;
};

// The entry name of a header as UTF-8 with '/' separators.
std::string EntryName(const RARHeaderDataEx& header);

}  // namespace unrar_test
