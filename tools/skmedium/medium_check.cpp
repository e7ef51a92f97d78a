#include "tools/skmedium/medium_check.h"

#include <cstdint>
#include <cwchar>
#include <map>
#include <memory>
#include <set>

#include "archive/installer_password.h"
#include "archive/rar.h"
#include "formats/setup_ini.h"
#include "platform/file_io.h"
#include "platform/system.h"
#include "setup/setup_description.h"
#include "tools/skmedium/archive_names.h"
#include "tools/skmedium/medium_files.h"
#include "tools/skmedium/setup_ini_text.h"
#include "util/codepage.h"
#include "util/ini.h"
#include "util/paths.h"
#include "util/strings.h"

namespace skmedium {
namespace {

// The machine the medium is checked for: Windows on C:, the medium in drive D:, started from
// its own folder.
class TargetMachine : public platform::System {
 public:
  std::wstring WindowsDir() override { return L"C:\\WINDOWS"; }
  platform::Date Today() override { return {}; }
  std::wstring ModulePath() override { return std::wstring(MediumFiles::kRoot) + L"Setup.exe"; }
  std::wstring CurrentDir() override { return MediumFiles::kRoot; }
  std::wstring TempDir() override { return L""; }
  int64_t FreeSpace(const std::wstring&) override { return INT64_MAX; }
  // The check only reads: it never installs a font, starts a program or restarts anything.
  bool AddFont(const std::wstring&) override { return false; }
  void BroadcastFontChange() override {}
  bool StartProgram(const std::wstring&, const std::wstring&, const std::wstring&) override { return false; }
  platform::ProgramResult StartProgramForResult(const std::wstring&, const std::wstring&, const std::wstring&,
                                                const std::wstring&) override {
    return {};
  }
  bool ReportResult(const std::wstring&, int) override { return false; }
  uint32_t ProcessId() override { return 0; }
  bool WaitForProcessEnd(uint32_t, uint32_t) override { return true; }
  bool RestartWindows(uint32_t, uint32_t) override { return false; }
  bool ProtectLikeProgramFiles(const std::wstring&) override { return false; }
  bool OthersMayChange(const std::wstring&) override { return false; }
  bool RunsAsLocalSystem() override { return false; }
  bool HoldInstallationLock() override { return true; }
  bool InstallationRunning() override { return false; }
  platform::SessionAccounts Accounts() override { return {}; }
};

// The groups list's one column (250 pixels, less the check box) shows about this many
// characters of the dialog font; a longer name is cut off.
constexpr size_t kGroupNameShown = 36;
// The longest name one folder level may have, and the longest path Windows opens.
constexpr size_t kMaxComponent = 255;
constexpr size_t kMaxPath = 259;

// The part of a medium path after the drive, as the vendor wrote it.
std::wstring OnMedium(const std::wstring& path) {
  const std::wstring root = MediumFiles::kRoot;
  return path.compare(0, root.size(), root) == 0 ? path.substr(root.size()) : path;
}

// Why the destination page refuses a folder, its drive aside: the words after "the default
// destination X".
std::wstring Refusal(const std::wstring& folder, const util::PathCheck& check) {
  const std::wstring page = L", which the destination page refuses";
  switch (check.fault) {
    case util::PathFault::kNone:
      return L"";
    case util::PathFault::kForbiddenCharacter: {
      std::wstring refused;
      for (wchar_t c : folder)
        if (!std::wcschr(util::AllowedPathChars, c) && refused.find(c) == std::wstring::npos)
          refused += c;
      if (refused.empty()) refused = check.character;  // a permitted one in the wrong place (":")
      return L" holds characters the destination page refuses (" + refused + L")";
    }
    case util::PathFault::kNotFull:
      return L" is no full path" + page;
    case util::PathFault::kEmptyName:
      return L" holds an empty folder name (two backslashes in a row)" + page;
    case util::PathFault::kDeviceName:
      return L" holds the folder " + check.name + L", the name of a Windows device" + page;
    case util::PathFault::kEndsInSpaceOrDot:
      return L" holds the folder \"" + check.name + L"\" ending with a dot or a blank" + page;
    case util::PathFault::kDriveRoot:
      return L" is a drive's root" + page;
  }
  return L"";
}

class Checker {
 public:
  explicit Checker(const std::filesystem::path& folder) : files_(folder) {}

