// Marker DLLs under the names of system DLLs, planted beside the program, with Wine told to take
// a DLL of those names from wherever the search finds it first (as Windows' search order would):
// Setup.exe on its medium, walked to the destination page past the agreement's rich text,
// UnInstall.exe in an installation's folder, run as the uninstall entry runs it, and skmedium.exe
// checking the medium it lies on, load none.
// Run by dll_planting.sh, which names the program in SK_PLANTED_PROGRAM and the DLLs to plant in
// SK_PLANTED_DLLS.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[4096];
  DWORD n = GetEnvironmentVariableW(name, value, 4096);
  return n > 0 && n < 4096 ? std::wstring(value, n) : std::wstring();
}

std::vector<std::wstring> PlantedNames() {
  std::vector<std::wstring> names;
  std::wstring list = Environment(L"SK_PLANTED_DLLS") + L",";
  for (size_t start = 0, comma; (comma = list.find(L',', start)) != std::wstring::npos; start = comma + 1)
    if (comma > start) names.push_back(list.substr(start, comma - start));
  return names;
}

std::string ReadFile(const std::wstring& path) {
  std::string bytes;
  if (FILE* f = _wfopen(path.c_str(), L"rb")) {
    char block[65536];
    for (size_t n; (n = fread(block, 1, sizeof block, f)) > 0;) bytes.append(block, n);
    fclose(f);
  }
  return bytes;
}

// DLL names are ASCII.
std::string Ascii(const std::wstring& name) { return std::string(name.begin(), name.end()); }

// Wine's "<name>=n,b" for one program (its AppDefaults in this scenario's prefix): a DLL of
// that name is taken from wherever the search finds one first, the program's folder included,
// as on Windows, and only then Wine's own.
void PreferDllBesideProgram(const std::wstring& program, const std::wstring& dll) {
  const std::wstring key = L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides";
  HKEY overrides = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &overrides, nullptr),
            ERROR_SUCCESS);
  const wchar_t order[] = L"native,builtin";
  RegSetValueExW(overrides, dll.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order);
  RegCloseKey(overrides);
}

// A program that crashes (a planted DLL lacks what its caller wants) ends at once: no debugger
// is started to wait on it.
void NoCrashDebugger() {
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug",
                        0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr) != ERROR_SUCCESS)
      continue;
    RegSetValueExW(key, L"Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    RegCloseKey(key);
  }
}

// Runs a program of the medium with `args` and waits for it (ending it if it hangs).
bool RunAndWait(const std::wstring& exe, const std::wstring& args) {
  SetupProcess process;
  return process.StartCommand(L"\"" + exe + L"\" " + args) && process.WaitExit(60000);
}

// Setup.exe from the medium: to the destination page, past the agreement's rich text, and out.
void WalkSetup(const Medium& medium) {
  SetupRun run(medium, L"dll-planting");
  HWND welcome = run.Page(kWelcome, L"welcome");
  ASSERT_NE(welcome, nullptr);
  run.Press(welcome, L"Далее>", false);
  run.Press(welcome, L"Далее >");
  HWND license = run.Page(kLicense, L"agreement");
  ASSERT_NE(license, nullptr);
  // The rich-text viewer is there and has taken the agreement.
  std::vector<HWND> viewers = ChildrenOfClass(license, L"RICHEDIT50W");
  if (viewers.empty()) viewers = ChildrenOfClass(license, L"RichEdit20W");
  ASSERT_FALSE(viewers.empty());
  EXPECT_NE(Text(viewers[0]).find(L"Terms"), std::wstring::npos);
  run.Press(license, L"Принимаю", false);
  run.Press(license, L"Далее >");
  HWND path = run.Page(kGetPath, L"destination");
  ASSERT_NE(path, nullptr);
  run.Press(path, L"Отмена", false);
  run.AnswerCancelQuestion(IDYES, L"Установка Sketrion 7.2");
  run.ExpectEnded();
}

