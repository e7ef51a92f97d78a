#pragma once
// An installation medium for one scenario: a fresh folder with a copy of Setup.exe, the
// Setup.ini the scenario writes (stored in Windows-1251, as the makers of a medium write it),
// archives made by the test RAR writer, and any other file.
#include <string>
#include <vector>

#include "tests/rarwriter/rarwriter.h"

namespace e2e {

// One file of an archive: its name (UTF-8, '/' separated), its content, and whether it is
// encrypted (with the archive's password) or its data damaged.
struct ArchiveFile {
  std::string name;
  std::string data;
  bool encrypted = false;
  bool damaged = false;
};
// An archive of the files in the given format, with the folder entries RAR writes before them.
std::string ArchiveBytes(rarwriter::Format format, const std::vector<ArchiveFile>& files,
                         const std::string& password = "");

// Where the built Setup.exe lies (the build folder is drive T: under Wine).
std::wstring BuiltSetupExe();
// The folder screenshots of a scenario go to (in the build folder), created on demand.
std::wstring ScreenshotFolder(const std::wstring& scenario);

class Medium {
 public:
  // Empties and creates `folder` and copies Setup.exe into it.
  explicit Medium(const std::wstring& folder);

  const std::wstring& folder() const { return folder_; }  // ends with "\"
  std::wstring SetupExe() const { return folder_ + L"Setup.exe"; }
  bool ok() const { return ok_; }

  // Writes Setup.ini from UTF-16 text, stored as Windows-1251 with CR LF line ends.
  void WriteSetupIni(const std::wstring& text);
  // Writes any file under the medium (bytes as given).
  void WriteFile(const std::wstring& relativePath, const std::string& bytes);
  // Writes a RAR5 archive of the given files (UTF-8 names, '/' separated; folders implied).
  void WriteArchive(const std::wstring& relativePath,
                    const std::vector<std::pair<std::string, std::string>>& files);

 private:
  std::wstring folder_;
  bool ok_ = false;
};

// Removes a folder tree (for destinations left by an earlier run).
void RemoveTree(const std::wstring& folder);
bool FileExists(const std::wstring& path);
// Converts UTF-16 text to Windows-1251 bytes (the test's own need; the installer has its own
// tables).
std::string ToCp1251(const std::wstring& text);

}  // namespace e2e
