// Volume sets: the next volume is found beside the first, asked for through the callbacks when
// missing, and a volume that cannot be had is ERAR_EOPEN, never a wait.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/unrar/test_support.h"
#include "unrar/volume_names.h"

namespace unrar_test {
namespace {

TEST(VolumeNames, BothSchemesCountOn) {
  using unrar::NextVolumeName;
  EXPECT_EQ(NextVolumeName(L"dir/set.part1.rar", true), L"dir/set.part2.rar");
  EXPECT_EQ(NextVolumeName(L"set.part09.rar", true), L"set.part10.rar");
  EXPECT_EQ(NextVolumeName(L"set.part99.rar", true), L"set.part100.rar");
  EXPECT_EQ(NextVolumeName(L"set.part0001.exe", true), L"set.part0002.exe");
  EXPECT_EQ(NextVolumeName(L"set.rar", false), L"set.r00");
  EXPECT_EQ(NextVolumeName(L"set.r00", false), L"set.r01");
  EXPECT_EQ(NextVolumeName(L"set.r99", false), L"set.s00");
  EXPECT_EQ(NextVolumeName(L"SET.RAR", false), L"SET.R00");
}

// Copies the set's volumes; the third goes elsewhere under another name when moved is given.
void CopySet(const TempDir& dir, const std::string& stem, bool with_third, const std::string& moved = "") {
  for (int i = 1; i <= 3; i++) {
    std::string name = stem + ".part" + std::to_string(i) + ".rar";
    if (i == 3 && !with_third) {
      if (!moved.empty()) fs::copy_file(CorpusFile(name), dir.path() / moved);
      continue;
    }
    fs::copy_file(CorpusFile(name), dir.path() / name);
  }
}

struct VolumeLog {
  std::vector<std::string> asked, notified;
  std::wstring answer;  // the name to give when asked; empty = refuse
};

int CALLBACK OnVolume(UINT msg, LPARAM user, LPARAM p1, LPARAM p2) {
  VolumeLog* log = reinterpret_cast<VolumeLog*>(user);
  if (msg != UCM_CHANGEVOLUMEW) return 0;
  std::wstring name(reinterpret_cast<wchar_t*>(p1));
  std::string leaf = fs::path(name).filename().u8string();
  if (p2 == RAR_VOL_NOTIFY) {
    log->notified.push_back(leaf);
    return 1;
  }
  log->asked.push_back(leaf);
  if (log->answer.empty()) return -1;
  wcscpy(reinterpret_cast<wchar_t*>(p1), log->answer.c_str());
  return 1;
}

// Tests every entry; returns the codes in order (header failures included).
std::vector<int> TestAll(const fs::path& first, UNRARCALLBACK callback, LPARAM user, CHANGEVOLPROC proc = nullptr) {
  std::vector<int> codes;
  OpenedArchive arc(first, RAR_OM_EXTRACT, callback, user);
  if (!arc.handle()) return {static_cast<int>(arc.open_result())};
  if (proc) RARSetChangeVolProc(arc.handle(), proc);
  RARHeaderDataEx h;
  for (int i = 0; i < 100; i++) {
    memset(&h, 0, sizeof h);
    int r = RARReadHeaderEx(arc.handle(), &h);
    if (r == ERAR_END_ARCHIVE) break;
    if (r != 0) {
      codes.push_back(r);
      break;
    }
    codes.push_back(RARProcessFileW(arc.handle(), RAR_TEST, nullptr, nullptr));
  }
  return codes;
}

class VolumeSets : public ::testing::TestWithParam<std::string> {};

INSTANTIATE_TEST_SUITE_P(Corpus, VolumeSets, ::testing::Values("rar3-vols", "rar5-vols"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param == "rar3-vols" ? std::string("Rar4") : std::string("Rar5");
                         });

TEST_P(VolumeSets, TheNextVolumesAreFoundBesideTheFirst) {
  TempDir dir;
  CopySet(dir, GetParam(), true);
  VolumeLog log;
  std::vector<int> codes = TestAll(dir.path() / (GetParam() + ".part1.rar"), OnVolume, reinterpret_cast<LPARAM>(&log));
  ASSERT_FALSE(codes.empty());
  for (int c : codes) EXPECT_EQ(c, 0);
  EXPECT_TRUE(log.asked.empty());
  EXPECT_EQ(log.notified, (std::vector<std::string>{GetParam() + ".part2.rar", GetParam() + ".part3.rar"}));
}

TEST_P(VolumeSets, AMissingVolumeIsAnOpenErrorWithOrWithoutCallback) {
  TempDir dir;
  CopySet(dir, GetParam(), false);
  std::vector<int> silent = TestAll(dir.path() / (GetParam() + ".part1.rar"), nullptr, 0);
  ASSERT_FALSE(silent.empty());
  EXPECT_EQ(silent.back(), ERAR_EOPEN);
  VolumeLog log;
  std::vector<int> refused = TestAll(dir.path() / (GetParam() + ".part1.rar"), OnVolume, reinterpret_cast<LPARAM>(&log));
  EXPECT_EQ(refused, silent);
  EXPECT_EQ(log.asked, std::vector<std::string>{GetParam() + ".part3.rar"});
}

TEST_P(VolumeSets, TheCallbackMayNameTheMissingVolume) {
  TempDir dir;
  CopySet(dir, GetParam(), false, "third.bin");
  VolumeLog log;
  log.answer = (dir.path() / "third.bin").wstring();
  std::vector<int> codes = TestAll(dir.path() / (GetParam() + ".part1.rar"), OnVolume, reinterpret_cast<LPARAM>(&log));
  ASSERT_FALSE(codes.empty());
  for (int c : codes) EXPECT_EQ(c, 0);
  EXPECT_EQ(log.notified.back(), "third.bin");
}

int g_proc_calls = 0;
int PASCAL RefuseVolume(char* name, int mode) {
  if (mode == RAR_VOL_NOTIFY) return 1;
  g_proc_calls++;
  EXPECT_EQ(mode, RAR_VOL_ASK);
  EXPECT_NE(std::string(name).find(".part3.rar"), std::string::npos);
  return 0;
}

TEST_P(VolumeSets, TheOlderVolumeProcedureStopsWithZero) {
  TempDir dir;
  CopySet(dir, GetParam(), false);
  g_proc_calls = 0;
  std::vector<int> codes = TestAll(dir.path() / (GetParam() + ".part1.rar"), nullptr, 0, RefuseVolume);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.back(), ERAR_EOPEN);
  EXPECT_EQ(g_proc_calls, 1);
}

}  // namespace
}  // namespace unrar_test
