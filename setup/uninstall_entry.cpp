// The product's entry in the list of installed programs.
#include <cstdint>
#include <cstdio>

#include "formats/install_log.h"
#include "formats/setup_ini.h"
#include "formats/uninstall_record.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "setup/setup.h"
#include "setup/setup_error.h"
#include "setup/uninstall_key.h"

namespace setup {
namespace {

void WriteEntryValue(platform::Registry& registry, const std::wstring& key,
                     const std::wstring& name, const platform::RegValue& value) {
  if (registry.WriteValue(platform::RegRoot::LocalMachine, key, name, value) !=
      platform::RegStatus::Ok)
    throw SetupError(L"Failed to set data for '" + name + L"'");
}

void WriteEntryText(platform::Registry& registry, const std::wstring& key, const std::wstring& name,
                    const std::wstring& text) {
  WriteEntryValue(registry, key, name, platform::StringValue(text));
}

// NameCompany's folder levels joined by spaces.
std::wstring Publisher(const std::wstring& nameCompany) {
  std::wstring publisher;
  size_t from = 0;
  while (from <= nameCompany.size()) {
    size_t at = nameCompany.find(L'\\', from);
    if (at == std::wstring::npos) at = nameCompany.size();
    if (at > from)
      publisher += (publisher.empty() ? L"" : L" ") + nameCompany.substr(from, at - from);
    from = at + 1;
  }
  return publisher;
}

// KiB, rounded up, of the files and shortcuts logged; a DWORD's largest past it.
uint32_t LoggedKiB(const std::vector<formats::LogItem>& items) {
  uint64_t bytes = 0;
  for (const formats::LogItem& item : items)
    if (item.kind == formats::LogItemKind::File || item.kind == formats::LogItemKind::Shortcut)
      bytes += item.size;
  const uint64_t kib = bytes / 1024 + (bytes % 1024 != 0);
  return kib > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kib);
}

std::wstring DateText(const platform::Date& date) {
  wchar_t text[16];
  std::swprintf(text, sizeof text / sizeof text[0], L"%04d%02d%02d", date.year, date.month,
                date.day);
  return text;
}

}  // namespace

std::wstring TSetup::EntryKey() const {
  return platform::RegistryPath(kUninstallKey + FNameApplication);
}

void TSetup::WriteEstimatedSize(const std::wstring& key) {
  Log().Open(FDestDir);
  WriteEntryValue(Registry(), key, L"EstimatedSize",
                  platform::DwordValue(LoggedKiB(Log().Items())));
}

void TSetup::UpdateEstimatedSize() {
  const bool entryNamed =
      !FNameApplication.empty() && FNameApplication.find(L'\\') == std::wstring::npos;
  if (entryNamed && Registry().OpenKey(platform::RegRoot::LocalMachine, EntryKey(),
                                       platform::RegAccess::Read) == platform::RegStatus::Ok)
    WriteEstimatedSize(EntryKey());
}

void TSetup::RegisterUninstall() {
  // The entry is one subkey of the list: an empty name or one with a backslash would write
  // into the list's own key or another program's entry.
  if (FNameApplication.empty() || FNameApplication.find(L'\\') != std::wstring::npos)
    throw SetupError(L"Failed to set data for 'DisplayName'");
  const std::wstring key = EntryKey();
  // A key that cannot be created shows as the failure of the first value written into it.
  Registry().CreateKey(platform::RegRoot::LocalMachine, key);
  WriteEntryText(Registry(), key, L"DisplayName", FNameApplication + L" (только удаление)");
  // Quoted: unquoted, a path with blanks would let Windows start C:\Program.exe instead.
  const std::wstring uninstaller = L"\"" + FDestDir + formats::kUninstallerName + L"\"";
  WriteEntryText(Registry(), key, L"UninstallString", uninstaller + L" /UNINSTALL");
  WriteEntryText(Registry(), key, L"QuietUninstallString",
                 uninstaller + L" /UNINSTALL /VERYSILENT");
  // A medium without a version leaves none behind from an earlier installation that had one.
  if (FVersion.empty())
    Registry().DeleteValue(platform::RegRoot::LocalMachine, key, L"DisplayVersion");
  else
    WriteEntryText(Registry(), key, L"DisplayVersion", FVersion);
  WriteEntryText(Registry(), key, L"Publisher", Publisher(FNameCompany));
  WriteEntryText(Registry(), key, L"InstallLocation", FDestDir);
  WriteEntryText(Registry(), key, L"DisplayIcon", EntryIcon());
  WriteEstimatedSize(key);
  WriteEntryText(Registry(), key, L"InstallDate", DateText(System().Today()));
  WriteEntryValue(Registry(), key, L"NoModify", platform::DwordValue(1));
  WriteEntryValue(Registry(), key, L"NoRepair", platform::DwordValue(1));
}

std::wstring TSetup::EntryIcon() {
  // Read as the shortcut work reads it, when the files are in place.
  const formats::SetupIni setupIni =
      formats::LoadSetupIni(Files(), FSetupDir + formats::kSetupIniName);
  if (!setupIni.links.empty() && !setupIni.links[0].fileIcon.empty())
    return FDestDir + setupIni.links[0].fileIcon;
  return FDestDir + formats::kUninstallerName;
}

}  // namespace setup
