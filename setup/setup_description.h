#pragma once
// What Setup.ini describes: the names, the files on the medium, the component groups and the
// default destination. It is read with the file layer and the Windows folder alone, so the
// medium checker reads a medium exactly as the installer does, with no registry and no dialogs.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class FileSystem;
class System;
}  // namespace platform

namespace setup {

// The largest agreement (FLicenseFile) the agreement page shows. Real agreements are tens of
// KiB; the viewer takes them in piece by piece, and a larger file would only cost the memory of
// a 32-bit process. A larger one is not shown: the viewer says so instead, and the agreement
// cannot be accepted. The medium checker holds a medium's agreement against it.
constexpr size_t kMaxAgreementBytes = 64u << 20;

class TSetupDescription;
class TSetupListGroup;

// One component group: one archive on the setup medium.
class TSetupGroupFile {
 public:
  TSetupGroupFile(TSetupListGroup* Owner, TSetupDescription* Setup);

  // Fills the group from one line "key=value" of the section GROUPS: the value's fields split
  // at "|" are selected-by-default ("1" exactly), archive file (relative to the setup folder),
  // name and description; a missing field gets its default.
  void LoadFromLine(const std::wstring& Line);
  // Stores the measured unpacked size: in full in FSize64, and in FSize stopped at the 32-bit
  // limit rather than wrapped.
  void SetSize(int64_t bytes);

  TSetupListGroup* FOwner;
  TSetupDescription* FSetup;
  bool FDefaultSelected = false;
  bool FSelected = false;        // changed by the component groups page
  std::wstring FKey;             // the line's key in GROUPS (empty for a line without "=")
  std::wstring FName;
  std::wstring FComment;
  std::wstring FArchiveFile;     // full path of the archive (first volume)
  int32_t FSize = 0;             // unpacked bytes, set by the archive test, at most 2^31 - 1
  int64_t FSize64 = 0;           // the same in full: archives may unpack to 2 GiB and more
  int32_t FFileCount = 0;        // entries, set by the archive test
};

// The ordered list of groups; it owns them.
class TSetupListGroup {
 public:
  explicit TSetupListGroup(TSetupDescription* Setup) : FSetup(Setup) {}

  void Add(std::unique_ptr<TSetupGroupFile> Group);
  void Clear() { FList.clear(); }
  int Count() const { return static_cast<int>(FList.size()); }
  // Index from 0, in the order of GROUPS.
  TSetupGroupFile* Items(int Index) const { return FList.at(static_cast<size_t>(Index)).get(); }
  int SelectedCount() const;

  std::vector<std::unique_ptr<TSetupGroupFile>> FList;
  TSetupDescription* FSetup;
};

class TSetupDescription {
 public:
  // An empty group list, FSetupDir = the program's own folder, everything else empty.
  // `files` may be null for a model that never reads Setup.ini (tests of single pages).
  TSetupDescription(platform::FileSystem* files, platform::System& system);
  virtual ~TSetupDescription();
  TSetupDescription(const TSetupDescription&) = delete;
  TSetupDescription& operator=(const TSetupDescription&) = delete;

  // Fills the description from FSetupDir + "Setup.ini"; a missing or unreadable file gives
  // every default. Also builds the default FDestDir and finds the .ico file of "Icon".
  void ReadSetupIni();
  // The .ico file ReadSetupIni found for "Icon" (empty when none was found).
  const std::wstring& IconFile() const { return icon_file_; }
  // The longest name, below the destination, of a program the installation leaves to be started:
  // the uninstaller the entry starts and each shortcut's target.
  size_t LongestStartedName() const { return longest_started_name_; }

  std::unique_ptr<TSetupListGroup> FGroups;
  std::wstring FSetupDir;         // ends with "\"
  std::wstring FDestDir;          // ends with "\"
  std::wstring FCaption;
  std::wstring FNameCompany;
  std::wstring FNameApplication;
  std::wstring FLicenseFile;
  std::wstring FGraphProfile;
  std::wstring FBDESetup;
  std::wstring FVersion;  // Setup.ini's Version; empty when missing or not a version

 protected:
  platform::FileSystem* files_;  // may be null where no file is read
  platform::System& system_;

 private:
  void FindApplicationIcon(const std::wstring& iconValue);

  std::wstring icon_file_;
  size_t longest_started_name_;  // the uninstaller's until Setup.ini is read
};

}  // namespace setup
