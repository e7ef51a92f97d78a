// Extraction through the C API on archives made by the test writer: names the corpus lacks
// (866, Unicode, very long, hostile), damaged entries and headers, passwords, and how files
// at the destination are treated.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstring>
#include <string>
#include <vector>

#include "tests/rarwriter/rarwriter.h"
#include "tests/unrar/test_support.h"
#include "unrar/checksum.h"

namespace unrar_test {
namespace {

using rarwriter::Format;

const char kPassword[] = "Correct_Horse_42_xyz";

struct Result {
  std::string name;
  int code;
};

// Opens path, runs operation on every entry, returns each entry's name and code; the code of
// a failing header read ends the list as an entry named "<header>".
std::vector<Result> RunAll(const fs::path& path, int operation, const fs::path& dest, const char* password = nullptr,
                           UNRARCALLBACK callback = nullptr, LPARAM user = 0) {
  std::vector<Result> out;
  OpenedArchive arc(path, RAR_OM_EXTRACT, callback, user);
  if (!arc.handle()) {
    out.push_back({"<open>", static_cast<int>(arc.open_result())});
    return out;
  }
  std::string pw = password ? password : "";
  if (password) RARSetPassword(arc.handle(), &pw[0]);
  static RARHeaderDataEx h;
  for (int i = 0; i < 1000; i++) {
    memset(&h, 0, sizeof h);
    int r = RARReadHeaderEx(arc.handle(), &h);
    if (r == ERAR_END_ARCHIVE) break;
    if (r != 0) {
      out.push_back({"<header>", r});
      break;
    }
    std::wstring d = dest.wstring();
    r = RARProcessFileW(arc.handle(), operation, dest.empty() ? nullptr : &d[0], nullptr);
    out.push_back({EntryName(h), r});
  }
  return out;
}

fs::path WriteArchive(const TempDir& dir, const rarwriter::Archive& archive, const std::string& name = "a.rar") {
  fs::path path = dir.path() / name;
  rarwriter::WriteFile(archive, path.u8string());
  return path;
}

rarwriter::Archive Make(Format format, std::vector<rarwriter::Entry> entries) {
  rarwriter::Archive a;
  a.format = format;
  a.entries = std::move(entries);
  return a;
}

class BothFormats : public ::testing::TestWithParam<Format> {};

INSTANTIATE_TEST_SUITE_P(Rar, BothFormats, ::testing::Values(Format::Rar4, Format::Rar5),
                         [](const ::testing::TestParamInfo<Format>& info) {
                           return std::string(info.param == Format::Rar4 ? "Rar4" : "Rar5");
                         });

TEST_P(BothFormats, HostileNamesAreRefusedAndNothingLeavesTheDestination) {
  const char* hostile[] = {
      "\\abs.txt", "/abs.txt", "C:rel.txt", "C:\\abs.txt", "\\\\srv\\share\\x.txt", "..\\up.txt", "../up.txt",
      "a/../../up.txt", "sub/..", "x.txt:ads", "CON", "aux.txt", "LPT1", "com9.log", "Nul .txt", "dot.",
      "clock$", "blank ", "dir./inner.txt", "q?.txt", "star*.txt",
  };
  for (const char* name : hostile) {
    SCOPED_TRACE(name);
    TempDir dir;
    rarwriter::Entry bad;
    bad.unicode_name = rarwriter::Utf8ToUtf16(name);
    bad.oem_name = rarwriter::ToCp866(bad.unicode_name);
    bad.data = "escaped";
    fs::path archive = WriteArchive(dir, Make(GetParam(), {rarwriter::MakeFile(GetParam(), "good.txt", "good"), bad}));
    fs::create_directories(dir.path() / "dest");
    WriteFileBytes(dir.path() / "sibling.txt", "mine");
    std::vector<std::string> before = Snapshot(dir.path());

    std::vector<Result> tested = RunAll(archive, RAR_TEST, fs::path());
    ASSERT_EQ(tested.size(), 2u);
    EXPECT_EQ(tested[0].code, 0);
    EXPECT_EQ(tested[1].code, ERAR_ECREATE);
    std::vector<Result> extracted = RunAll(archive, RAR_EXTRACT, dir.path() / "dest");
    ASSERT_EQ(extracted.size(), 2u);
    EXPECT_EQ(extracted[0].code, 0);
    EXPECT_EQ(extracted[1].code, ERAR_ECREATE);

    // The destination's parent is as it was, and the destination holds only the good file.
    std::vector<std::string> after = Snapshot(dir.path());
    std::vector<std::string> outside;
    for (const std::string& p : after)
      if (p.compare(0, 4, "dest") != 0) outside.push_back(p);
    std::vector<std::string> outside_before;
    for (const std::string& p : before)
      if (p.compare(0, 4, "dest") != 0) outside_before.push_back(p);
    EXPECT_EQ(outside, outside_before);
    EXPECT_EQ(Snapshot(dir.path() / "dest"), std::vector<std::string>{"good.txt 4"});
  }
}

TEST(Names, Cp866NamesReachTheOldRecordAndUnicodeTheFile) {
  TempDir dir;
  rarwriter::Entry oem;  // a DOS name with no Unicode form, as old RAR wrote it
  oem.oem_name = rarwriter::ToCp866(u"Привет.txt");
  oem.data = "hello";
  rarwriter::Entry unicode = rarwriter::MakeFile(Format::Rar4, "Документы/Отчёт.txt", "report");
  fs::path archive = WriteArchive(dir, Make(Format::Rar4, {oem, unicode}));
  OpenedArchive arc(archive, RAR_OM_EXTRACT);
  ASSERT_NE(arc.handle(), nullptr);
  RARHeaderData old;
  memset(&old, 0, sizeof old);
  ASSERT_EQ(RARReadHeader(arc.handle(), &old), 0);
  EXPECT_EQ(std::string(old.FileName), oem.oem_name);
  std::wstring dest = (dir.path() / "out").wstring();
  EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_EXTRACT, &dest[0], nullptr), 0);
  RARHeaderDataEx ex;
  memset(&ex, 0, sizeof ex);
  ASSERT_EQ(RARReadHeaderEx(arc.handle(), &ex), 0);
  EXPECT_EQ(EntryName(ex), "Документы/Отчёт.txt");
  std::string oem_name = ex.FileName;
  for (char& c : oem_name)
    if (c == '\\') c = '/';
  EXPECT_EQ(oem_name, rarwriter::ToCp866(u"Документы/Отчёт.txt"));
  EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_EXTRACT, &dest[0], nullptr), 0);
  EXPECT_EQ(ReadFileBytes(dir.path() / "out" / Utf8Path("Привет.txt")), "hello");
  EXPECT_EQ(ReadFileBytes(dir.path() / "out" / Utf8Path("Документы") / Utf8Path("Отчёт.txt")), "report");
}