// UnInstall.exe as the uninstall entry starts it, in a folder with a record and no log: the copy
// it hands over to says the log is missing, asks, removes the record and says it is done.
void RunUninstall(const std::wstring& folder) {
  // Wine starts its desktop with the first window and ends it after the last: the uninstaller's
  // two processes follow each other, and the second must not meet a desktop half started.
  const HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(holder, nullptr);
  const std::unique_ptr<HWND__, decltype(&DestroyWindow)> held(holder, &DestroyWindow);
  // Both processes are ended with the test if they are still running.
  SetupProcess entry, copy;
  ASSERT_TRUE(entry.StartCommand(L"\"" + folder + L"UnInstall.exe\" /UNINSTALL"));
  // The first program of a fresh prefix may take its time under load.
  ASSERT_TRUE(copy.Attach(WaitForChildProcess(entry.pid(), 60000)));
  EXPECT_TRUE(AnswerMessageBox(copy.pid(), IDOK, 60000).found);
  EXPECT_TRUE(AnswerMessageBox(copy.pid(), IDYES).found);
  EXPECT_TRUE(AnswerMessageBox(copy.pid(), IDOK).found);
  EXPECT_TRUE(copy.WaitExit());
  EXPECT_FALSE(FileExists(folder + L"UnInstall.ini"));
}

TEST(DllPlanting, NoDllIsLoadedFromTheProgramsFolder) {
  const std::wstring program = Environment(L"SK_PLANTED_PROGRAM");
  ASSERT_TRUE(program == L"Setup.exe" || program == L"UnInstall.exe" || program == L"skmedium.exe")
      << "SK_PLANTED_PROGRAM names no program";
  const std::vector<std::wstring> names = PlantedNames();
  ASSERT_FALSE(names.empty()) << "SK_PLANTED_DLLS names no DLL";
  const std::string marker = ReadFile(SK_DLL_MARKER);
  ASSERT_FALSE(marker.empty()) << "no marker DLL at " << SK_DLL_MARKER;

  NoCrashDebugger();
  // The medium, or for the uninstaller the folder of an installation.
  Medium medium{L"C:\\e2e-dll\\medium"};
  if (program != L"UnInstall.exe") {
    medium.WriteSetupIni(
        L"[GENERAL]\nNameApplication=Sketrion 7.2\nNameCompany=Sketrion Software\n"
        L"[GROUPS]\n1=1|BASE.RAR|Основные файлы|Программа\n");
    medium.WriteArchive(L"BASE.RAR", {{"bin/readme.txt", "hello"}});
    medium.WriteFile(L"Licension.rtf", "{\\rtf1\\ansi {\\b Terms}\\par of use.\\par}");
    if (program == L"skmedium.exe") medium.WriteFile(program, ReadFile(SK_DLL_SKMEDIUM));
  } else {
    const std::string uninstaller = ReadFile(SK_DLL_UNINSTALL);
    ASSERT_FALSE(uninstaller.empty()) << "no UnInstall.exe at " << SK_DLL_UNINSTALL;
    medium.WriteFile(L"UnInstall.exe", uninstaller);
    medium.WriteFile(L"UnInstall.ini", ToCp1251(L"[GENERAL]\r\nNameApplication=Sketrion 7.2\r\n"));
  }
  for (const std::wstring& name : names) {
    medium.WriteFile(name + L".dll", marker);
    PreferDllBesideProgram(program, name);
    PreferDllBesideProgram(L"probe.exe", name);
  }
  auto ran = [&](const std::wstring& name) { return FileExists(medium.folder() + name + L".dll.ran"); };

  // The planting works: a program that loads one of the names by bare name runs its marker.
  medium.WriteFile(L"probe.exe", ReadFile(SK_DLL_PROBE));
  ASSERT_TRUE(RunAndWait(medium.folder() + L"probe.exe", names.front() + L".dll"));
  ASSERT_TRUE(ran(names.front())) << "Wine did not take the planted " << Ascii(names.front());
  DeleteFileW((medium.folder() + names.front() + L".dll.ran").c_str());

  // Whatever stops the run, the markers are looked at.
  if (program == L"Setup.exe") WalkSetup(medium);
  else if (program == L"UnInstall.exe") RunUninstall(medium.folder());
  else EXPECT_TRUE(RunAndWait(medium.folder() + program, L"check C:\\e2e-dll\\medium"));
  for (const std::wstring& name : names) EXPECT_FALSE(ran(name)) << Ascii(name) << ".dll was loaded";
}

}  // namespace
}  // namespace e2e
