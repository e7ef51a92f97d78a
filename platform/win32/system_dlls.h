#pragma once
// DLLs come from System32 only, never from the folder Setup.exe runs from: a medium (or a
// download folder) may hold a planted DLL under a system DLL's name.
#include <windows.h>

namespace platform {

// Restricts the DLL search of the whole process to System32. The first thing the program does.
void RestrictDllSearch();

// Loads from System32, by full path, the DLLs that system code loads by bare name (themes,
// window manager, cryptography, the rich-text viewer...), so that later loads by name find them
// loaded wherever the search would have looked. A DLL this Windows lacks is passed over.
void PreloadSystemDlls();

// Loads a DLL of System32 by its file name; null when it cannot be loaded.
HMODULE LoadSystemDll(const wchar_t* fileName);

}  // namespace platform
