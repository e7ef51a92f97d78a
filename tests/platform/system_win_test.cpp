// The Win32 system and message boxes against the real thing, and the model over them.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/scripted_message_boxes.h"
#include "platform/file_system.h"
#include "platform/win32/registry_win.h"
#include "platform/win32/system_win.h"
#include "setup/setup.h"
#include "util/codepage.h"
#include "platform/file_io.h"

namespace {

std::wstring Folded(const std::wstring& s) { return util::FoldCase(s); }

TEST(Win32System, ReportsTheFoldersOfTheSystemAndTheProgram) {
  platform::Win32System system;
  wchar_t windows[MAX_PATH + 1];
  GetWindowsDirectoryW(windows, MAX_PATH + 1);
  EXPECT_EQ(system.WindowsDir(), windows);
  EXPECT_EQ(Folded(system.WindowsDir()), L"C:\\WINDOWS");
  std::wstring module = system.ModulePath();
  EXPECT_EQ(Folded(module.substr(module.size() - 22)), L"PLATFORM_WIN_TESTS.EXE");
  EXPECT_EQ(module.substr(1, 2), L":\\");
  wchar_t current[MAX_PATH + 1];
  GetCurrentDirectoryW(MAX_PATH + 1, current);
  EXPECT_EQ(system.CurrentDir(), current);
  EXPECT_EQ(platform::GetWinDir(system), std::wstring(windows) + L"\\");
  EXPECT_EQ(platform::DefaultProgramFilesDir(system), std::wstring(windows, 2) + L"\\Program files\\");
}

TEST(Win32System, FreeSpaceOfADriveOrMinusOne) {
  platform::Win32System system;
  EXPECT_GT(system.FreeSpace(L"C:\\"), 0);
  EXPECT_GT(system.FreeSpace(L"c:\\"), 0);
  EXPECT_EQ(system.FreeSpace(L"\\:\\"), -1);
  EXPECT_EQ(system.FreeSpace(L"1:\\"), -1);
  EXPECT_EQ(system.FreeSpace(L"Q:\\"), -1);  // no such drive in the test prefix
}

// The installer's account by its domain and name; on a machine of one user the desktop's owner,
// when the system can name one, is that same account.
TEST(Win32System, AccountsOfTheProcessAndTheDesktop) {
  platform::Win32System system;
  wchar_t name[257];
  DWORD size = 257;
  ASSERT_TRUE(GetUserNameW(name, &size));
  const platform::SessionAccounts accounts = system.Accounts();
  const std::wstring suffix = std::wstring(L"\\") + name;
  ASSERT_GT(accounts.process.size(), suffix.size());
  EXPECT_EQ(Folded(accounts.process.substr(accounts.process.size() - suffix.size())),
            Folded(suffix));
  if (!accounts.desktop.empty()) {
    EXPECT_EQ(Folded(accounts.desktop), Folded(accounts.process));
  }
}

// The temporary files' folder as the user set it, without the trailing backslash a root keeps,
// and a start that says whether it did.
TEST(Win32System, TempDirAndProgramsStarted) {
  platform::Win32System system;
  std::vector<wchar_t> saved(32768);
  const DWORD had = GetEnvironmentVariableW(L"TMP", saved.data(), static_cast<DWORD>(saved.size()));
  for (const std::wstring& folder : {std::wstring(L"C:\\Временные файлы"), std::wstring(L"C:\\")}) {
    SetEnvironmentVariableW(L"TMP", (folder + (folder.size() > 3 ? L"\\" : L"")).c_str());
    EXPECT_EQ(system.TempDir(), folder);
  }
  SetEnvironmentVariableW(L"TMP", had ? saved.data() : nullptr);

  EXPECT_FALSE(system.StartProgram(L"C:\\no such folder\\none.exe", L"", L"C:\\"));
  EXPECT_TRUE(system.StartProgram(system.WindowsDir() + L"\\system32\\cmd.exe", L"/c exit 0", L"C:\\"));
}

// A folder given Program Files' permissions keeps them, as the system reads them back: SYSTEM
// and Administrators full control, Users read and execute; ordinary users may then change
// nothing in it, and may once everyone is allowed to write.
TEST(Win32System, AFolderGivenProgramFilesPermissionsKeepsOthersOut) {
  platform::Win32System system;
  const std::wstring folder = system.TempDir() + L"sk-guarded";
  RemoveDirectoryW(folder.c_str());
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(system.ProtectLikeProgramFiles(folder));
  PACL rights = nullptr;
  PSECURITY_DESCRIPTOR read = nullptr;
  ASSERT_EQ(GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  &rights, nullptr, &read),
            static_cast<DWORD>(ERROR_SUCCESS));
  // The list itself is what Wine keeps (it stores it with the folder); its "protected" mark it
  // does not give back, so that is left to Windows.
  ASSERT_NE(rights, nullptr);
  EXPECT_EQ(rights->AceCount, 3u);
  LocalFree(read);
  EXPECT_FALSE(system.OthersMayChange(folder));
  // Everyone allowed to write: ordinary users may change it.
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1,
                                                                   &open, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL everyone = nullptr;
  GetSecurityDescriptorDacl(open, &present, &everyone, &defaulted);
  ASSERT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, everyone, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  LocalFree(open);
  EXPECT_TRUE(system.OthersMayChange(folder));
  RemoveDirectoryW(folder.c_str());
}

