#pragma once
// The small file layer the RAR library (and the installation actions) write through. The real
// implementations are in platform/posix and platform/win32; FaultyFileSystem wraps one and makes
// it fail on purpose, because tests run as root where nothing refuses and no disk fills.
//
// Paths are wide strings: UTF-16 on Windows, code points natively (written as UTF-8 there).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// What lies at a path, without following a link there: a link, device or junction is Other.
enum class PathKind { Missing, File, Directory, Other };

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Reads up to n bytes; *got = 0 at the end. False on a read error.
  virtual bool Read(void* buf, size_t n, size_t* got) = 0;
  virtual bool Seek(uint64_t offset) = 0;
  virtual uint64_t Size() = 0;
};

class WritableFile {
 public:
  virtual ~WritableFile() = default;  // closes without reporting; call Close to know
  virtual bool Write(const void* data, size_t n) = 0;
  // Makes what was written reach the disk itself, not only the system's cache; false when it
  // may not have.
  virtual bool Flush() = 0;
  virtual bool Close() = 0;  // flushes; false when the data may not all be on disk
};

// Attributes as far as the target system keeps them.
struct FileAttributes {
  bool read_only = false;
  bool hidden = false;
  bool system = false;
  uint32_t unix_mode = 0;  // permission bits when the archive came from Unix, else 0
};

// One entry of a folder as a listing gives it.
struct DirectoryEntry {
  std::wstring name;
  bool directory = false;
  uint32_t attributes = 0;  // Windows file attributes (0x800 compressed, 0x2 hidden, ...)
  uint64_t modified = 0;    // last write, FILETIME UTC; 0 when unknown
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual std::unique_ptr<ReadableFile> OpenRead(const std::wstring& path) = 0;
  virtual PathKind Kind(const std::wstring& path) = 0;
  // Kind, sure that the entry is what lies at its own place: Other also for an entry that the
  // system reaches somewhere else (a link its attributes do not show). As Kind where the
  // attributes tell all.
  virtual PathKind KindInPlace(const std::wstring& path) { return Kind(path); }
  // One folder; its parent must exist. True when the folder is there afterwards.
  virtual bool MakeDirectory(const std::wstring& path) = 0;
  // A new file; fails when anything already exists at path (never opens through a link).
  virtual std::unique_ptr<WritableFile> CreateNew(const std::wstring& path) = 0;
  // An existing file, written at its end; fails when there is no file at path (never opens
  // through a link).
  virtual std::unique_ptr<WritableFile> OpenAppend(const std::wstring& path) = 0;
  // Renames from over to, replacing a file there (the entry itself, never a link's target).
  virtual bool Replace(const std::wstring& from, const std::wstring& to) = 0;
  // A file another program holds so that it cannot be replaced now: a running program, a
  // document opened without sharing. False where the system has no such thing.
  virtual bool InUse(const std::wstring& path) { return false; }
  // Has the system rename from over to when it next starts, before anything can hold `to`
  // again; both in one folder. False where that cannot be asked (no right, no such system).
  virtual bool ReplaceAtRestart(const std::wstring& from, const std::wstring& to) { return false; }
  // A file, or a folder when it is empty.
  virtual bool Remove(const std::wstring& path) = 0;
  // Clears the read-only attribute so the file can be replaced.
  virtual bool MakeWritable(const std::wstring& path) = 0;
  // Times as FILETIME (100 ns since 1601, UTC); 0 leaves that time alone.
  virtual bool SetTimes(const std::wstring& path, uint64_t modified, uint64_t created, uint64_t accessed) = 0;
  virtual bool SetAttributes(const std::wstring& path, const FileAttributes& attributes) = 0;
  // Hands the folder's entries ("." and ".." left out) to `visit` until it returns false. False
  // when the folder cannot be listed (missing, refused, a drive without a disc).
  virtual bool List(const std::wstring& folder,
                    const std::function<bool(const DirectoryEntry&)>& visit) = 0;
  // Renames a file or folder; fails when anything exists at `to`.
  virtual bool Rename(const std::wstring& from, const std::wstring& to) = 0;
};

// Whether anything from `folder` itself down to `path`, the last place included, is a link (a
// junction, symbolic link or mount point: PathKind::Other), so that acting on `path` would
// reach somewhere else. A path that is not `folder` or below it cannot be vouched for: true.
// Missing places end the walk (nothing below them to pass through).
bool LinkOnTheWay(FileSystem& files, const std::wstring& folder, const std::wstring& path);

// The machine's own file system.
FileSystem& RealFileSystem();

// A FILETIME read on this machine's local clock, as UTC (DOS times in archives are local).
uint64_t LocalFileTimeToUtc(uint64_t local);

}  // namespace platform
