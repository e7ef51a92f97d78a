#pragma once
// What an installation left on the machine, read the way Windows reads it: shortcuts through
// the shell's link object, the uninstall entry in the 32-bit view of HKLM (where a 32-bit
// installer's entry lives), the fonts registered in the machine's native view. Used by the
// scenarios' checks and by the demo's report.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace e2e {

// The current user's Start-menu programs folder and desktop, each with a trailing backslash.
std::wstring ProgramsFolder();
std::wstring DesktopFolder();

// The .lnk files under a folder (searched through its subfolders), full paths.
std::vector<std::wstring> ShortcutsUnder(const std::wstring& folder);
// A shortcut as IShellLinkW reads it back; false when it cannot be loaded. COM must be
// initialised on the thread.
bool ReadShortcut(const std::wstring& file, platform::ShellLinkData* data);

// A value of HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\<product> (32-bit view);
// "<none>" when it is missing.
std::wstring UninstallValue(const std::wstring& product, const std::wstring& name);
// A REG_DWORD value there; -1 when it is missing or of another type.
int64_t UninstallNumber(const std::wstring& product, const std::wstring& name);
// The values of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts (native view) whose
// data names `fileName`, as "name = data".
std::vector<std::wstring> FontRegistrations(const std::wstring& fileName);

// Paths equal as Windows compares them (without regard to case): the shell gives a target back
// in the letter case of the disk.
bool SamePath(const std::wstring& a, const std::wstring& b);

// The whole file's bytes; "<missing>" when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Replaces the file's bytes (its folder must exist); false when it cannot.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace e2e
