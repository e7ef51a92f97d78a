// What the writer makes, read back by independent readers: Debian's bsdtar (libarchive) and the
// reference unrar compiled to WebAssembly (tests/peers/unrar-extract.js). A writer fault here
// would otherwise hide behind the same fault in our own reader.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/rarwriter/rarwriter.h"

namespace {
namespace fs = std::filesystem;
using rarwriter::Archive;
using rarwriter::Entry;
using rarwriter::Format;

const char kInstallerPassword[] = "Sketrion_Setup_2005A";

struct Listed {
  std::string name, size, crc, status;
};

struct Listing {
  std::vector<Listed> entries;
  std::string end;  // how unrar's walk over the headers ended: "ok" or an error name
};

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

int RunCommand(const std::string& command, std::string* output = nullptr) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
  const int status = pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Hex8(uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

class PeerTest : public ::testing::TestWithParam<Format> {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/rarwriter-peers-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    script_ = fs::path(SK_TEST_SOURCE_DIR) / "tests/peers/unrar-extract.js";
    ASSERT_TRUE(fs::exists(script_.parent_path() / "node_modules/node-unrar-js"))
        << "run tools/setup-machine.sh: tests/peers needs `npm ci`";
  }
  void TearDown() override { fs::remove_all(dir_); }

  Format format() const { return GetParam(); }

  fs::path WriteArchive(const Archive& a, const std::string& name = "test.rar") {
    const fs::path path = dir_ / name;
    rarwriter::WriteFile(a, path.string());
    return path;
  }

  // Extracts with the reference unrar into <dir>/<dest>.
  Listing Unrar(const fs::path& archive, const std::string& dest, const std::string& password = "") {
    std::string out;
    RunCommand("node " + Quote(script_.string()) + " " + Quote(archive.string()) + " " + Quote((dir_ / dest).string()) +
            (password.empty() ? "" : " " + Quote(password)),
        &out);
    Listing listing;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
      std::vector<std::string> f;
      std::istringstream cols(line);
      std::string col;
      while (std::getline(cols, col, '\t')) f.push_back(col);
      if (f.size() == 2 && f[0] == "# end") {
        listing.end = f[1];
      } else if (f.size() >= 4) {
        listing.entries.push_back({f[0], f[1], f[2], f[3]});
      } else {
        ADD_FAILURE() << "unexpected line from unrar-extract.js: " << line;
      }
    }
    return listing;
  }

  // Extracts with bsdtar into <dir>/<dest>; returns its exit status.
  int Bsdtar(const fs::path& archive, const std::string& dest) {
    fs::create_directories(dir_ / dest);
    return RunCommand("TZ=UTC bsdtar -xf " + Quote(archive.string()) + " -C " + Quote((dir_ / dest).string()) + " 2>&1");
  }

  // The name as unrar reports it on a Unix host: RAR4 separators become '/', and a RAR5 name
  // from Windows has its backslashes replaced.
  std::string ReportedName(const Entry& e) const {
    std::string name = e.unicode_name.empty() ? e.oem_name : rarwriter::Utf16ToUtf8(e.unicode_name);
    for (char& c : name) {
      if (c == '\\') c = format() == Format::Rar4 ? '/' : '_';
    }
    return name;
  }

  fs::path dir_;
  fs::path script_;
};

