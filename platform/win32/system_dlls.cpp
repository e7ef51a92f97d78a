#include "platform/win32/system_dlls.h"

#include <string>

#include "platform/win32/scoped_win.h"

namespace platform {

namespace {

// Loaded by name by Windows' own DLLs (user32, comctl32, shell32, ole32, the crypto and rich-text
// code); the list mature installers preload, and the rich-text viewer's two DLLs.
const wchar_t* const kLoadedByName[] = {
    L"uxtheme.dll",  L"dwmapi.dll",   L"cryptbase.dll",     L"cryptsp.dll",   L"rsaenh.dll",
    L"bcrypt.dll",   L"propsys.dll",  L"userenv.dll",       L"profapi.dll",   L"version.dll",
    L"winmm.dll",    L"riched20.dll", L"msftedit.dll",      L"setupapi.dll",  L"apphelp.dll",
    L"oleacc.dll",   L"clbcatq.dll",  L"ntmarta.dll",       L"sspicli.dll",   L"secur32.dll",
    L"wtsapi32.dll", L"msimg32.dll",  L"windowscodecs.dll", L"textshaping.dll",
};

}  // namespace

void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  // Windows 7 without its loader update lacks it: at least the current folder goes. The
  // preloading below covers the program's folder there.
  if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

HMODULE LoadSystemDll(const wchar_t* fileName) {
  wchar_t dir[MAX_PATH];
  const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(dir, n) + L"\\" + fileName;
  // Its own dependencies are looked for beside it, in System32, first.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void PreloadSystemDlls() {
  // A DLL that is missing here must not stop the program with a message box.
  ThreadErrorMode quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  for (const wchar_t* name : kLoadedByName) LoadSystemDll(name);  // kept loaded for the run
}

}  // namespace platform