// FileNameW holds 1023 units: a longer name is cut before a character past the BMP that would
// not fit whole (a surrogate pair on Windows; natively one wide character, which still fits).
TEST_P(BothFormats, ANameTooLongForTheWideFieldIsCutBetweenCharacters) {
  TempDir dir;
  std::string name;
  for (int i = 0; i < 10; ++i) name += std::string(100, 'a') + "/";
  name += std::string(12, 'b');
  ASSERT_EQ(name.size(), 1022u);
  const std::string clef = "\xF0\x9D\x84\x9E";  // U+1D11E
  name += clef + ".txt";
  fs::path archive =
      WriteArchive(dir, Make(GetParam(), {rarwriter::MakeFile(GetParam(), name, "x")}));
  OpenedArchive arc(archive, RAR_OM_LIST);
  ASSERT_NE(arc.handle(), nullptr);
  RARHeaderDataEx ex;
  memset(&ex, 0, sizeof ex);
  ASSERT_EQ(RARReadHeaderEx(arc.handle(), &ex), 0);
  const std::string kept = name.substr(0, sizeof(wchar_t) == 2 ? 1022 : 1022 + clef.size());
  EXPECT_EQ(EntryName(ex), kept);
}

TEST_P(BothFormats, ANameOf300CharactersIsExtractedWhole) {
  TempDir dir;
  std::string name = std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(94, 'c') + ".txt";
  ASSERT_EQ(name.size(), 300u);
  fs::path archive = WriteArchive(dir, Make(GetParam(), {rarwriter::MakeFile(GetParam(), name, "long")}));
  OpenedArchive arc(archive, RAR_OM_EXTRACT);
  ASSERT_NE(arc.handle(), nullptr);
  RARHeaderData old;
  memset(&old, 0, sizeof old);
  ASSERT_EQ(RARReadHeader(arc.handle(), &old), 0);
  EXPECT_EQ(strlen(old.FileName), 259u);  // the old record keeps what fits, terminated
  std::wstring dest = dir.wide();
  EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_EXTRACT, &dest[0], nullptr), 0);
  EXPECT_EQ(ReadFileBytes(dir.path() / std::string(100, 'a') / std::string(100, 'b') / (std::string(94, 'c') + ".txt")),
            "long");
}

