#include "platform/file_io.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/faulty_file_system.h"

namespace {

class CopyFileByStream : public testing::Test {
 protected:
  CopyFileByStream() {
    for (int i = 0; i < 200000; ++i) font.push_back(static_cast<char>(i * 31));
    files.PutFile(L"R:\\SERVICE\\FONT\\GOST.TTF", font);
  }
  platform::FakeFileSystem files;
  std::string font;
};

TEST_F(CopyFileByStream, CopiesTheWholeContentReplacingTheDestination) {
  files.PutFile(L"C:\\WINDOWS\\Fonts\\GOST.TTF", "old");
  platform::CopyFileByStream(files, L"R:\\SERVICE\\FONT\\GOST.TTF", L"C:\\WINDOWS\\Fonts\\GOST.TTF");
  EXPECT_EQ(*files.FileBytes(L"C:\\WINDOWS\\Fonts\\GOST.TTF"), font);
  EXPECT_EQ(files.FilePaths().size(), 2u);
}

TEST_F(CopyFileByStream, AMissingSourceStopsBeforeTheDestinationIsTouched) {
  files.PutFile(L"C:\\dest", "keep");
  EXPECT_THROW(platform::CopyFileByStream(files, L"R:\\none", L"C:\\dest"), platform::FileError);
  files.DenyRead(L"R:\\SERVICE\\FONT\\GOST.TTF");
  EXPECT_THROW(platform::CopyFileByStream(files, L"R:\\SERVICE\\FONT\\GOST.TTF", L"C:\\dest"), platform::FileError);
  EXPECT_THROW(platform::CopyFileByStream(files, L"R:\\SERVICE", L"C:\\dest"), platform::FileError);  // a folder
  EXPECT_EQ(*files.FileBytes(L"C:\\dest"), "keep");
  EXPECT_EQ(files.FilePaths().size(), 2u);
}

TEST_F(CopyFileByStream, AFullDiskOrARefusedCreateLeavesNothingBehind) {
  platform::FaultyFileSystem full(files);
  full.disk_space = 1000;
  try {
    platform::CopyFileByStream(full, L"R:\\SERVICE\\FONT\\GOST.TTF", L"C:\\F\\GOST.TTF");
    ADD_FAILURE() << "a full disk must be reported";
  } catch (const platform::FileError& e) {
    EXPECT_EQ(e.Path(), L"C:\\F\\GOST.TTF");
  }
  platform::FaultyFileSystem refusing(files);
  refusing.refuse_create = true;
  EXPECT_THROW(platform::CopyFileByStream(refusing, L"R:\\SERVICE\\FONT\\GOST.TTF", L"C:\\F\\GOST.TTF"),
               platform::FileError);
  platform::FaultyFileSystem no_rename(files);
  no_rename.refuse_rename = true;
  EXPECT_THROW(platform::CopyFileByStream(no_rename, L"R:\\SERVICE\\FONT\\GOST.TTF", L"C:\\F\\GOST.TTF"),
               platform::FileError);
  EXPECT_EQ(files.FilePaths(), std::set<std::wstring>{L"R:\\SERVICE\\FONT\\GOST.TTF"});
}

TEST_F(CopyFileByStream, AnEmptyFileIsCopiedToo) {
  files.PutFile(L"R:\\empty", "");
  platform::CopyFileByStream(files, L"R:\\empty", L"C:\\empty");
  ASSERT_NE(files.FileBytes(L"C:\\empty"), nullptr);
  EXPECT_EQ(*files.FileBytes(L"C:\\empty"), "");
}

TEST(ReadWholeFile, TellsMissingUnreadableAndTooLargeApart) {
  platform::FakeFileSystem files;
  std::string bytes = "x";
  files.PutFile(L"C:\\a", "12345");
  EXPECT_EQ(platform::ReadWholeFile(files, L"C:\\a", 5, &bytes), platform::ReadResult::Ok);
  EXPECT_EQ(bytes, "12345");
  EXPECT_EQ(platform::ReadWholeFile(files, L"C:\\a", 4, &bytes), platform::ReadResult::TooLarge);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(platform::ReadWholeFile(files, L"C:\\b", 5, &bytes), platform::ReadResult::Missing);
  files.DenyRead(L"C:\\a");
  EXPECT_EQ(platform::ReadWholeFile(files, L"C:\\a", 5, &bytes), platform::ReadResult::Unreadable);
}

TEST(WindowsFolders, TakeTheDriveOfTheWindowsFolder) {
  platform::FakeSystem system;
  system.windowsDir = L"C:\\WINDOWS";
  EXPECT_EQ(platform::GetWinDir(system), L"C:\\WINDOWS\\");
  EXPECT_EQ(platform::DefaultProgramFilesDir(system), L"C:\\Program files\\");
  system.windowsDir = L"e:\\Win\\";
  EXPECT_EQ(platform::GetWinDir(system), L"e:\\Win\\");
  EXPECT_EQ(platform::DefaultProgramFilesDir(system), L"e:\\Program files\\");
}

}  // namespace