std::vector<Entry> SampleTree(Format f) {
  std::string random(150000, '\0');
  uint32_t x = 12345;
  for (char& c : random) {
    x = x * 1103515245 + 12345;
    c = static_cast<char>(x >> 23);
  }
  const std::string long_path = std::string(100, 'd') + "/" + std::string(100, 'e') + "/" + std::string(94, 'f') + ".txt";
  std::vector<Entry> entries = {
      rarwriter::MakeDirectory(f, "Папка"),
      rarwriter::MakeFile(f, "Папка/Файл с пробелом.txt", "Строка текста\r\n"),
      rarwriter::MakeFile(f, "Папка/表だよ и Ёж №2.txt", "not all of it fits code page 866"),
      rarwriter::MakeDirectory(f, "Папка/Вложенная"),
      rarwriter::MakeFile(f, "Папка/Вложенная/данные.bin", random),
      rarwriter::MakeFile(f, "readme.txt", "hello\n"),
      rarwriter::MakeFile(f, "empty.dat", ""),
      rarwriter::MakeDirectory(f, "d"),
      rarwriter::MakeDirectory(f, "d/" + std::string(100, 'e')),
      rarwriter::MakeDirectory(f, std::string(100, 'd')),
      rarwriter::MakeDirectory(f, std::string(100, 'd') + "/" + std::string(100, 'e')),
      rarwriter::MakeFile(f, long_path, "300 characters of name\n"),
      // Past the BMP: a surrogate pair in RAR4's Unicode form, four bytes of UTF-8 in RAR5.
      rarwriter::MakeFile(f, "Папка/\xF0\x9D\x84\x9E «ноты» — €.txt", "G clef\n"),
  };
  entries[5].attributes = 0x21;  // read-only
  int64_t t = 1136073601;        // 2006-01-01 00:00:01 UTC: an odd second
  for (Entry& e : entries) e.mtime = t += 3601;
  entries[4].mtime_100ns = 1234567;
  return entries;
}

TEST_P(PeerTest, TreeWithCyrillicAndLongNamesReadsBackInBothPeers) {
  Archive a;
  a.format = format();
  a.entries = SampleTree(format());
  const fs::path archive = WriteArchive(a);

  const Listing listing = Unrar(archive, "unrar");
  EXPECT_EQ(listing.end, "ok");
  ASSERT_EQ(listing.entries.size(), a.entries.size());
  for (size_t i = 0; i < a.entries.size(); ++i) {
    const Entry& e = a.entries[i];
    const Listed& l = listing.entries[i];
    const std::string name = ReportedName(e);
    EXPECT_EQ(l.name, name);
    EXPECT_EQ(l.status, "ok") << name;
    if (e.directory) {
      EXPECT_EQ(l.crc, "dir") << name;
      EXPECT_TRUE(fs::is_directory(dir_ / "unrar" / name)) << name;
    } else {
      EXPECT_EQ(l.size, std::to_string(e.data.size())) << name;
      EXPECT_EQ(l.crc, Hex8(rarwriter::Crc32(e.data))) << name;
      EXPECT_EQ(ReadFile(dir_ / "unrar" / name), e.data) << name;
    }
  }

  ASSERT_EQ(Bsdtar(archive, "bsdtar"), 0);
  for (const Entry& e : a.entries) {
    const fs::path p = dir_ / "bsdtar" / ReportedName(e);
    struct stat st {};
    ASSERT_EQ(stat(p.c_str(), &st), 0) << p;
    if (!e.directory) {
      EXPECT_EQ(ReadFile(p), e.data) << p;
      EXPECT_EQ(static_cast<int64_t>(st.st_mtime), e.mtime) << p;
      // libarchive maps the read-only attribute to a mode for RAR5 only.
      if (format() == Format::Rar5) {
        EXPECT_EQ((st.st_mode & 0222) == 0, (e.attributes & 1) != 0) << p;
      }
    }
  }
}