TEST_P(BothFormats, ABadChecksumFailsOnlyItsEntryAndLeavesNoFile) {
  TempDir dir;
  auto second = rarwriter::MakeFile(GetParam(), "two.txt", "second file");
  second.bad_data_crc = true;
  fs::path archive = WriteArchive(dir, Make(GetParam(), {rarwriter::MakeFile(GetParam(), "one.txt", "first"), second,
                                                          rarwriter::MakeFile(GetParam(), "three.txt", "third")}));
  for (int op : {RAR_TEST, RAR_EXTRACT}) {
    std::vector<Result> r = RunAll(archive, op, dir.path() / "out");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].code, 0);
    EXPECT_EQ(r[1].code, ERAR_BAD_DATA);
    EXPECT_EQ(r[2].code, 0);
  }
  EXPECT_EQ(Snapshot(dir.path() / "out"), (std::vector<std::string>{"one.txt 5", "three.txt 5"}));
}

TEST_P(BothFormats, ABrokenHeaderAfterGoodEntriesEndsTheListWithBadData) {
  for (auto damage : {rarwriter::Archive::HeaderDamage::BadCrc, rarwriter::Archive::HeaderDamage::Garbled}) {
    TempDir dir;
    auto a = Make(GetParam(), {rarwriter::MakeFile(GetParam(), "one.txt", "1"), rarwriter::MakeFile(GetParam(), "two.txt", "2"),
                               rarwriter::MakeFile(GetParam(), "three.txt", "3")});
    a.corrupt_header_after = 2;
    a.header_damage = damage;
    std::vector<Result> r = RunAll(WriteArchive(dir, a), RAR_TEST, fs::path());
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].code, 0);
    EXPECT_EQ(r[1].code, 0);
    EXPECT_EQ(r[2].name, "<header>");
    EXPECT_EQ(r[2].code, ERAR_BAD_DATA);
  }
}

TEST_P(BothFormats, AnArchiveWithoutEndBlockEndsNormally) {
  TempDir dir;
  auto a = Make(GetParam(), {rarwriter::MakeFile(GetParam(), "one.txt", "1"), rarwriter::MakeFile(GetParam(), "two.txt", "2")});
  a.end_block = false;
  std::vector<Result> r = RunAll(WriteArchive(dir, a), RAR_TEST, fs::path());
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[1].code, 0);
}

rarwriter::Archive Encrypted(Format format, bool headers) {
  auto plain = rarwriter::MakeFile(format, "plain.txt", "open data");
  auto secret = rarwriter::MakeFile(format, "secret.txt", std::string(1000, 's') + "end");
  secret.encrypted = true;
  auto a = Make(format, {plain, secret});
  a.password = kPassword;
  a.encrypt_headers = headers;
  return a;
}

struct PasswordAnswer {
  std::string narrow;
  int asked = 0;
};

int CALLBACK AnswerNarrow(UINT msg, LPARAM user, LPARAM p1, LPARAM p2) {
  PasswordAnswer* a = reinterpret_cast<PasswordAnswer*>(user);
  if (msg != UCM_NEEDPASSWORD) return 0;  // the wide request is left unanswered
  a->asked++;
  if (a->narrow.empty()) return -1;
  strncpy(reinterpret_cast<char*>(p1), a->narrow.c_str(), static_cast<size_t>(p2));
  return 1;
}

