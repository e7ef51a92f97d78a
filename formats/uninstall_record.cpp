#include "formats/uninstall_record.h"

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "util/codepage.h"
#include "util/ini.h"

namespace formats {
namespace {

constexpr wchar_t kLinkPrefix[] = L"Link";

}  // namespace

// The shortcuts' keys go to "General", which the private-profile rules take for the section the
// name made: written so, the file keeps the bytes it always had.
RecordKey ProductNameKey() { return {L"GENERAL", L"NameApplication"}; }
RecordKey ShortcutKey(int linkNumber) {
  return {L"General", kLinkPrefix + std::to_wstring(linkNumber)};
}

UninstallRecord ReadUninstallRecord(const util::IniFile& ini) {
  const RecordKey name = ProductNameKey();
  UninstallRecord record;
  record.productName = ini.ReadString(name.section, name.key, L"");
  const std::wstring prefix = kLinkPrefix;
  for (const util::IniEntry& entry : ini.ReadSection(name.section))
    if (entry.name.size() > prefix.size() &&
        util::EqualsNoCase(entry.name.substr(0, prefix.size()), prefix))
      record.shortcuts.push_back(entry.value);
  return record;
}

bool LoadUninstallRecord(platform::FileSystem& files, const std::wstring& path,
                         UninstallRecord* record) {
  if (files.Kind(path) != platform::PathKind::File) return false;
  *record = ReadUninstallRecord(platform::LoadIniFile(files, path));
  return true;
}

}  // namespace formats
