// The demo installed (its base archive carrying UnInstall.exe), then the uninstall entry's command
// run exactly as the registry holds it. Answered "Да", the drive is as it was before the
// installation but for what must stay: the font, the user's file, the file the user changed and
// their folders; the entry is gone and the uninstaller's own file gone or left to the restart.
// Answered "Нет", nothing changes. Installed into folders typed on the destination page, the
// entry names the uninstaller by its full path, in quotes, and starts it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "tests/e2e/demo_install.h"
#include "tests/e2e/drive_listing.h"
#include "tests/e2e/installed.h"

namespace e2e {
namespace {

const std::wstring kDest = kDemoDest;
const std::wstring kProduct = L"Sketrion 7.2";
// The test's own medium folder, which each case writes afresh.
const std::wstring kMediumKey = L"e2e\\";

std::wstring Widened(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }

std::wstring WithBackslash(const std::wstring& folder) {
  return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
}

// A path under C:\ as the listing keys it (lower case, as drive_listing does).
std::wstring Key(const std::wstring& path) {
  std::wstring key = path.substr(3);
  for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
  return key;
}

// What an earlier case in this prefix left: each case starts on a machine without the product.
void ForgetTheProduct() {
  RemoveTree(L"C:\\Program files\\Sketrion Software\\");
  RemoveTree(ProgramsFolder() + L"Sketrion 7.2\\");
  DeleteFileW((DesktopFolder() + L"Sketrion 7.2.lnk").c_str());
  DeleteFileW(L"C:\\windows\\Fonts\\GOST.TTF");
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + kProduct).c_str(),
                  KEY_WOW64_32KEY, 0);
}

// Installs the demo into `dest` (typed on the destination page unless it is the default).
void InstallDemo(const std::wstring& scenario, const std::wstring& dest = kDest) {
  Medium medium{L"C:\\e2e\\uninstall-medium"};
  const std::string uninstaller = ReadFileBytes(Widened(SK_E2E_UNINSTALL_EXE));
  ASSERT_GT(uninstaller.size(), 10000u);
  ASSERT_NO_FATAL_FAILURE(
      WriteDemoMedium(medium, ReadFileBytes(Widened(SK_E2E_FONT)), {{"UnInstall.exe", uninstaller}}));
  SetupRun run(medium, scenario);
  ASSERT_NO_FATAL_FAILURE(WalkDemoInstallation(run, dest == kDest ? L"" : dest));
  ASSERT_TRUE(FileExists(WithBackslash(dest) + L"UnInstall.exe"));
}

// Runs the entry's command line as stored; `copy` becomes the copy of the uninstaller it hands
// over to, outside the destination, which does the work. A process still running when the
// test ends is ended with it.
void StartUninstall(SetupProcess* copy, const std::wstring& dest = kDest) {
  SetupProcess entry;
  ASSERT_TRUE(entry.StartCommand(UninstallValue(kProduct, L"UninstallString")));
  // The first program of a fresh prefix may take its time under load.
  ASSERT_TRUE(copy->Attach(WaitForChildProcess(entry.pid(), 60000))) << "the entry's program started no copy of itself";
  DWORD code = 1;
  EXPECT_TRUE(entry.WaitExit(kWaitMs, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(SamePath(copy->ImagePath(), WithBackslash(dest) + L"UnInstall.exe"));
}

// True when Windows is to delete `path` at its next start.
bool DeletedAtRestart(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> data(1 << 16);
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t) - 4), type = 0;
  const LSTATUS status = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type,
                                          reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_MULTI_SZ) return false;
  // Pairs of strings: a source ("\??\C:\...") and its target, empty for a deletion.
  std::vector<std::wstring> strings;
  for (const wchar_t* s = data.data(); s < data.data() + size / sizeof(wchar_t); s += wcslen(s) + 1)
    strings.push_back(s);
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    std::wstring source = strings[i];
    if (source.rfind(L"\\??\\", 0) == 0) source = source.substr(4);
    if (SamePath(source, path) && strings[i + 1].empty()) return true;
  }
  return false;
}