TEST_P(BothFormats, EncryptedEntriesNeedTheirPassword) {
  TempDir dir;
  fs::path archive = WriteArchive(dir, Encrypted(GetParam(), false));
  std::vector<Result> right = RunAll(archive, RAR_EXTRACT, dir.path() / "out", kPassword);
  ASSERT_EQ(right.size(), 2u);
  EXPECT_EQ(right[1].code, 0);
  EXPECT_EQ(ReadFileBytes(dir.path() / "out" / "secret.txt"), std::string(1000, 's') + "end");

  std::vector<Result> wrong = RunAll(archive, RAR_TEST, fs::path(), "Correct_Horse_42_xyZ");
  ASSERT_EQ(wrong.size(), 2u);
  EXPECT_EQ(wrong[0].code, 0);
  // RAR5 can tell a wrong password; RAR 3.x only sees the checksum fail.
  EXPECT_EQ(wrong[1].code, GetParam() == Format::Rar5 ? ERAR_BAD_PASSWORD : ERAR_BAD_DATA);

  std::vector<Result> none = RunAll(archive, RAR_TEST, fs::path());
  EXPECT_EQ(none[1].code, ERAR_MISSING_PASSWORD);

  PasswordAnswer answer{kPassword};
  std::vector<Result> asked = RunAll(archive, RAR_TEST, fs::path(), nullptr, AnswerNarrow, reinterpret_cast<LPARAM>(&answer));
  EXPECT_EQ(asked[1].code, 0);
  EXPECT_EQ(answer.asked, 1);
  PasswordAnswer refused;
  asked = RunAll(archive, RAR_TEST, fs::path(), nullptr, AnswerNarrow, reinterpret_cast<LPARAM>(&refused));
  EXPECT_EQ(asked[1].code, ERAR_MISSING_PASSWORD);
}

TEST_P(BothFormats, EncryptedHeadersAreReadOnceThePasswordIsKnown) {
  TempDir dir;
  fs::path archive = WriteArchive(dir, Encrypted(GetParam(), true));
  OpenedArchive arc(archive, RAR_OM_EXTRACT);
  ASSERT_NE(arc.handle(), nullptr);
  EXPECT_TRUE(arc.data().Flags & ROADF_ENCHEADERS);
  RARHeaderDataEx h;
  memset(&h, 0, sizeof h);
  EXPECT_EQ(RARReadHeaderEx(arc.handle(), &h), ERAR_MISSING_PASSWORD);

  std::vector<Result> right = RunAll(archive, RAR_TEST, fs::path(), kPassword);
  ASSERT_EQ(right.size(), 2u);
  EXPECT_EQ(right[0].name, "plain.txt");
  EXPECT_EQ(right[0].code, 0);
  EXPECT_EQ(right[1].code, 0);
  std::vector<Result> wrong = RunAll(archive, RAR_TEST, fs::path(), "wrong");
  ASSERT_EQ(wrong.size(), 1u);
  EXPECT_EQ(wrong[0].code, ERAR_BAD_PASSWORD);
}

TEST(Destination, AnExistingReadOnlyFileIsReplaced) {
  TempDir dir;
  fs::path archive = WriteArchive(dir, Make(Format::Rar5, {rarwriter::MakeFile(Format::Rar5, "a.txt", "new content")}));
  fs::create_directories(dir.path() / "out");
  WriteFileBytes(dir.path() / "out" / "a.txt", "old");
  fs::permissions(dir.path() / "out" / "a.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  std::vector<Result> r = RunAll(archive, RAR_EXTRACT, dir.path() / "out");
  EXPECT_EQ(r[0].code, 0);
  EXPECT_EQ(ReadFileBytes(dir.path() / "out" / "a.txt"), "new content");
  EXPECT_EQ(Snapshot(dir.path() / "out"), std::vector<std::string>{"a.txt 11"});
}

TEST(Destination, AttributesAndFoldersFollowTheArchive) {
  TempDir dir;
  auto ro = rarwriter::MakeFile(Format::Rar4, "docs/readme.txt", "read me");
  ro.attributes = 0x21;  // read-only, archive
  fs::path archive = WriteArchive(dir, Make(Format::Rar4, {rarwriter::MakeDirectory(Format::Rar4, "empty"), ro}));
  fs::path out = dir.path() / "out" / "made" / "for it";  // the destination is made too
  std::vector<Result> r = RunAll(archive, RAR_EXTRACT, out);
  EXPECT_EQ(r[0].code, 0);
  EXPECT_EQ(r[1].code, 0);
  EXPECT_TRUE(fs::is_directory(out / "empty"));
  auto perms = fs::status(out / "docs" / "readme.txt").permissions();
  EXPECT_EQ(perms & fs::perms::owner_write, fs::perms::none);
}

TEST(Destination, DestNameChoosesTheFileItself) {
  TempDir dir;
  fs::path archive = WriteArchive(dir, Make(Format::Rar5, {rarwriter::MakeFile(Format::Rar5, "a/b/c.txt", "named")}));
  OpenedArchive arc(archive, RAR_OM_EXTRACT);
  RARHeaderDataEx h;
  memset(&h, 0, sizeof h);
  ASSERT_EQ(RARReadHeaderEx(arc.handle(), &h), 0);
  std::wstring target = (dir.path() / "chosen.bin").wstring();
  EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_EXTRACT, nullptr, &target[0]), 0);
  EXPECT_EQ(ReadFileBytes(dir.path() / "chosen.bin"), "named");
}

