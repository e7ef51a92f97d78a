// UnInstall.exe's start over the fakes: the copy it hands the work to and whose result it gets,
// and what a failure at each step leaves (nothing).
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/faulty_file_system.h"
#include "uninstall/hand_over.h"

namespace {

const std::wstring kSelf = L"C:\\Program files\\Sketrion\\Sketrion 7.2\\UnInstall.exe";
const std::wstring kDest = L"C:\\Program files\\Sketrion\\Sketrion 7.2";
const std::wstring kFolder = L"C:\\TEMP\\SketrionUninstall412";
const std::wstring kArguments = L"/UNINSTALL /FOR=\"" + kDest + L"\" /STARTER=412";

TEST(HandOver, TheCopyRunsFromANewFolderAndItsResultComesBack) {
  platform::FakeFileSystem files;
  platform::FakeSystem system;
  files.MakeDirectory(L"C:\\TEMP");
  files.PutFile(kSelf, "MZ the uninstaller");
  system.result = {platform::ProgramResult::Status::Reported, 10};
  const platform::ProgramResult result = uninstall::HandOverToCopy(system, files, kSelf, kArguments, 412);
  EXPECT_EQ(result.status, platform::ProgramResult::Status::Reported);
  EXPECT_EQ(result.code, 10);
  ASSERT_NE(files.FileBytes(kFolder + L"\\UnInstall.exe"), nullptr);
  EXPECT_EQ(*files.FileBytes(kFolder + L"\\UnInstall.exe"), "MZ the uninstaller");
  ASSERT_EQ(system.started.size(), 1u);
  EXPECT_EQ(system.started[0].program, kFolder + L"\\UnInstall.exe");
  EXPECT_EQ(system.started[0].arguments.find(kArguments + L" /RESULT="), 0u);
  EXPECT_EQ(system.started[0].folder, kFolder);
}

TEST(HandOver, AFailedStepLeavesNothingAndStartsNothingElse) {
  struct Case {
    const char* what;
    std::function<void(platform::FakeFileSystem&, platform::FaultyFileSystem&, platform::FakeSystem&)> change;
    bool startTried;
  };
  const Case cases[] = {
      {"no temporary folder", [](auto&, auto&, auto& system) { system.tempDir.clear(); }, false},
      {"a temporary folder that is not a plain path",
       [](auto&, auto&, auto& system) { system.tempDir = L"\\\\server\\temp"; }, false},
      {"the folder is there already: someone else's",
       [](auto& files, auto&, auto&) { files.PutFile(kFolder + L"\\other.txt", "theirs"); }, false},
      {"the folder cannot be made", [](auto&, auto& faulty, auto&) { faulty.refuse_directory = true; }, false},
      {"the program's own file cannot be read", [](auto& files, auto&, auto&) { files.DenyRead(kSelf); }, false},
      {"the disk fills during the copy", [](auto&, auto& faulty, auto&) { faulty.disk_space = 4; }, false},
      {"the copy does not start", [](auto&, auto&, auto& system) { system.refuseStart = true; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::FakeFileSystem files;
    platform::FaultyFileSystem faulty(files);
    platform::FakeSystem system;
    files.MakeDirectory(L"C:\\TEMP");
    files.PutFile(kSelf, "MZ the uninstaller");
    c.change(files, faulty, system);
    const std::set<std::wstring> before = files.FilePaths();
    const platform::PathKind folderBefore = files.Kind(kFolder);
    EXPECT_EQ(uninstall::HandOverToCopy(system, faulty, kSelf, kArguments, 412).status,
              platform::ProgramResult::Status::NotStarted);
    EXPECT_EQ(files.FilePaths(), before);
    EXPECT_EQ(files.Kind(kFolder), folderBefore);
    EXPECT_EQ(system.started.size(), c.startTried ? 1u : 0u);
  }
}

}  // namespace
