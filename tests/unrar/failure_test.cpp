// A destination that refuses: a full disk, a file or folder that cannot be created, a rename
// that fails. The right code comes back and no half-written file stays behind.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/fake/faulty_file_system.h"
#include "tests/rarwriter/rarwriter.h"
#include "tests/unrar/test_support.h"
#include "unrar/file_system_hook.h"

namespace unrar_test {
namespace {

class FailingDestination : public ::testing::Test {
 protected:
  FailingDestination() : faulty_(platform::RealFileSystem()) {
    rarwriter::Archive a;
    a.format = rarwriter::Format::Rar5;
    a.entries = {rarwriter::MakeFile(a.format, "big.bin", std::string(200000, 'z')),
                 rarwriter::MakeFile(a.format, "sub/small.txt", "small")};
    archive_ = dir_.path() / "a.rar";
    rarwriter::WriteFile(a, archive_.u8string());
    out_ = dir_.path() / "out";
    fs::create_directories(out_);
    unrar::SetFileSystem(&faulty_);
  }
  ~FailingDestination() override { unrar::SetFileSystem(nullptr); }

  // The codes of extracting both entries.
  std::pair<int, int> Extract() {
    OpenedArchive arc(archive_, RAR_OM_EXTRACT);
    EXPECT_NE(arc.handle(), nullptr);
    int codes[2] = {-1, -1};
    RARHeaderDataEx h;
    std::wstring dest = out_.wstring();
    for (int& code : codes) {
      memset(&h, 0, sizeof h);
      if (RARReadHeaderEx(arc.handle(), &h) != 0) break;
      code = RARProcessFileW(arc.handle(), RAR_EXTRACT, &dest[0], nullptr);
    }
    return {codes[0], codes[1]};
  }

  TempDir dir_;
  platform::FaultyFileSystem faulty_;
  fs::path archive_, out_;
};

TEST_F(FailingDestination, AFullDiskIsAWriteErrorAndKeepsTheOldFile) {
  WriteFileBytes(out_ / "big.bin", "previous version");
  faulty_.disk_space = 70000;
  auto codes = Extract();
  EXPECT_EQ(codes.first, ERAR_EWRITE);
  EXPECT_EQ(codes.second, ERAR_EWRITE);  // the disk stays full
  EXPECT_EQ(ReadFileBytes(out_ / "big.bin"), "previous version");
  EXPECT_EQ(Snapshot(out_), (std::vector<std::string>{"big.bin 16", "sub"}));
}

TEST_F(FailingDestination, ARefusedFileIsACreateError) {
  faulty_.refuse_create = true;
  auto codes = Extract();
  EXPECT_EQ(codes.first, ERAR_ECREATE);
  EXPECT_EQ(codes.second, ERAR_ECREATE);
  EXPECT_EQ(Snapshot(out_), std::vector<std::string>{"sub"});
}

TEST_F(FailingDestination, ARefusedFolderIsACreateError) {
  faulty_.refuse_directory = true;
  auto codes = Extract();
  EXPECT_EQ(codes.first, 0);
  EXPECT_EQ(codes.second, ERAR_ECREATE);
  EXPECT_EQ(Snapshot(out_), std::vector<std::string>{"big.bin 200000"});
}

TEST_F(FailingDestination, ARefusedRenameLeavesNeitherTemporaryNorChange) {
  WriteFileBytes(out_ / "big.bin", "previous version");
  faulty_.refuse_rename = true;
  auto codes = Extract();
  EXPECT_EQ(codes.first, ERAR_ECREATE);
  EXPECT_EQ(codes.second, ERAR_ECREATE);
  EXPECT_EQ(Snapshot(out_), (std::vector<std::string>{"big.bin 16", "sub"}));
}

TEST_F(FailingDestination, TestingWritesNothingSoNothingFails) {
  faulty_.refuse_create = true;
  faulty_.disk_space = 0;
  OpenedArchive arc(archive_, RAR_OM_EXTRACT);
  RARHeaderDataEx h;
  int entries = 0;
  while (memset(&h, 0, sizeof h), RARReadHeaderEx(arc.handle(), &h) == 0) {
    EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_TEST, nullptr, nullptr), 0);
    entries++;
  }
  EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace unrar_test