TEST_P(PeerTest, EncryptedEntriesOpenOnlyWithThePassword) {
  Archive a;
  a.format = format();
  a.password = kInstallerPassword;
  a.entries = {
      rarwriter::MakeFile(format(), "readme.txt", "plain\n"),
      rarwriter::MakeFile(format(), "bin/prog.exe", std::string(70000, 'M') + "end"),
      rarwriter::MakeFile(format(), "Документы/Справка.txt", "Секрет"),
      rarwriter::MakeFile(format(), "bin/sixteen.bin", "0123456789abcdef"),
  };
  for (size_t i = 1; i < a.entries.size(); ++i) a.entries[i].encrypted = true;
  const fs::path archive = WriteArchive(a);

  const Listing good = Unrar(archive, "good", kInstallerPassword);
  ASSERT_EQ(good.entries.size(), a.entries.size());
  for (size_t i = 0; i < a.entries.size(); ++i) {
    EXPECT_EQ(good.entries[i].status, "ok") << i;
    EXPECT_EQ(ReadFile(dir_ / "good" / ReportedName(a.entries[i])), a.entries[i].data) << i;
  }

  // RAR5 can tell a wrong password; RAR4 only sees a damaged entry.
  const std::string wrong_status = format() == Format::Rar5 ? "ERAR_BAD_PASSWORD" : "ERAR_BAD_DATA";
  const Listing wrong = Unrar(archive, "wrong", "Sketrion_Setup_2005B");
  ASSERT_EQ(wrong.entries.size(), a.entries.size());
  EXPECT_EQ(wrong.entries[0].status, "ok");
  for (size_t i = 1; i < a.entries.size(); ++i) EXPECT_EQ(wrong.entries[i].status, wrong_status) << i;

  const Listing none = Unrar(archive, "none");
  ASSERT_EQ(none.entries.size(), a.entries.size());
  EXPECT_EQ(none.entries[0].status, "ok");
  for (size_t i = 1; i < a.entries.size(); ++i) EXPECT_EQ(none.entries[i].status, "ERAR_MISSING_PASSWORD") << i;
}

TEST_P(PeerTest, EncryptedHeadersHideEvenTheNames) {
  Archive a;
  a.format = format();
  a.password = kInstallerPassword;
  a.encrypt_headers = true;
  a.entries = {rarwriter::MakeDirectory(format(), "Каталог"),
               rarwriter::MakeFile(format(), "Каталог/файл.txt", "содержимое"),
               rarwriter::MakeFile(format(), "b.txt", std::string(33, 'b'))};
  for (Entry& e : a.entries) e.encrypted = true;
  const fs::path archive = WriteArchive(a);

  const Listing good = Unrar(archive, "good", kInstallerPassword);
  EXPECT_EQ(good.end, "ok");
  ASSERT_EQ(good.entries.size(), 3u);
  EXPECT_EQ(good.entries[1].name, "Каталог/файл.txt");
  EXPECT_EQ(ReadFile(dir_ / "good/Каталог/файл.txt"), "содержимое");
  EXPECT_EQ(ReadFile(dir_ / "good/b.txt"), std::string(33, 'b'));

  const Listing wrong = Unrar(archive, "wrong", "Sketrion_Setup_2005B");
  EXPECT_TRUE(wrong.entries.empty());
  EXPECT_EQ(wrong.end, format() == Format::Rar5 ? "ERAR_BAD_PASSWORD" : "ERAR_BAD_DATA");
  const Listing none = Unrar(archive, "none");
  EXPECT_TRUE(none.entries.empty());
  EXPECT_NE(none.end, "ok");
}

