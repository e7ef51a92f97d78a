// The Win32 shell against the real thing: the user's shell folders and shell links written,
// read back through IShellLinkW, and refused where their folder is missing; the session's fonts.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/scoped_win.h"
#include "platform/win32/shell_win.h"
#include "platform/win32/system_win.h"
#include "util/codepage.h"

namespace {

bool IsFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Win32Shell, TheUsersFoldersAreFolders) {
  platform::ComApartment com;
  ASSERT_TRUE(com.Ok());
  platform::Win32Shell shell;
  std::wstring programs, desktop;
  ASSERT_TRUE(shell.FolderPath(platform::ShellFolder::Programs, &programs));
  ASSERT_TRUE(shell.FolderPath(platform::ShellFolder::Desktop, &desktop));
  EXPECT_TRUE(IsFolder(programs)) << programs.size();
  EXPECT_TRUE(IsFolder(desktop));
  EXPECT_NE(programs, desktop);
  EXPECT_NE(programs.back(), L'\\');
}

TEST(Win32Shell, ALinkSavedReadsBackItsTargetFolderAndIcon) {
  platform::ComApartment com;
  platform::Win32Shell shell;
  const std::wstring folder = L"C:\\shell-link-test Ярлыки";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring file = folder + L"\\Редактор схем.lnk";
  DeleteFileW(file.c_str());

  auto link = shell.NewLink();
  ASSERT_NE(link, nullptr);
  link->SetPath(L"C:\\Program files\\Sketrion\\BIN\\Sketrion.exe");
  link->SetWorkingDirectory(L"C:\\Program files\\Sketrion\\BIN");
  link->SetIconLocation(L"C:\\Program files\\Sketrion\\BIN\\Sketrion.ico", 0);
  ASSERT_TRUE(link->Save(file));
  EXPECT_FALSE(link->Save(folder + L"\\missing folder\\a.lnk"));

  auto read = shell.NewLink();
  ASSERT_TRUE(read->Load(file));
  platform::ShellLinkData data = read->Data();
  // The target comes back as the shell resolves it, in the letter case of the disk.
  EXPECT_TRUE(util::EqualsNoCase(data.path, L"C:\\Program files\\Sketrion\\BIN\\Sketrion.exe"));
  EXPECT_EQ(data.workingDirectory, L"C:\\Program files\\Sketrion\\BIN");
  EXPECT_EQ(data.iconPath, L"C:\\Program files\\Sketrion\\BIN\\Sketrion.ico");
  EXPECT_EQ(data.iconIndex, 0);
  EXPECT_FALSE(read->Load(folder + L"\\none.lnk"));
  DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(Win32System, AFontThatIsNotThereIsRefusedAndTheBroadcastReturns) {
  platform::Win32System system;
  EXPECT_FALSE(system.AddFont(L"no-such-font-here.ttf"));
  DWORD start = GetTickCount();
  system.BroadcastFontChange();
  EXPECT_LT(GetTickCount() - start, 10000u);
}

}  // namespace
