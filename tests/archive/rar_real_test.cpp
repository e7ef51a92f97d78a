// TRAR through the real RAR library: stored archives of the corpus (made by RAR itself) and
// archives of the test writer with Cyrillic 866 names, damage and the installer's password.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "archive/installer_password.h"
#include "archive/rar.h"
#include "tests/archive/header_name.h"
#include "tests/rarwriter/rarwriter.h"
#include "util/codepage.h"
#include "util/text.h"

namespace fs = std::filesystem;

namespace {

using archive::TRAR;

struct Listed {
  std::string name;  // UTF-8, '/' separated
  uint64_t size;
  std::string crc;   // hex, or "dir"
};

std::vector<Listed> ExpectedListing(const std::string& archive) {
  std::ifstream in(fs::u8path(std::string(SK_TEST_CORPUS_DIR) + "expected/" + archive + ".txt"));
  std::vector<Listed> out;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Listed l;
    std::string size, kind;
    std::getline(fields, l.name, '\t');
    std::getline(fields, size, '\t');
    std::getline(fields, l.crc, '\t');
    l.size = std::stoull(size);
    out.push_back(l);
  }
  return out;
}

// The program's wide text of a UTF-8 path (std::filesystem would go through the C locale).
std::wstring Wide(const std::string& utf8) {
  const std::u16string units = rarwriter::Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::wstring CorpusArchive(const std::string& name) {
  return Wide(std::string(SK_TEST_CORPUS_DIR) + "files/" + name);
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Hex(uint32_t v) {
  char buf[9];
  snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

// What a pass reported.
struct PassLog {
  int tested = 0;
  int failed = 0;
  uint64_t unpacked = 0;
  std::vector<std::string> names;  // as FileName holds them (866)
  std::vector<int> errors;

  void Attach(TRAR& rar) {
    auto after = [this](TRAR&, RARHeaderData h, bool ok) {
      ++tested;
      failed += !ok;
      unpacked += h.UnpSize;
      names.push_back(HeaderName(h));
    };
    rar.OnTested = after;
    rar.OnExtract = after;
    rar.OnError = [this](TRAR&, int code) { errors.push_back(code); };
  }
};

class TempFolder {
 public:
  TempFolder() {
    // Unique across the test processes that run side by side.
    utf8_ = fs::temp_directory_path().u8string() + "/sk-archive-" +
            std::to_string(std::random_device{}()) + "-Папка";
    path_ = fs::u8path(utf8_);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    for (auto& e : fs::recursive_directory_iterator(path_, ec))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  // With the trailing separator, as the model holds folders.
  std::wstring Dir() const { return Wide(utf8_ + "/"); }
  std::wstring File(const std::string& name) const { return Wide(utf8_ + "/" + name); }

 private:
  std::string utf8_;
  fs::path path_;
};

// --- the corpus ----------------------------------------------------------------------------------

class CorpusStored : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusStored, TestsEveryEntryCleanAndExtractsTheListedContent) {
  const auto listing = ExpectedListing(GetParam());
  ASSERT_FALSE(listing.empty());
  uint64_t total = 0;
  for (const auto& l : listing) total += l.size;

  TRAR rar;
  PassLog test;
  test.Attach(rar);
  rar.ArchiveName = CorpusArchive(GetParam());
  EXPECT_TRUE(rar.Test());
  EXPECT_EQ(test.tested, static_cast<int>(listing.size()));
  EXPECT_EQ(test.failed, 0);
  EXPECT_EQ(test.unpacked, total);
  EXPECT_TRUE(test.errors.empty());

  TempFolder dest;
  PassLog extract;
  extract.Attach(rar);
  rar.TargetDir = dest.Dir();
  EXPECT_TRUE(rar.Extract());
  EXPECT_EQ(extract.tested, static_cast<int>(listing.size()));
  for (const auto& l : listing) {
    const fs::path p = dest.path() / fs::u8path(l.name);
    if (l.crc == "dir") {
      EXPECT_TRUE(fs::is_directory(p)) << l.name;
    } else {
      EXPECT_EQ(Hex(rarwriter::Crc32(ReadAll(p))), l.crc) << l.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Archives, CorpusStored,
                         ::testing::Values("rar3-subdirs.rar", "rar5-subdirs.rar", "Rar.none.rar",
                                           "test_read_format_rar5_stored.rar"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n) if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

TEST(CorpusMissing, AMissingArchiveReportsTheOpenFailure) {
  TRAR rar;
  PassLog log;
  log.Attach(rar);
  rar.ArchiveName = CorpusArchive("no-such-archive.rar");
  EXPECT_FALSE(rar.Test());
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_NE(log.errors[0], 0);
  EXPECT_EQ(log.tested, 0);
}

// --- archives of the test writer ----------------------------------------------------------------

class Written : public ::testing::TestWithParam<rarwriter::Format> {
 protected:
  rarwriter::Entry File(const std::string& nameUtf8, std::string data) {
    return rarwriter::MakeFile(GetParam(), nameUtf8, std::move(data));
  }
  std::wstring Save(rarwriter::Archive a) {
    a.format = GetParam();
    a.password = archive::InstallerPassword();
    std::ofstream(folder.path() / fs::u8path("Архив.rar"), std::ios::binary)
        << rarwriter::Write(a).bytes;
    return folder.File("Архив.rar");
  }
  // The entry name a header holds, shown in Unicode with '\' separators.
  static std::wstring Shown(const std::string& dosName) {
    std::wstring w = util::FromCp866(dosName);
    for (auto& c : w) if (c == L'/') c = L'\\';
    return w;
  }

  TempFolder folder;
  TRAR rar;
  PassLog log;
};

TEST_P(Written, CyrillicNamesAndEncryptedEntriesWithTheInstallersPassword) {
  rarwriter::Archive a;
  a.entries.push_back(rarwriter::MakeDirectory(GetParam(), "Схемы"));
  a.entries.push_back(File("Схемы/Щит управления.dwg", std::string(70000, 'S')));
  auto secret = File("Отчет.txt", "секрет");
  secret.encrypted = true;
  a.entries.push_back(secret);
  a.entries.push_back(File("readme.txt", "plain"));
  rar.ArchiveName = Save(a);
  log.Attach(rar);
  rar.OnReqPassword = [](TRAR&, RARHeaderData, std::string& pw) { pw = archive::InstallerPassword(); };

  EXPECT_TRUE(rar.Test());
  ASSERT_EQ(log.names.size(), 4u);
  EXPECT_EQ(Shown(log.names[0]), L"Схемы");
  EXPECT_EQ(Shown(log.names[1]), L"Схемы\\Щит управления.dwg");
  EXPECT_EQ(Shown(log.names[2]), L"Отчет.txt");
  EXPECT_EQ(log.failed, 0);
  EXPECT_EQ(log.unpacked, 70000u + std::string("секрет").size() + 5);

  TempFolder dest;
  rar.TargetDir = dest.Dir();
  EXPECT_TRUE(rar.Extract());
  EXPECT_EQ(ReadAll(dest.path() / fs::u8path("Схемы/Щит управления.dwg")), std::string(70000, 'S'));
  EXPECT_EQ(ReadAll(dest.path() / fs::u8path("Отчет.txt")), "секрет");
  EXPECT_EQ(ReadAll(dest.path() / "readme.txt"), "plain");
}

// Names that code page 866 cannot hold: the header record has "?" for them, the component's
// Unicode name has them whole (RAR4's Unicode form, RAR5's UTF-8), and extraction makes them.
TEST_P(Written, UnicodeNamesReachTheEventsWholeBesideThe866Name) {
  const std::vector<std::string> names = {"Справка — схемы",
                                          "Справка — схемы/«Кавычки».txt",
                                          "café.txt",
                                          "€uro.txt",
                                          "\xF0\x9D\x84\x9E ноты.txt",  // U+1D11E, past the BMP
                                          "Ёлка.txt"};
  rarwriter::Archive a;
  a.entries.push_back(rarwriter::MakeDirectory(GetParam(), names[0]));
  for (size_t i = 1; i < names.size(); ++i) a.entries.push_back(File(names[i], names[i]));
  a.entries[3].encrypted = true;
  rar.ArchiveName = Save(a);
  rar.OnReqPassword = [](TRAR&, RARHeaderData, std::string& pw) {
    pw = archive::InstallerPassword();
  };
  std::vector<std::string> wide;  // in UTF-8, '/' separated
  std::vector<std::string> dos;
  rar.OnTested = [&](TRAR& sender, RARHeaderData h, bool ok) {
    EXPECT_TRUE(ok);
    std::string name = util::ToUtf8(sender.EntryNameW());
    for (auto& c : name)
      if (c == '\\') c = '/';
    wide.push_back(name);
    dos.push_back(HeaderName(h));
  };
  EXPECT_TRUE(rar.Test());
  EXPECT_EQ(wide, names);
  EXPECT_EQ(dos[3], "?uro.txt");
  EXPECT_EQ(util::FromCp866(dos[5]), L"Ёлка.txt");

  TempFolder dest;
  rar.TargetDir = dest.Dir();
  EXPECT_TRUE(rar.Extract());
  EXPECT_TRUE(fs::is_directory(dest.path() / fs::u8path(names[0])));
  for (size_t i = 1; i < names.size(); ++i)
    EXPECT_EQ(ReadAll(dest.path() / fs::u8path(names[i])), names[i]);

  // The list of entries to extract names them in Unicode, in any case.
  TempFolder only;
  rar.TargetDir = only.Dir();
  rar.SetFilesToExtract({L"€URO.TXT", L"CAFÉ.TXT"});
  EXPECT_TRUE(rar.Extract());
  EXPECT_TRUE(fs::exists(only.path() / fs::u8path(names[2])));
  EXPECT_TRUE(fs::exists(only.path() / fs::u8path(names[3])));
  EXPECT_FALSE(fs::exists(only.path() / fs::u8path(names[5])));
}

TEST_P(Written, WithoutThePasswordTheEncryptedEntryFails) {
  rarwriter::Archive a;
  auto secret = File("secret.txt", "x");
  secret.encrypted = true;
  a.entries.push_back(secret);
  rar.ArchiveName = Save(a);
  log.Attach(rar);
  EXPECT_FALSE(rar.Test());
  EXPECT_EQ(log.failed, 1);
  ASSERT_FALSE(log.errors.empty());
  EXPECT_NE(log.errors[0], 0);
}

TEST_P(Written, DamagedEntrySpoilsOnlyItself) {
  rarwriter::Archive a;
  a.entries.push_back(File("a.txt", "aaa"));
  auto bad = File("b.txt", "bbb");
  bad.bad_data_crc = true;
  a.entries.push_back(bad);
  a.entries.push_back(File("c.txt", "ccc"));
  rar.ArchiveName = Save(a);
  log.Attach(rar);
  EXPECT_FALSE(rar.Test());
  EXPECT_EQ(log.tested, 3);
  EXPECT_EQ(log.failed, 1);
  EXPECT_EQ(log.errors, std::vector<int>{ERAR_BAD_DATA});
}

TEST_P(Written, BrokenHeaderAfterGoodEntriesFailsThePass) {
  rarwriter::Archive a;
  a.entries.push_back(File("a.txt", "aaa"));
  a.entries.push_back(File("b.txt", "bbb"));
  a.corrupt_header_after = 1;
  rar.ArchiveName = Save(a);
  log.Attach(rar);
  EXPECT_FALSE(rar.Test());
  EXPECT_EQ(log.tested, 1);
  EXPECT_EQ(log.errors, std::vector<int>{ERAR_BAD_DATA});
}

// The component reads the long header record, which alone holds the high half of the unpacked
// size, and fills the short one from it: the events must see what RARReadHeader itself gives.
TEST_P(Written, EventsSeeTheLibrarysShortHeaderRecord) {
  rarwriter::Archive a;
  a.entries.push_back(rarwriter::MakeDirectory(GetParam(), "Папка"));
  std::string longName;
  for (int i = 0; i < 40; ++i) longName += "Длинное/";  // 320 characters, past the 259 a record holds
  a.entries.push_back(File(longName + "имя файла.txt", "long"));
  a.entries.push_back(File("Отчет.txt", std::string(1000, 'x')));
  rar.ArchiveName = Save(a);

  std::vector<RARHeaderData> direct;
  RAROpenArchiveDataEx open = {};
  open.ArcNameW = const_cast<wchar_t*>(rar.ArchiveName.c_str());
  open.OpenMode = RAR_OM_LIST;
  HANDLE handle = RAROpenArchiveEx(&open);
  ASSERT_NE(handle, nullptr);
  RARHeaderData header = {};
  while (RARReadHeader(handle, &header) == ERAR_SUCCESS) {
    direct.push_back(header);
    RARProcessFile(handle, RAR_SKIP, nullptr, nullptr);
  }
  RARCloseArchive(handle);

  std::vector<RARHeaderData> seen;
  rar.OnTested = [&](TRAR& sender, RARHeaderData h, bool) {
    seen.push_back(h);
    EXPECT_EQ(sender.EntryUnpSize(), h.UnpSize);
  };
  EXPECT_TRUE(rar.Test());
  ASSERT_EQ(seen.size(), direct.size());
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(std::string(seen[i].ArcName), std::string(direct[i].ArcName)) << i;
    EXPECT_EQ(HeaderName(seen[i]), HeaderName(direct[i])) << i;
    EXPECT_EQ(seen[i].Flags, direct[i].Flags) << i;
    EXPECT_EQ(seen[i].PackSize, direct[i].PackSize) << i;
    EXPECT_EQ(seen[i].UnpSize, direct[i].UnpSize) << i;
    EXPECT_EQ(seen[i].HostOS, direct[i].HostOS) << i;
    EXPECT_EQ(seen[i].FileCRC, direct[i].FileCRC) << i;
    EXPECT_EQ(seen[i].FileTime, direct[i].FileTime) << i;
    EXPECT_EQ(seen[i].UnpVer, direct[i].UnpVer) << i;
    EXPECT_EQ(seen[i].Method, direct[i].Method) << i;
    EXPECT_EQ(seen[i].FileAttr, direct[i].FileAttr) << i;
    EXPECT_EQ(seen[i].CmtState, direct[i].CmtState) << i;
  }
  EXPECT_EQ(HeaderName(seen[1]).size(), 259u);  // cut to the short record's field
}

TEST_P(Written, LongEntryFeedsTheDataCallbackAndTheMessagePump) {
  rarwriter::Archive a;
  a.entries.push_back(File("big.bin", std::string(3 << 20, 'B')));
  // Every look at the clock finds 20 ms gone: the pump runs every few blocks.
  std::chrono::steady_clock::time_point now{};
  TRAR rar(archive::RealUnrarLibrary(), [&] { return now += std::chrono::milliseconds(20); });
  rar.ArchiveName = Save(a);
  struct CountingPump : archive::MessagePump {
    int calls = 0;
    void ProcessPendingMessages() override { ++calls; }
  } pump;
  rar.SetMessagePump(&pump);
  int last = 0;
  rar.OnProcessData = [&](TRAR&, unsigned char*, int, int position) {
    last = position;
    return 1;
  };
  TempFolder dest;
  rar.TargetDir = dest.Dir();
  EXPECT_TRUE(rar.Extract());
  EXPECT_EQ(last, 3 << 20);
  EXPECT_GE(pump.calls, 3) << "before, during and after the entry";
  EXPECT_EQ(fs::file_size(dest.path() / "big.bin"), uintmax_t(3) << 20);

  last = 0;
  const int before = pump.calls;
  EXPECT_TRUE(rar.Test());
  EXPECT_GE(pump.calls, before + 3) << "testing pumps too";
}

INSTANTIATE_TEST_SUITE_P(Formats, Written,
                         ::testing::Values(rarwriter::Format::Rar4, rarwriter::Format::Rar5),
                         [](const auto& info) {
                           return info.param == rarwriter::Format::Rar4 ? "Rar4" : "Rar5";
                         });

}  // namespace
