#pragma once
// The key of the installed programs' entries (below HKEY_LOCAL_MACHINE): the installer writes the
// product's entry there, the uninstaller removes it.
namespace setup {

constexpr wchar_t kUninstallKey[] = L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

}  // namespace setup