#ifndef _WIN32
TEST(Destination, TheModificationTimeIsTheArchivedOne) {
  TempDir dir;
  auto f = rarwriter::MakeFile(Format::Rar5, "dated.txt", "x");
  f.mtime = 1234567890;
  std::vector<Result> r = RunAll(WriteArchive(dir, Make(Format::Rar5, {f})), RAR_EXTRACT, dir.path() / "out");
  EXPECT_EQ(r[0].code, 0);
  struct stat st;
  ASSERT_EQ(stat((dir.path() / "out" / "dated.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1234567890);
}

TEST(Destination, LinksFoundThereAreNeverFollowed) {
  TempDir dir;
  fs::path archive = WriteArchive(dir, Make(Format::Rar5, {rarwriter::MakeFile(Format::Rar5, "a.txt", "from archive"),
                                                           rarwriter::MakeFile(Format::Rar5, "sub/b.txt", "deeper")}));
  fs::create_directories(dir.path() / "out");
  fs::create_directories(dir.path() / "elsewhere");
  WriteFileBytes(dir.path() / "outside.txt", "secret");
  fs::create_symlink(dir.path() / "outside.txt", dir.path() / "out" / "a.txt");
  fs::create_directory_symlink(dir.path() / "elsewhere", dir.path() / "out" / "sub");
  std::vector<Result> r = RunAll(archive, RAR_EXTRACT, dir.path() / "out");
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].code, 0);              // the link itself is replaced by the file
  EXPECT_EQ(r[1].code, ERAR_ECREATE);   // a linked folder is not entered
  EXPECT_FALSE(fs::is_symlink(dir.path() / "out" / "a.txt"));
  EXPECT_EQ(ReadFileBytes(dir.path() / "out" / "a.txt"), "from archive");
  EXPECT_EQ(ReadFileBytes(dir.path() / "outside.txt"), "secret");
  EXPECT_TRUE(fs::is_empty(dir.path() / "elsewhere"));
}
#endif

// RAR 3.6 and later mark some entries with method version 36 instead of 29: the same
// compression, so a solid archive may switch between the two and its state must carry over.
TEST(SolidArchives, EntriesOfOneDecoderFamilyShareTheStateWhateverTheirVersion) {
  std::string bytes = ReadFileBytes(CorpusFile("rar3-solid.rar"));
  // RAR4 blocks after the 7-byte marker: CRC(2) type(1) flags(2) size(2), then for a file its
  // packed size(4); the method version is at offset 24 of a file header.
  size_t pos = 7;
  int files = 0;
  auto u16 = [&](size_t p) { return uint32_t(uint8_t(bytes[p])) | uint32_t(uint8_t(bytes[p + 1])) << 8; };
  auto u32 = [&](size_t p) { return u16(p) | u16(p + 2) << 16; };
  while (pos + 7 <= bytes.size()) {
    const uint8_t type = uint8_t(bytes[pos + 2]);
    const uint32_t flags = u16(pos + 3), size = u16(pos + 5);
    const uint32_t added = (type == 0x74 || (flags & 0x8000)) ? u32(pos + 7) : 0;
    if (type == 0x74 && ++files == 2) {
      ASSERT_EQ(uint8_t(bytes[pos + 24]), 29);
      bytes[pos + 24] = 36;
      const uint32_t crc = unrar::Crc32(0, bytes.data() + pos + 2, size - 2);
      bytes[pos] = char(crc & 0xFF);
      bytes[pos + 1] = char((crc >> 8) & 0xFF);
      break;
    }
    pos += size + added;
  }
  ASSERT_EQ(files, 2);
  TempDir dir;
  const fs::path path = dir.path() / "mixed.rar";
  WriteFileBytes(path, bytes);
  const std::vector<Result> results = RunAll(path, RAR_TEST, fs::path());
  ASSERT_EQ(results.size(), 2u);
  for (const Result& r : results) EXPECT_EQ(r.code, 0) << r.name;
}

}  // namespace
}  // namespace unrar_test