  Findings Run() {
    // Read as the installer reads it: a file over its limit is not read at all.
    iniRead_ =
        platform::ReadWholeFile(files_, std::wstring(MediumFiles::kRoot) + formats::kSetupIniName,
                                util::kIniFileMax, &setupIni_);
    CheckSetupIniFile();
    if (iniRead_ != platform::ReadResult::Ok || Blank(setupIni_)) return std::move(findings_);
    CheckSetupIniText(setupIni_, findings_);

    TargetMachine machine;
    setup::TSetupDescription model(&files_, machine);
    model.ReadSetupIni();
    util::IniFile ini = util::IniFile::FromBytes(setupIni_);

    CheckNames(model, ini);
    CheckFiles(model, ini);
    CheckDestination(model);
    CheckArchives(model);
    CheckLinks(ini);
    return std::move(findings_);
  }

 private:
  void Add(const std::wstring& where, const std::wstring& what) { findings_.push_back({where, what}); }

  static bool Blank(const std::string& bytes) {
    return bytes.find_first_not_of(" \t\r\n") == std::string::npos;
  }

  void CheckSetupIniFile() {
    if (files_.Kind(std::wstring(MediumFiles::kRoot) + L"Setup.exe") != platform::PathKind::File)
      Add(L"Setup.exe", L"missing");
    const platform::PathKind kind =
        files_.Kind(std::wstring(MediumFiles::kRoot) + formats::kSetupIniName);
    const std::wstring consequence =
        L": the installer shows the placeholder \"NameApplication\", offers no components and cannot go on";
    if (kind == platform::PathKind::Missing)
      Add(L"Setup.ini", L"missing" + consequence);
    else if (iniRead_ == platform::ReadResult::TooLarge)
      Add(L"Setup.ini", L"is larger than the installer reads (" + std::to_wstring(util::kIniFileMax) +
                            L" bytes): it is taken as empty" + consequence);
    else if (iniRead_ != platform::ReadResult::Ok)
      Add(L"Setup.ini", L"cannot be read" + consequence);
    else if (Blank(setupIni_))
      Add(L"Setup.ini", L"empty" + consequence);
  }

  void CheckNames(const setup::TSetupDescription& model, const util::IniFile& ini) {
    // The uninstall entry is one registry key named after the product: the finish page cannot
    // make it for an empty name or one with a backslash, and fails.
    const std::wstring noEntry =
        L"; on \"Готово\" the installation ends with the error \"Failed to set data for "
        L"'DisplayName'\": no uninstall entry is made and no restart follows";
    for (const wchar_t* key : {formats::kNameApplicationKey, formats::kNameCompanyKey}) {
      const std::wstring value = ini.ReadString(formats::kGeneralSection, key, L"\x1");
      const bool product = std::wstring(key) == formats::kNameApplicationKey;
      if (value == L"\x1")
        Add(L"[GENERAL]", std::wstring(key) + L" is missing: the installer shows and installs under the placeholder \"" +
                              key + L"\"");
      else if (value.empty())
        Add(L"[GENERAL]", std::wstring(key) +
                              L" is empty: the captions and the destination lack the name" +
                              (product ? noEntry : L""));
      else if (product && value.find(L'\\') != std::wstring::npos)
        Add(L"[GENERAL]", L"NameApplication " + value + L" holds a backslash: the program is " +
                              L"installed in nested folders (" + model.FDestDir + L")" + noEntry);
    }
    if (model.FGroups->Count() == 0)
      Add(L"[GROUPS]", L"no group: the components page offers nothing and cannot go on");
    for (int i = 0; i < model.FGroups->Count(); ++i) {
      const setup::TSetupGroupFile& group = *model.FGroups->Items(i);
      const std::wstring where = L"[GROUPS] group " + std::to_wstring(i + 1);
      if (group.FArchiveFile == formats::kNoArchiveFile) Add(where, L"names no archive");
      if (group.FName == formats::kNoGroupName)
        Add(where, L"has no name: the list shows \"NoneName\"");
      else if (group.FName.size() > kGroupNameShown)
        Add(where, L"name \"" + group.FName + L"\" is longer than the components list shows (" +
                       std::to_wstring(group.FName.size()) + L" characters, about " +
                       std::to_wstring(kGroupNameShown) + L" fit)");
    }
  }

