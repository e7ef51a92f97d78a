#pragma once
// The installation model: what Setup.ini says, the folders the installation works with, the
// component groups (one archive each) and the choices the user makes on the pages. The model
// shows nothing itself except through the message boxes it is given, and reaches the system
// only through the platform interfaces it is given, so tests build their own TSetup over fakes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "setup/setup_description.h"

namespace platform {
class FileSystem;
class MessageBoxes;
class Registry;
class Shell;
class System;
}  // namespace platform
namespace formats {
class InstallLog;
struct RecordKey;
}  // namespace formats

namespace setup {

// Sets the application's icon from an .ico file; the application implements it. A failure
// inside is the loader's to ignore (the model ignores any exception it throws, too).
class IconLoader {
 public:
  virtual ~IconLoader() = default;
  virtual void LoadApplicationIcon(const std::wstring& icoPath) = 0;
};

// The platform the model works over. files, system, registry and messageBoxes are required;
// iconLoader may be null (no icon is loaded); shell may be null where no shortcut is made (then
// making one fails like a link object the shell refuses).
struct SetupPlatform {
  platform::FileSystem* files = nullptr;
  platform::System* system = nullptr;
  platform::Registry* registry = nullptr;
  platform::MessageBoxes* messageBoxes = nullptr;
  IconLoader* iconLoader = nullptr;
  platform::Shell* shell = nullptr;
};

// The registry key of the fonts Windows loads at start (in the machine's native view).
constexpr wchar_t kFontsKey[] = L"\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

class TSetup : public TSetupDescription {
 public:
  // Create: an empty group list, FSetupDir = the program's own folder, everything else empty.
  explicit TSetup(const SetupPlatform& Platform);
  ~TSetup() override;
  TSetup(const TSetup&) = delete;
  TSetup& operator=(const TSetup&) = delete;

  // Reads Setup.ini into the description and loads the application icon of "Icon".
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

  // Before the copying: makes the destination and the folders above it that are missing (the
  // log learns each), and gives the topmost one made the permissions of Program Files unless it
  // lies where Windows already keeps ordinary users out (Program Files, the Windows folder), so
  // that no ordinary user can replace what an administrator later runs from there.
  void MakeDestination();

  // After the copying: the shortcuts of the sections "Link1", "Link2", ... of Setup.ini (read up
  // to the first missing or empty one), the uninstall record FDestDir + "UnInstall.ini" and
  // UpdateEstimatedSize. The first error ends the work and is shown with ShowMsg; nothing is
  // raised.
  void CreateLinks();
  // One shortcut FileLink (relative to the shell folder DirLink: "PROGRAMS", else the desktop)
  // starting FDestDir + Filename in FDestDir + WorkDir, with the icon of FDestDir + FileIcon when
  // given. The full path of the saved shortcut file; empty when the shell folder was not found,
  // FileLink leads out of it, or the save failed. Throws SetupError when no link object can be
  // made.
  std::wstring CreateShortcut(const std::wstring& Filename, const std::wstring& WorkDir,
                              const std::wstring& FileIcon, const std::wstring& FileLink,
                              const std::wstring& DirLink);
  // Sets one key of the INI file FDestDir + fileName ("UnInstall.ini", "GraphEditor.ini") the
  // way WritePrivateProfileString would, but never through a link from FDestDir down to the
  // file, its own place included (platform::LinkOnTheWay). False when a link is there or the
  // file cannot be read whole or written; the file is then left as it was.
  bool WriteDestIniString(const std::wstring& fileName, const std::wstring& section, const std::wstring& key,
                          const std::wstring& value);
  // The entry in the list of installed programs (HKLM ...\Uninstall\ + FNameApplication, in the
  // view of this 32-bit program): DisplayName, the quoted UninstallString and
  // QuietUninstallString, DisplayVersion (FVersion, when there is one), Publisher (FNameCompany's
  // levels joined by spaces), InstallLocation, DisplayIcon (the first shortcut's icon, else the
  // uninstaller), EstimatedSize (KiB of the files and shortcuts of FDestDir's installation log),
  // InstallDate (today, YYYYMMDD), NoModify and NoRepair. Throws SetupError
  // "Failed to set data for '%s'" naming the value that could not be written.
  void RegisterUninstall();
  // When the copying ends: the EstimatedSize of an entry already there (an earlier installation
  // of the product), so that the list shows what this one wrote even if it stops before the
  // entry is written whole. Throws SetupError as RegisterUninstall does.
  void UpdateEstimatedSize();
  // Copies a TrueType font into the fonts folder (through a temporary file renamed into place)
  // unless it is there already, registers it for the next start of Windows under its full name
  // from the font's name table, loads it for this session and tells the windows. A file that is
  // not a TrueType font is left alone. Never fails towards the caller.
  void InstallFont(const std::wstring& FontFile);

  // "Прекратить установку программы?" with Yes/No and the question icon; true on Yes.
  bool QueryCancel(void* Owner);
  // Text with OK/Cancel and no icon; the answer is not used.
  void ShowMsg(void* Owner, const std::wstring& Text);

  // The platform, for the installation actions and the pages.
  platform::FileSystem& Files() const { return *platform_.files; }
  platform::System& System() const { return *platform_.system; }
  platform::Registry& Registry() const { return *platform_.registry; }
  platform::MessageBoxes& MessageBoxes() const { return *platform_.messageBoxes; }
  platform::Shell* Shell() const { return platform_.shell; }
  // The application window, owner of the boxes the model shows by itself (null until set).
  void SetApplicationWindow(void* window) { application_window_ = window; }
  // Shortcuts go to every user's desktop and Start menu instead of the current user's (an
  // installation for all users, or one run as the system account).
  void SetShortcutsForAllUsers(bool allUsers) { shortcuts_for_all_users_ = allUsers; }
  void* ApplicationWindow() const { return application_window_; }
  // The installation log of FDestDir, kept by the copy page and the shortcut work.
  formats::InstallLog& Log();

  std::wstring FGraphEditor;
  bool FGraphEditorSet = false;

 private:
  // WriteDestIniString on UnInstall.ini, throwing SetupError "Unable to write to ..." on failure.
  void WriteRecordKey(const formats::RecordKey& key, const std::wstring& value);
  // The entry's key (a Win32 path below HKLM) and its values that take some finding.
  std::wstring EntryKey() const;
  std::wstring EntryIcon();
  void WriteEstimatedSize(const std::wstring& key);

  SetupPlatform platform_;
  std::unique_ptr<formats::InstallLog> log_;
  void* application_window_ = nullptr;
  bool shortcuts_for_all_users_ = false;
};

// Sizes past a limit stay at the limit instead of wrapping to a number that would pass as
// "fits the free space": a 64-bit sum (a negative size adds nothing), and a size as a 32-bit field.
int64_t SaturatedAdd(int64_t sum, int64_t bytes);
int32_t ClampedSize(int64_t bytes);

}  // namespace setup
