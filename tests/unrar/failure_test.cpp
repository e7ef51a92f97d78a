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

// What the library asked about files in use, and the answer it gets.
struct Asked {
  int answer = 0;
  std::vector<std::pair<std::wstring, std::wstring>> files;  // (held, waiting)
};

int CALLBACK AnswerInUse(UINT msg, LPARAM user, LPARAM p1, LPARAM p2) {
  Asked& asked = *reinterpret_cast<Asked*>(user);
  if (msg != UCM_REPLACEATRESTART) return 0;
  asked.files.emplace_back(reinterpret_cast<const wchar_t*>(p1), reinterpret_cast<const wchar_t*>(p2));
  return asked.answer;
}

// A file another program holds stands where big.bin goes. The library asks its caller through
// the callback; only a caller that agrees gets the new file left beside it for the restart.
TEST_F(FailingDestination, AFileInUseWaitsForTheRestartOnlyWhenTheCallerAgrees) {
  struct Case {
    const char* name;
    bool callback;
    int answer;
    bool restart_refused;
    int code;
  };
  const Case cases[] = {
      {"the caller agrees", true, 1, false, 0},
      {"the caller refuses", true, -1, false, ERAR_ECREATE},
      {"no callback (an ordinary caller)", false, 0, false, ERAR_ECREATE},
      {"the system refuses the restart's rename", true, 1, true, ERAR_ECREATE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(out_);
    fs::create_directories(out_);
    WriteFileBytes(out_ / "big.bin", "running version");
    faulty_.in_use = {(out_ / "big.bin").wstring()};
    faulty_.refuse_restart = c.restart_refused;
    faulty_.at_restart.clear();
    Asked asked;
    asked.answer = c.answer;

    OpenedArchive arc(archive_, RAR_OM_EXTRACT);
    if (c.callback) RARSetCallback(arc.handle(), AnswerInUse, reinterpret_cast<LPARAM>(&asked));
    RARHeaderDataEx h;
    memset(&h, 0, sizeof h);
    ASSERT_EQ(RARReadHeaderEx(arc.handle(), &h), 0);
    std::wstring dest = out_.wstring();
    EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_EXTRACT, &dest[0], nullptr), c.code);

    EXPECT_EQ(ReadFileBytes(out_ / "big.bin"), "running version");
    EXPECT_EQ(asked.files.size(), c.callback ? 1u : 0u);
    if (c.code == 0) {
      // The complete new file waits beside the held one, and the system was asked to swap them.
      ASSERT_EQ(faulty_.at_restart.size(), 1u);
      // The callback named the held file first, then the one to replace it.
      EXPECT_EQ(faulty_.at_restart[0].second, asked.files.at(0).first);
      EXPECT_EQ(faulty_.at_restart[0].first, asked.files.at(0).second);
      EXPECT_EQ(fs::path(faulty_.at_restart[0].second), out_ / "big.bin");
      EXPECT_EQ(ReadFileBytes(faulty_.at_restart[0].first), std::string(200000, 'z'));
      EXPECT_EQ(Snapshot(out_).size(), 2u);
    } else {
      EXPECT_TRUE(faulty_.at_restart.empty());
      EXPECT_EQ(Snapshot(out_), std::vector<std::string>{"big.bin 15"}) << "no temporary is left";
    }
  }
}

}  // namespace
}  // namespace unrar_test