  void CheckFiles(const setup::TSetupDescription& model, const util::IniFile& ini) {
    CheckAgreement(model.FLicenseFile);
    const std::wstring icon = ini.ReadString(formats::kGeneralSection, formats::kIconKey, L"");
    if (!icon.empty() && model.IconFile().empty())
      Add(util::ChangeFileExt(icon, L".ico"), L"the icon named by [GENERAL] Icon is missing: the standard icon shows");
    if (model.FBDESetup == model.FSetupDir)
      Add(L"[Execute]", L"BDE names no installer: the additional software page starts nothing");
    else if (files_.Kind(model.FBDESetup) != platform::PathKind::File)
      Add(OnMedium(model.FBDESetup), L"the BDE installer is missing");
    else
      CheckStaysOnMedium(model.FBDESetup, L"the additional software page starts nothing");
    const std::wstring font = std::wstring(MediumFiles::kRoot) + L"SERVICE\\FONT\\GOST.TTF";
    if (files_.Kind(font) != platform::PathKind::File)
      Add(OnMedium(font), L"the drawing font is missing: the finish page cannot install it");
  }

  // The agreement page reads the whole file, up to the largest it shows.
  void CheckAgreement(const std::wstring& path) {
    std::string bytes;
    switch (platform::ReadWholeFile(files_, path, setup::kMaxAgreementBytes, &bytes)) {
      case platform::ReadResult::Ok:
        CheckStaysOnMedium(path, L"the agreement page stays empty");
        break;
      case platform::ReadResult::Missing:
        Add(OnMedium(path), L"the agreement file is missing: the agreement page stays empty");
        break;
      case platform::ReadResult::Unreadable:
        Add(OnMedium(path), L"the agreement file cannot be read: the agreement page stays empty");
        break;
      case platform::ReadResult::TooLarge:
        Add(OnMedium(path), L"the agreement file is larger than the agreement page shows (" +
                                std::to_wstring(setup::kMaxAgreementBytes >> 20) +
                                L" MiB): the page says so, \"Принимаю\" stays off and the "
                                L"installation cannot go on");
        break;
    }
  }

  // Windows stops a ".." step at the drive's root, so such a path still names a file of the disc;
  // started from a copy of the medium in a folder, the installer looks outside the copy.
  void CheckStaysOnMedium(const std::wstring& path, const std::wstring& consequence) {
    bool climbed = false;
    const std::wstring onDisc = MediumFiles::Normalized(path, &climbed);
    if (!climbed) return;
    Add(OnMedium(path),
        L"climbs out of the medium with \"..\": on the disc Windows stops at the root and finds " +
            OnMedium(onDisc) + L", but from a copy of the medium in a folder " + consequence);
  }

  void CheckDestination(const setup::TSetupDescription& model) {
    dest_ = model.FDestDir;
    const util::PathCheck check = util::CheckDestinationFolder(dest_);
    if (check.fault != util::PathFault::kNone)
      Add(L"[GENERAL]", L"the default destination " + dest_ + Refusal(dest_, check) +
                            L": Next stays disabled until the user edits it");
    std::vector<std::wstring> levels;
    util::SplitToList(dest_, L'\\', levels, true);
    for (const std::wstring& level : levels)
      if (level.size() > kMaxComponent)
        Add(L"[GENERAL]", L"a level of the default destination is " + std::to_wstring(level.size()) +
                              L" characters long, more than a folder name may be (" +
                              std::to_wstring(kMaxComponent) + L"): copying fails");
  }

