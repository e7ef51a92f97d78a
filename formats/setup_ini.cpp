#include "formats/setup_ini.h"

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/file_io.h"
#include "util/codepage.h"
#include "util/ini.h"
#include "util/strings.h"

namespace formats {
namespace {

// The keys read, by folded section name (a link section under "LINK"; GROUPS takes any key).
const std::map<std::wstring, std::set<std::wstring>>& KeysRead() {
  static const std::map<std::wstring, std::set<std::wstring>> keys = [] {
    const std::vector<std::pair<const wchar_t*, std::vector<const wchar_t*>>> written = {
        {kGeneralSection,
         {kCaptionKey, kNameApplicationKey, kNameCompanyKey, kLicenseFileKey, kGraphProfileKey,
          kIconKey, kVersionKey}},
        {kExecuteSection, {kBdeKey}},
        {kLinkSection, {kFileLinkKey, kDirLinkKey, kFilenameKey, kWorkDirKey, kFileIconKey}},
        {kGroupsSection, {}},
    };
    std::map<std::wstring, std::set<std::wstring>> folded;
    for (const auto& [section, names] : written) {
      std::set<std::wstring>& set = folded[util::FoldCase(section)];
      for (const wchar_t* name : names) set.insert(util::FoldCase(name));
    }
    return folded;
  }();
  return keys;
}

// The keys read in a section; null for a section the installer does not read ("Link" without a
// number among them).
const std::set<std::wstring>* KeysOf(const std::wstring& section) {
  const bool link = LinkNumber(section) > 0;
  if (!link && util::EqualsNoCase(section, kLinkSection)) return nullptr;
  const auto keys = KeysRead().find(util::FoldCase(link ? kLinkSection : section));
  return keys == KeysRead().end() ? nullptr : &keys->second;
}

}  // namespace

GroupLine ParseGroupLine(const std::wstring& line) {
  // The value after the first "="; a line without one is all value.
  const size_t eq = line.find(L'=');
  std::vector<std::wstring> fields;
  util::SplitToList(eq == std::wstring::npos ? line : line.substr(eq + 1), L'|', fields, true);
  GroupLine group;
  group.key = eq == std::wstring::npos ? std::wstring() : line.substr(0, eq);
  group.defaultSelected = fields.size() >= 1 && fields[0] == L"1";
  group.hasArchive = fields.size() >= 2;
  if (group.hasArchive) group.archive = fields[1];
  group.name = fields.size() >= 3 ? fields[2] : kNoGroupName;
  if (fields.size() >= 4) group.comment = fields[3];
  return group;
}

SetupIni ReadSetupIni(const util::IniFile& ini) {
  SetupIni read;
  read.caption = ini.ReadString(kGeneralSection, kCaptionKey, L"");
  read.nameApplication = ini.ReadString(kGeneralSection, kNameApplicationKey, L"NameApplication");
  if (read.caption.empty()) read.caption = L"Установка " + read.nameApplication;
  read.nameCompany = ini.ReadString(kGeneralSection, kNameCompanyKey, L"NameCompany");
  read.licenseFile = ini.ReadString(kGeneralSection, kLicenseFileKey, L"Licension.rtf");
  read.graphProfile = ini.ReadString(kGeneralSection, kGraphProfileKey, L"");
  read.bdeSetup = ini.ReadString(kExecuteSection, kBdeKey, L"");
  read.icon = ini.ReadString(kGeneralSection, kIconKey, L"");
  read.version = ini.ReadString(kGeneralSection, kVersionKey, L"");

  std::set<std::wstring> seen;
  for (const util::IniEntry& entry : ini.ReadSection(kGroupsSection))
    if (seen.insert(util::FoldCase(entry.name)).second && !entry.value.empty())
      read.groupLines.push_back(entry.name + L"=" + entry.value);

  for (int n = 1;; ++n) {
    const std::wstring section = kLinkSection + std::to_wstring(n);
    if (ini.ReadSection(section).empty()) break;  // missing or without a key: the end
    read.links.push_back({n, ini.ReadString(section, kFileLinkKey, L""),
                          ini.ReadString(section, kDirLinkKey, kProgramsDirLink),
                          ini.ReadString(section, kFileIconKey, L""),
                          ini.ReadString(section, kWorkDirKey, L""),
                          ini.ReadString(section, kFilenameKey, L"NoName.lnk")});
  }
  return read;
}

bool IsVersion(const std::wstring& text) {
  int numbers = 1;
  size_t digits = 0;
  for (wchar_t c : text) {
    if (c == L'.') {
      if (digits == 0 || ++numbers > 4) return false;
      digits = 0;
    } else if (c < L'0' || c > L'9' || ++digits > 9) {
      return false;
    }
  }
  return digits > 0;
}

SetupIni LoadSetupIni(platform::FileSystem& files, const std::wstring& path) {
  return ReadSetupIni(platform::LoadIniFile(files, path));
}

int LinkNumber(const std::wstring& section) {
  const std::wstring folded = util::FoldCase(section), prefix = util::FoldCase(kLinkSection);
  if (folded.size() <= prefix.size() || folded.compare(0, prefix.size(), prefix) != 0 ||
      folded[prefix.size()] == L'0')
    return 0;
  int n = 0;
  for (size_t i = prefix.size(); i < folded.size(); ++i) {
    if (folded[i] < L'0' || folded[i] > L'9' || n > 100000) return 0;
    n = n * 10 + (folded[i] - L'0');
  }
  return n;
}

bool ReadsSection(const std::wstring& section) { return KeysOf(section) != nullptr; }

bool ReadsKey(const std::wstring& section, const std::wstring& key) {
  const std::set<std::wstring>* keys = KeysOf(section);
  return keys &&
         (util::EqualsNoCase(section, kGroupsSection) || keys->count(util::FoldCase(key)) > 0);
}

}  // namespace formats