TEST_P(PeerTest, DeliberateDamageIsWhatTheReferenceFinds) {
  Archive a;
  a.format = format();
  a.entries = {rarwriter::MakeFile(format(), "one.txt", "first entry"),
               rarwriter::MakeFile(format(), "two.txt", "second entry"),
               rarwriter::MakeFile(format(), "three.txt", "third entry")};

  Archive bad_crc = a;
  bad_crc.entries[1].bad_data_crc = true;
  const Listing crc = Unrar(WriteArchive(bad_crc, "crc.rar"), "crc");
  ASSERT_EQ(crc.entries.size(), 3u);
  EXPECT_EQ(crc.entries[0].status, "ok");
  EXPECT_EQ(crc.entries[1].status, "ERAR_BAD_DATA");
  EXPECT_EQ(crc.entries[2].status, "ok");

  // A garbled header stops every reader; a header with only a wrong CRC stops bsdtar, while
  // unrar reads on and reports the damage at the end.
  Archive garbled = a;
  garbled.corrupt_header_after = 2;
  const Listing stopped = Unrar(WriteArchive(garbled, "garbled.rar"), "garbled");
  ASSERT_EQ(stopped.entries.size(), 2u);
  EXPECT_EQ(stopped.entries[1].status, "ok");
  EXPECT_EQ(stopped.end, "ERAR_BAD_DATA");
  EXPECT_NE(Bsdtar(dir_ / "garbled.rar", "garbled-bsdtar"), 0);
  EXPECT_FALSE(fs::exists(dir_ / "garbled-bsdtar/three.txt"));

  Archive bad_header_crc = garbled;
  bad_header_crc.header_damage = Archive::HeaderDamage::BadCrc;
  const Listing read_on = Unrar(WriteArchive(bad_header_crc, "header-crc.rar"), "header-crc");
  EXPECT_EQ(read_on.entries.size(), 3u);
  EXPECT_EQ(read_on.end, "ERAR_BAD_DATA");
  EXPECT_NE(Bsdtar(dir_ / "header-crc.rar", "header-crc-bsdtar"), 0);
  EXPECT_TRUE(fs::exists(dir_ / "header-crc-bsdtar/two.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "header-crc-bsdtar/three.txt"));

  // Cut inside the second entry's data.
  Archive truncated = a;
  truncated.truncate_to = static_cast<int64_t>(rarwriter::Write(a).entries[1].data_offset + 5);
  const Listing cut = Unrar(WriteArchive(truncated, "cut.rar"), "cut");
  ASSERT_GE(cut.entries.size(), 1u);
  EXPECT_EQ(cut.entries[0].status, "ok");
  EXPECT_TRUE(cut.entries.size() == 1 || cut.entries[1].status != "ok");
  EXPECT_NE(cut.end, "ok");
}

// The library's safety tests rely on these names reaching a reader exactly as written.
TEST_P(PeerTest, HostileNamesAreStoredVerbatim) {
  const std::vector<std::string> names = {"\\x",   "/x",  "C:x",     "C:\\x", "\\\\srv\\share", "..\\x",
                                          "a/../../x", "x:ads", "CON",  "aux.txt", "LPT1", "trailing.",
                                          "trailing ", std::string(300, 'n')};
  Archive a;
  a.format = format();
  for (const std::string& n : names) {
    Entry e;
    e.oem_name = n;
    e.data = "payload";
    a.entries.push_back(e);
  }
  const Listing listing = Unrar(WriteArchive(a), "unrar");
  ASSERT_EQ(listing.entries.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(listing.entries[i].name, ReportedName(a.entries[i]));
    EXPECT_EQ(listing.entries[i].crc, Hex8(rarwriter::Crc32("payload"))) << names[i];
  }
  // Nothing was written beside the destination.
  for (const fs::directory_entry& d : fs::directory_iterator(dir_)) {
    EXPECT_TRUE(d.path().filename() == "unrar" || d.path().filename() == "test.rar") << d.path();
  }
}

// A RAR4 name without a Unicode form is stored as the 866 bytes given.
TEST(PeerOemNames, RawCp866BytesReachBsdtarUnchanged) {
  char tmpl[] = "/tmp/rarwriter-oem-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  Archive a;
  a.format = Format::Rar4;
  Entry e;
  e.oem_name = "\x8f\xa0\xaf\xaa\xa0\\\x94\xa0\xa9\xab.txt";  // "Папка\Файл.txt" in 866
  e.data = "x";
  a.entries.push_back(e);
  rarwriter::WriteFile(a, (dir / "oem.rar").string());
  std::string out;
  EXPECT_EQ(RunCommand("LC_ALL=C bsdtar -tf " + Quote((dir / "oem.rar").string()), &out), 0);
  EXPECT_EQ(out, "\\217\\240\\257\\252\\240/\\224\\240\\251\\253.txt\n");
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(BothFormats, PeerTest, ::testing::Values(Format::Rar4, Format::Rar5),
                         [](const ::testing::TestParamInfo<Format>& info) {
                           return info.param == Format::Rar4 ? "Rar4" : "Rar5";
                         });

}  // namespace
