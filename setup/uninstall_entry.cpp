// The product's entry in the list of installed programs.
#include "formats/uninstall_record.h"
#include "platform/registry.h"
#include "setup/setup.h"
#include "setup/setup_error.h"
#include "setup/uninstall_key.h"

namespace setup {
namespace {

void WriteEntryValue(platform::Registry& registry, const std::wstring& key, const std::wstring& name,
                     const std::wstring& text) {
  if (registry.WriteValue(platform::RegRoot::LocalMachine, key, name, platform::StringValue(text)) !=
      platform::RegStatus::Ok)
    throw SetupError(L"Failed to set data for '" + name + L"'");
}

}  // namespace

void TSetup::RegisterUninstall() {
  // The entry is one subkey of the list: an empty name or one with a backslash would write
  // into the list's own key or another program's entry.
  if (FNameApplication.empty() || FNameApplication.find(L'\\') != std::wstring::npos)
    throw SetupError(L"Failed to set data for 'DisplayName'");
  const std::wstring key = platform::RegistryPath(kUninstallKey + FNameApplication);
  // A key that cannot be created shows as the failure of the first value written into it.
  Registry().CreateKey(platform::RegRoot::LocalMachine, key);
  WriteEntryValue(Registry(), key, L"DisplayName", FNameApplication + L" (только удаление)");
  // Quoted: unquoted, a path with blanks would let Windows start C:\Program.exe instead.
  WriteEntryValue(Registry(), key, L"UninstallString", L"\"" + FDestDir + formats::kUninstallerName + L"\" /UNINSTALL");
}

}  // namespace setup
