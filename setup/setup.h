#pragma once
// The installation model: what Setup.ini says, the folders the installation works with, the
// component groups (one archive each) and the choices the user makes on the pages. The model
// shows nothing itself except through the message boxes it is given, and reaches the system
// only through the platform interfaces it is given, so tests build their own TSetup over fakes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace archive { class TRAR; }
namespace platform {
class FileSystem;
class MessageBoxes;
class Registry;
class System;
}  // namespace platform

namespace setup {

class TSetup;
class TSetupListGroup;

// Sets the application's icon from an .ico file; the application implements it. A failure
// inside is the loader's to ignore (the model ignores any exception it throws, too).
class IconLoader {
 public:
  virtual ~IconLoader() = default;
  virtual void LoadApplicationIcon(const std::wstring& icoPath) = 0;
};

// The platform the model works over. files, system, registry and messageBoxes are required;
// iconLoader may be null (no icon is loaded).
struct SetupPlatform {
  platform::FileSystem* files = nullptr;
  platform::System* system = nullptr;
  platform::Registry* registry = nullptr;
  platform::MessageBoxes* messageBoxes = nullptr;
  IconLoader* iconLoader = nullptr;
};

// One component group: one archive on the setup medium.
class TSetupGroupFile {
 public:
  TSetupGroupFile(TSetupListGroup* Owner, TSetup* Setup);

  // Fills the group from one line "key=value" of the section GROUPS: the value's fields split
  // at "|" are selected-by-default ("1" exactly), archive file (relative to the setup folder),
  // name and description; a missing field gets its default.
  void LoadFromLine(const std::wstring& Line);
  // Stores the measured unpacked size: in full in FSize64, and in FSize stopped at the 32-bit
  // limit rather than wrapped.
  void SetSize(int64_t bytes);

  TSetupListGroup* FOwner;
  TSetup* FSetup;
  bool FDefaultSelected = false;
  bool FSelected = false;        // changed by the component groups page
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
  explicit TSetupListGroup(TSetup* Setup) : FSetup(Setup) {}

  void Add(std::unique_ptr<TSetupGroupFile> Group);
  void Clear() { FList.clear(); }
  int Count() const { return static_cast<int>(FList.size()); }
  // Index from 0, in the order of GROUPS.
  TSetupGroupFile* Items(int Index) const { return FList.at(static_cast<size_t>(Index)).get(); }
  int SelectedCount() const;

  std::vector<std::unique_ptr<TSetupGroupFile>> FList;
  TSetup* FSetup;
};

class TSetup {
 public:
  // Create: an empty group list, FSetupDir = the program's own folder, everything else empty.
  explicit TSetup(const SetupPlatform& Platform);
  ~TSetup();
  TSetup(const TSetup&) = delete;
  TSetup& operator=(const TSetup&) = delete;

  // Fills the model from FSetupDir + "Setup.ini"; a missing or unreadable file gives every
  // default. Also builds the default FDestDir and loads the application icon of "Icon".
  void ReadSetupIni();
  // True when HKEY_LOCAL_MACHINE\Software opens for full access (without creating it).
  bool HasAdminRights();
  // Sums over the selected groups; the 32-bit ones stop at the limit rather than wrap.
  int32_t GetSelectedFileCount() const;
  int32_t GetSelectedSize() const;
  // What the selected groups unpack to, in full: the size compared with the free space.
  int64_t GetSelectedSize64() const;
  // Bytes available on the drive of FDestDir's first character; -1 when the system cannot say.
  int64_t GetDestFreeSpace();

  // The installation actions after the copying: the shortcuts and the uninstall record. They
  // come with the installation actions; until then there is nothing to do.
  void CreateLinks();

  // "Прекратить установку программы?" with Yes/No and the question icon; true on Yes.
  bool QueryCancel(void* Owner);
  // Text with OK/Cancel and no icon; the answer is not used.
  void ShowMsg(void* Owner, const std::wstring& Text);

  // The platform, for the installation actions and the pages.
  platform::FileSystem& Files() const { return *platform_.files; }
  platform::System& System() const { return *platform_.system; }
  platform::Registry& Registry() const { return *platform_.registry; }
  platform::MessageBoxes& MessageBoxes() const { return *platform_.messageBoxes; }
  // The .ico file ReadSetupIni found for "Icon" (empty when none was found).
  const std::wstring& IconFile() const { return icon_file_; }

  archive::TRAR* FRAR = nullptr;  // the background window's archive component, not owned
  std::unique_ptr<TSetupListGroup> FGroups;
  std::wstring FSetupDir;         // ends with "\"
  std::wstring FDestDir;          // ends with "\"
  std::wstring FCaption;
  std::wstring FNameCompany;
  std::wstring FNameApplication;
  std::wstring FLicenseFile;
  std::wstring FGraphEditor;
  std::wstring FGraphProfile;
  std::wstring FBDESetup;
  bool FGraphEditorSet = false;

 private:
  void FindApplicationIcon(const std::wstring& iconValue);

  SetupPlatform platform_;
  std::wstring icon_file_;
};

// Sizes past a limit stay at the limit instead of wrapping to a number that would pass as
// "fits the free space": a 64-bit sum (a negative size adds nothing), and a size as a 32-bit field.
int64_t SaturatedAdd(int64_t sum, int64_t bytes);
int32_t ClampedSize(int64_t bytes);

// The installer's one model. Null until the application creates it, first thing, with
// CreateSetupModel over the Win32 implementations; tests make TSetup objects of their own.
extern TSetup* SetupModel;
TSetup& CreateSetupModel(const SetupPlatform& Platform);
void DestroySetupModel();

}  // namespace setup