  void CheckArchives(const setup::TSetupDescription& model) {
    ArchiveNames names;
    int64_t total = 0;
    for (int i = 0; i < model.FGroups->Count(); ++i) {
      const setup::TSetupGroupFile& group = *model.FGroups->Items(i);
      if (group.FArchiveFile == formats::kNoArchiveFile) continue;
      const std::wstring where = OnMedium(group.FArchiveFile);
      const std::wstring stops = L"the welcome page stops the installation";
      if (files_.Kind(group.FArchiveFile) != platform::PathKind::File) {
        Add(where, L"the archive is missing: " + stops);
        continue;
      }
      CheckStaysOnMedium(group.FArchiveFile, stops);
      archive::TRAR rar;
      rar.ArchiveName = files_.HostPath(group.FArchiveFile).wstring();
      rar.OnReqPassword = [](archive::TRAR&, RARHeaderData, std::string& password) {
        password = archive::InstallerPassword();
      };
      // The component raises OnTested for a failing entry first, then OnError with its code.
      int entryFailures = 0;
      int lastError = 0;
      std::wstring failing;
      auto reportFailing = [&](const std::wstring& code) {
        Add(where, L"entry " + failing + L" fails its test" + code + L": the welcome page stops the installation");
        failing.clear();
      };
      rar.OnTested = [&](archive::TRAR& sender, RARHeaderData header, bool ok) {
        if (!failing.empty()) reportFailing(L"");
        const std::wstring name = util::ReplaceAll(sender.EntryNameW(), L"/", L"\\");
        total += header.UnpSize;
        if (!ok) {
          ++entryFailures;
          failing = name;
        }
        names.Add(where, name, (header.Flags & RHDF_DIRECTORY) != 0);
      };
      rar.OnError = [&](archive::TRAR&, int error) {
        lastError = error;
        if (!failing.empty()) reportFailing(L" (error " + std::to_wstring(error) + L")");
      };
      const bool passed = rar.Test();
      if (!failing.empty()) reportFailing(L"");
      if (!passed && entryFailures == 0)
        Add(where, L"the archive fails its test (error " + std::to_wstring(lastError) +
                       L"): the welcome page stops the installation");
    }
    if (total > INT32_MAX)
      Add(L"[GROUPS]", L"the groups unpack to " + std::to_wstring(total) +
                           L" bytes, 2 GiB or more: the required space the components page shows is wrong");
    names.Report(dest_, kMaxPath, findings_);
    entries_ = names.Files();
  }

  void CheckLinks(const util::IniFile& ini) {
    for (const formats::LinkSection& link : formats::ReadSetupIni(ini).links) {
      const std::wstring section = formats::kLinkSection + std::to_wstring(link.number);
      const std::wstring where = L"[" + section + L"]";
      if (link.fileLink.empty()) Add(where, L"FileLink is missing: no usable shortcut is made");
      // Read without its default: a missing target is what is reported.
      const std::wstring target = ini.ReadString(section, formats::kFilenameKey, L"");
      if (target.empty())
        Add(where, L"Filename is missing: the shortcut points at NoName.lnk");
      else if (!entries_.count(util::FoldCase(target)))
        Add(where, L"Filename " + target + L" is in no archive: the shortcut points at nothing");
    }
  }

  MediumFiles files_;
  std::string setupIni_;
  platform::ReadResult iniRead_ = platform::ReadResult::Unreadable;
  std::wstring dest_;
  std::set<std::wstring> entries_;  // folded names of the archives' files
  Findings findings_;
};

}  // namespace

Findings CheckMedium(const std::filesystem::path& folder) { return Checker(folder).Run(); }

}  // namespace skmedium
