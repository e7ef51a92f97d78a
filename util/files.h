#pragma once
// File and folder functions over the platform's interfaces (platform/file_system.h for files,
// platform/system.h for the system).
#include <cstddef>
#include <stdexcept>
#include <string>

namespace platform {
class FileSystem;
class System;
}  // namespace platform

namespace util {

// A failing open, create, read or write of CopyFileByStream.
class FileError : public std::runtime_error {
 public:
  FileError(const std::wstring& path, const std::string& what)
      : std::runtime_error(what), path_(path) {}
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

enum class ReadResult { Ok, Missing, Unreadable, TooLarge };

// Reads the whole file into bytes (empty unless Ok). A file over maxBytes is not read.
ReadResult ReadWholeFile(platform::FileSystem& files, const std::wstring& path, size_t maxBytes,
                         std::string* bytes);

// Creates or replaces the file with bytes: written beside it first, then moved over it, so a
// full disk or a refused write leaves the old file (or no file) as it was. False on failure.
bool WriteWholeFile(platform::FileSystem& files, const std::wstring& path, const std::string& bytes);

// Copies the whole content of source (its size taken when opened) to dest, replacing dest. A
// source that cannot be opened stops before dest is touched; a failure while writing leaves no
// partial dest behind and an existing dest as it was. Throws FileError.
void CopyFileByStream(platform::FileSystem& files, const std::wstring& source, const std::wstring& dest);

// The Windows folder with a trailing backslash ("C:\WINDOWS\").
std::wstring GetWinDir(platform::System& system);
// The drive of the Windows folder followed by "\Program files\" ("C:\Program files\").
std::wstring DefaultProgramFilesDir(platform::System& system);

}  // namespace util