class ModelOnWindows : public testing::Test {
 protected:
  ModelOnWindows() : model(setup::SetupPlatform{&platform::RealFileSystem(), &system, &registry, &boxes, nullptr}) {}
  platform::Win32System system;
  platform::Win32Registry registry;
  platform::ScriptedMessageBoxes boxes;
  setup::TSetup model;
};

TEST_F(ModelOnWindows, DestinationFreeSpaceComesFromTheDrive) {
  model.FDestDir = L"C:\\Program files\\Firm\\Editor\\";
  EXPECT_GT(model.GetDestFreeSpace(), 0);
  model.FDestDir = L"c:\\x\\";
  EXPECT_GT(model.GetDestFreeSpace(), 0);
  model.FDestDir = L"\\x\\";
  EXPECT_EQ(model.GetDestFreeSpace(), -1);
  model.FDestDir = L"1x\\";
  EXPECT_EQ(model.GetDestFreeSpace(), -1);
}

TEST_F(ModelOnWindows, AdministratorRightsUnderWine) {
  EXPECT_TRUE(model.HasAdminRights());
  // The check must not have created anything: the key is opened, never made.
  HKEY key;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(ModelOnWindows, TheSetupFolderIsTheProgramsOwn) {
  std::wstring module = system.ModulePath();
  EXPECT_EQ(model.FSetupDir, module.substr(0, module.rfind(L'\\') + 1));
}

TEST_F(ModelOnWindows, CopyFileByStreamOnRealFiles) {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring dir = std::wstring(temp) + L"sk_copy_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  std::string content(300000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  ASSERT_TRUE(platform::WriteWholeFile(platform::RealFileSystem(), dir + L"ШРИФТ.TTF", content));
  ASSERT_TRUE(platform::WriteWholeFile(platform::RealFileSystem(), dir + L"old.ttf", "old"));
  platform::CopyFileByStream(platform::RealFileSystem(), dir + L"ШРИФТ.TTF", dir + L"old.ttf");
  std::string copied;
  EXPECT_EQ(platform::ReadWholeFile(platform::RealFileSystem(), dir + L"old.ttf", 1 << 20, &copied), platform::ReadResult::Ok);
  EXPECT_EQ(copied, content);
  EXPECT_THROW(platform::CopyFileByStream(platform::RealFileSystem(), dir + L"none", dir + L"new.ttf"), platform::FileError);
  EXPECT_EQ(GetFileAttributesW((dir + L"new.ttf").c_str()), INVALID_FILE_ATTRIBUTES);
  // Into a folder that does not exist: an error, and nothing written anywhere.
  EXPECT_THROW(platform::CopyFileByStream(platform::RealFileSystem(), dir + L"old.ttf", dir + L"no\\such.ttf"),
               platform::FileError);
  for (const wchar_t* name : {L"ШРИФТ.TTF", L"old.ttf"}) DeleteFileW((dir + name).c_str());
  EXPECT_TRUE(RemoveDirectoryW(dir.c_str()));  // empty: no temporary was left behind
}

}  // namespace
