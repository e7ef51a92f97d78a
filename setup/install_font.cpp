// The drawing font: copied into the fonts folder, registered for the next start of Windows and
// loaded for this session. Every failure is silent: the installation goes on without the font.
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "setup/font_name.h"
#include "setup/setup.h"
#include "util/codepage.h"
#include "util/paths.h"
#include "platform/file_io.h"

namespace setup {
namespace {

constexpr size_t kFontMax = 64u << 20;

// True when a value of the fonts key names the file (by its bare name or a path ending in it).
bool IsRegistered(platform::Registry& registry, const std::wstring& key, const std::wstring& fileName) {
  std::vector<std::wstring> names;
  if (registry.ListValues(platform::RegRoot::LocalMachineNative, key, &names) != platform::RegStatus::Ok)
    return false;
  for (const std::wstring& name : names) {
    platform::RegValue value;
    if (registry.ReadValue(platform::RegRoot::LocalMachineNative, key, name, &value) != platform::RegStatus::Ok)
      continue;
    if (util::EqualsNoCase(util::NameOf(platform::ValueText(value)), fileName)) return true;
  }
  return false;
}

}  // namespace

void TSetup::InstallFont(const std::wstring& FontFile) {
  try {
    const std::wstring fontName = util::NameOf(FontFile);
    const std::wstring fontsDir = platform::GetWinDir(System()) + L"Fonts\\";
    const std::wstring installed = fontsDir + fontName;
    if (fontName.empty() || Files().Kind(fontsDir) != platform::PathKind::Directory) return;

    // A font already in the folder is not copied again; its own bytes give its name.
    const bool present = Files().Kind(installed) == platform::PathKind::File;
    std::string bytes;
    if (platform::ReadWholeFile(Files(), present ? installed : FontFile, kFontMax, &bytes) != platform::ReadResult::Ok)
      return;
    const std::wstring fullName = TrueTypeFullName(bytes);
    if (fullName.empty()) return;  // not a TrueType font: neither copied nor registered

    const std::wstring key = platform::RegistryPath(kFontsKey);
    if (present && IsRegistered(Registry(), key, fontName)) return;
    // Written beside the font and renamed into place: a failed copy leaves no broken font.
    if (!present && !platform::WriteWholeFile(Files(), installed, bytes)) return;
    if (Registry().CreateKey(platform::RegRoot::LocalMachineNative, key) == platform::RegStatus::Ok)
      Registry().WriteValue(platform::RegRoot::LocalMachineNative, key, fullName + L" (TrueType)",
                            platform::StringValue(fontName));
    System().AddFont(fontName);
    System().BroadcastFontChange();
  } catch (...) {
    // Silent, as every failure of the font.
  }
}

}  // namespace setup
