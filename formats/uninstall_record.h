#pragma once
// UnInstall.ini, the record the uninstaller starts from, in the destination folder: one section
// GENERAL with the product's name and, for each shortcut made from the section LinkN of
// Setup.ini, the key LinkN with the shortcut file's full path (numbers may have gaps). The
// installer writes it key by key as the private-profile functions do (Windows-1251, updated in
// place), so an installation into the same folder again replaces its keys and keeps the others.
#include <string>
#include <vector>

namespace platform {
class FileSystem;
}
namespace util {
class IniFile;
}

namespace formats {

constexpr wchar_t kUninstallRecordName[] = L"UnInstall.ini";
// The uninstaller the entry starts, beside the record.
constexpr wchar_t kUninstallerName[] = L"UnInstall.exe";

// Where one value of the record is written.
struct RecordKey {
  std::wstring section;
  std::wstring key;
};
RecordKey ProductNameKey();
RecordKey ShortcutKey(int linkNumber);

struct UninstallRecord {
  std::wstring productName;             // empty: no installation is recorded
  std::vector<std::wstring> shortcuts;  // the shortcut files, in the file's order
};
UninstallRecord ReadUninstallRecord(const util::IniFile& ini);
// False when there is no record file at `path`; one that cannot be read records nothing.
bool LoadUninstallRecord(platform::FileSystem& files, const std::wstring& path,
                         UninstallRecord* record);

}  // namespace formats
