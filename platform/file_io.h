#pragma once
// Whole files and folders over the platform's interfaces (platform/file_system.h for files,
// platform/system.h for the system), and INI files read and written through them.
#include <cstddef>
#include <stdexcept>
#include <string>

#include "util/ini.h"

namespace platform {

class FileSystem;
class System;

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
ReadResult ReadWholeFile(FileSystem& files, const std::wstring& path, size_t maxBytes,
                         std::string* bytes);

// Creates or replaces the file with bytes: written beside it first, then moved over it, so a
// full disk or a refused write leaves the old file (or no file) as it was. False on failure.
bool WriteWholeFile(FileSystem& files, const std::wstring& path, const std::string& bytes);

// Copies the whole content of source (its size taken when opened) to dest, replacing dest. A
// source that cannot be opened stops before dest is touched; a failure while writing leaves no
// partial dest behind and an existing dest as it was. Throws FileError.
void CopyFileByStream(FileSystem& files, const std::wstring& source, const std::wstring& dest);

// The Windows folder with a trailing backslash ("C:\WINDOWS\").
std::wstring GetWinDir(System& system);
// The drive of the Windows folder followed by "\Program files\" ("C:\Program files\").
std::wstring DefaultProgramFilesDir(System& system);

// The INI file's content, or an empty one when it is missing or cannot be read.
util::IniFile LoadIniFile(FileSystem& files, const std::wstring& path);
// Replaces *ini with the file's content. A missing file is an empty one (true); false, and
// empty, when it exists but cannot be read whole (refused, too large).
bool OpenIniFile(FileSystem& files, const std::wstring& path, util::IniFile* ini);
// Writes the INI file's bytes over the file; false when it cannot be written.
bool SaveIniFile(FileSystem& files, const std::wstring& path, const util::IniFile& ini);

// Reads one value of a file (for callers that need one or two values).
std::wstring ReadIniString(FileSystem& files, const std::wstring& path, const std::wstring& section,
                           const std::wstring& key, const std::wstring& defaultValue);
// Reads the file (a missing one is empty), sets the value and writes it back. False when the
// file exists but cannot be read whole (too large, refused) or cannot be written; then the file
// is left as it was.
bool WriteIniString(FileSystem& files, const std::wstring& path, const std::wstring& section,
                    const std::wstring& key, const std::wstring& value);

}  // namespace platform
