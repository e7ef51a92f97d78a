#pragma once
// Setup.ini, the medium's description: its sections, keys and defaults, and how they are read
// (Windows-1251 with the private-profile rules of util::IniFile). The installer's model, its
// shortcut work and the medium checker all read the file through this module.
#include <string>
#include <vector>

namespace platform {
class FileSystem;
}
namespace util {
class IniFile;
}

namespace formats {

constexpr wchar_t kSetupIniName[] = L"Setup.ini";

// The sections and keys the installer reads.
constexpr wchar_t kGeneralSection[] = L"GENERAL";
constexpr wchar_t kCaptionKey[] = L"Caption";
constexpr wchar_t kNameApplicationKey[] = L"NameApplication";
constexpr wchar_t kNameCompanyKey[] = L"NameCompany";
constexpr wchar_t kLicenseFileKey[] = L"FileLicension";
constexpr wchar_t kGraphProfileKey[] = L"NameProfileGraphEditor";
constexpr wchar_t kIconKey[] = L"Icon";
constexpr wchar_t kVersionKey[] = L"Version";
constexpr wchar_t kExecuteSection[] = L"Execute";
constexpr wchar_t kBdeKey[] = L"BDE";
constexpr wchar_t kGroupsSection[] = L"GROUPS";  // any key: one group each
constexpr wchar_t kLinkSection[] = L"Link";      // followed by 1, 2, ...: one shortcut each
constexpr wchar_t kFileLinkKey[] = L"FileLink";
constexpr wchar_t kDirLinkKey[] = L"DirLink";
constexpr wchar_t kFileIconKey[] = L"FileIcon";
constexpr wchar_t kWorkDirKey[] = L"WorkDir";
constexpr wchar_t kFilenameKey[] = L"Filename";
constexpr wchar_t kProgramsDirLink[] = L"PROGRAMS";  // DirLink of the Start menu, case-blind

// What a group's value gives for a missing archive or name field.
constexpr wchar_t kNoArchiveFile[] = L"NoneNameFile";
constexpr wchar_t kNoGroupName[] = L"NoneName";

// One line of GROUPS, key=value, its value's fields split at "|" (a leading "|" dropped, empty
// fields in the middle counted, an empty last one not).
struct GroupLine {
  std::wstring key;              // empty for a line without "="
  bool defaultSelected = false;  // field 1 is exactly "1": " 1" and "01" are not
  bool hasArchive = false;       // field 2 is there
  std::wstring archive;          // field 2, relative to the setup folder
  std::wstring name;             // field 3, else kNoGroupName
  std::wstring comment;          // field 4, else empty
};
GroupLine ParseGroupLine(const std::wstring& line);

// One section LinkN: a shortcut FileLink in the shell folder DirLink ("PROGRAMS", else the
// desktop) starting Filename in WorkDir, with the icon FileIcon (all relative to the destination).
struct LinkSection {
  int number = 0;
  std::wstring fileLink;
  std::wstring dirLink;
  std::wstring fileIcon;
  std::wstring workDir;
  std::wstring filename;
};

// What the file says, each value with its default where it is missing.
struct SetupIni {
  std::wstring caption;  // when empty, "Установка " + nameApplication
  std::wstring nameApplication;
  std::wstring nameCompany;
  std::wstring licenseFile;  // relative to the setup folder
  std::wstring graphProfile;
  std::wstring bdeSetup;  // relative to the setup folder; empty: none
  std::wstring icon;      // as written: a relative one means the current folder
  std::wstring version;   // as written; empty when missing
  // The lines "key=value" of GROUPS in file order: equal keys (in any case) count once, with the
  // first one's value, and an entry with an empty value is left out.
  std::vector<std::wstring> groupLines;
  // Link1, Link2, ... up to the first section that is missing or holds no key.
  std::vector<LinkSection> links;
};
SetupIni ReadSetupIni(const util::IniFile& ini);
// Whether `text` is a version as deployment systems compare them: one to four numbers of decimal
// digits (at most nine each, so each fits their 32-bit fields) separated by dots.
bool IsVersion(const std::wstring& text);
// The file at `path`; a missing, unreadable or too large one gives every default.
SetupIni LoadSetupIni(platform::FileSystem& files, const std::wstring& path);

// The number of a section named "Link" and a number as the shortcut work names them (1, 2, ...
// without leading zeros); 0 for any other name. Case-blind.
int LinkNumber(const std::wstring& section);
// Whether the installer reads a section at all, and a key of it (GROUPS takes any key).
// Case-blind, names as written.
bool ReadsSection(const std::wstring& section);
bool ReadsKey(const std::wstring& section, const std::wstring& key);

}  // namespace formats