TEST(UninstallScenario, YesRemovesAllButTheFontAndTheUsersFiles) {
  ForgetTheProduct();
  const TreeListing before = ListTree(L"C:\\");
  ASSERT_NO_FATAL_FAILURE(InstallDemo(L"uninstall-yes"));
  // The user keeps notes beside the program and edits its settings.
  const std::wstring notes = kDest + L"Заметки.txt", settings = kDest + L"BIN\\Sketrion.cfg";
  HANDLE file = CreateFileW(notes.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  file = CreateFileW(settings.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "Zoom=2\r\n", 8, &written, nullptr);
  CloseHandle(file);

  SetupProcess copy;
  ASSERT_NO_FATAL_FAILURE(StartUninstall(&copy));
  const std::wstring copyExe = copy.ImagePath();
  const MessageBoxSeen question = AnswerMessageBox(copy.pid(), IDYES, 60000);
  ASSERT_TRUE(question.found);
  EXPECT_EQ(question.text, L"Удалить " + kProduct + L"?");
  const MessageBoxSeen result = AnswerMessageBox(copy.pid(), IDOK, 60000);
  ASSERT_TRUE(result.found);
  // The changed file is named as kept; the user's own file was never the installation's.
  EXPECT_NE(result.text.find(settings), std::wstring::npos);
  EXPECT_EQ(result.text.find(notes), std::wstring::npos);
  EXPECT_TRUE(copy.WaitExit());

  EXPECT_EQ(UninstallValue(kProduct, L"UninstallString"), L"<none>");
  EXPECT_FALSE(FileExists(kDest + L"UnInstall.exe"));
  EXPECT_TRUE(!FileExists(copyExe) || DeletedAtRestart(copyExe));
  std::vector<std::wstring> left =
      UnexpectedChanges(CompareListings(before, ListTree(L"C:\\")), {kMediumKey, L"windows\\fonts\\gost.ttf"});
  std::vector<std::wstring> expected = {L"+ " + Key(L"C:\\Program files\\Sketrion Software\\"),
                                        L"+ " + Key(kDest),
                                        L"+ " + Key(kDest + L"BIN\\"),
                                        L"+ " + Key(settings),
                                        L"+ " + Key(notes)};
  std::sort(left.begin(), left.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}

TEST(UninstallScenario, NoLeavesEverything) {
  ForgetTheProduct();
  ASSERT_NO_FATAL_FAILURE(InstallDemo(L"uninstall-no"));
  const TreeListing installed = ListTree(L"C:\\");
  const std::wstring command = UninstallValue(kProduct, L"UninstallString");

  SetupProcess copy;
  ASSERT_NO_FATAL_FAILURE(StartUninstall(&copy));
  ASSERT_TRUE(AnswerMessageBox(copy.pid(), IDNO, 60000).found);
  EXPECT_TRUE(copy.WaitExit());

  EXPECT_EQ(UninstallValue(kProduct, L"UninstallString"), command);
  EXPECT_EQ(UnexpectedChanges(CompareListings(installed, ListTree(L"C:\\")), {kMediumKey}),
            std::vector<std::wstring>{});
}

// Folders the destination page accepts, however typed: the entry names the uninstaller by its
// full path, in quotes, and that command starts it.
TEST(UninstallScenario, AcceptedDestinationsGetAFullQuotedEntryThatStarts) {
  for (const std::wstring typed :
       {L"c:\\e2e-dest\\Sketrion Software\\Sketrion", L"C:\\e2e-dest\\Second Place\\CAD\\"}) {
    ForgetTheProduct();
    RemoveTree(L"C:\\e2e-dest\\");
    ASSERT_NO_FATAL_FAILURE(InstallDemo(L"uninstall-entry", typed));
    const std::wstring command = UninstallValue(kProduct, L"UninstallString");
    ASSERT_FALSE(command.empty());
    ASSERT_EQ(command[0], L'"') << command;
    const size_t closing = command.find(L'"', 1);
    ASSERT_NE(closing, std::wstring::npos) << command;
    const std::wstring program = command.substr(1, closing - 1);
    EXPECT_TRUE(program.size() > 3 && std::iswalpha(program[0]) &&
                program.compare(1, 2, L":\\") == 0)
        << program;
    EXPECT_TRUE(SamePath(program, WithBackslash(typed) + L"UnInstall.exe")) << program;

    SetupProcess copy;
    ASSERT_NO_FATAL_FAILURE(StartUninstall(&copy, typed));
    EXPECT_TRUE(AnswerMessageBox(copy.pid(), IDNO, 60000).found) << "the uninstaller asked nothing";
    EXPECT_TRUE(copy.WaitExit());
  }
  ForgetTheProduct();
  RemoveTree(L"C:\\e2e-dest\\");
}

}  // namespace
}  // namespace e2e
