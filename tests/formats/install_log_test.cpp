// The installation log: its text form read back (and the older form earlier installations
// wrote), damaged and hostile logs refused whole, and the recorder fed the way the copy page
// feeds it, appending archive by archive.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/faulty_file_system.h"
#include "formats/install_log.h"

namespace {

using formats::LogItem;
using formats::LogItemKind;

const std::wstring kDest = L"C:\\Program files\\Sketrion\\Sketrion 7.2\\";

bool SameItems(const std::vector<LogItem>& a, const std::vector<LogItem>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].kind != b[i].kind || a[i].path != b[i].path || a[i].size != b[i].size ||
        a[i].crc != b[i].crc || a[i].crcKnown != b[i].crcKnown)
      return false;
  return true;
}

// A log as installations before the shortcuts' checksums wrote it: shortcuts by their path.
const std::string kOldHead = "\xEF\xBB\xBF# UnInstall.log 1\r\n";
// The head of a log of the current version, as the writer makes it.
const std::string kHead = formats::FormatInstallLog({});

TEST(InstallLogText, ItemsReadBackAsWritten) {
  const std::vector<LogItem> items = {
      {LogItemKind::Folder, L"C:\\Программы\\Sketrion"},
      {LogItemKind::File, L"C:\\Программы\\Sketrion\\Справка — схемы.txt", 12, 0xDEADBEEF},
      {LogItemKind::File, L"C:\\Программы\\Sketrion\\big \U0001F600.bin", 5000000000ull, 0},
      {LogItemKind::ShortcutFolder, L"C:\\Users\\u\\Programs\\Sketrion 7.2"},
      {LogItemKind::Shortcut, L"C:\\Users\\u\\Programs\\Sketrion 7.2\\Редактор.lnk", 1337, 0x0BADF00D},
  };
  const std::string bytes = formats::FormatInstallLog(items);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  std::vector<LogItem> read;
  ASSERT_TRUE(formats::ParseInstallLog(bytes, &read));
  EXPECT_TRUE(SameItems(items, read));

  // Line ends without CR and blank lines are read the same; an empty log is a valid log.
  std::string lf;
  for (char c : bytes)
    if (c != '\r') lf += c;
  ASSERT_TRUE(formats::ParseInstallLog(lf + "\n\n", &read));
  EXPECT_TRUE(SameItems(items, read));
  ASSERT_TRUE(formats::ParseInstallLog(formats::FormatInstallLog({}), &read));
  EXPECT_TRUE(read.empty());
}

TEST(InstallLogText, TheLastLineOfAPathWinsAndACutLastLineIsLeftOut) {
  const std::string a = "F\t1\t00000001\tC:\\P\\a.txt\r\n", b = "D\tC:\\P\\B\r\n";
  const LogItem aFirst{LogItemKind::File, L"C:\\P\\a.txt", 1, 1};
  const LogItem aAgain{LogItemKind::File, L"C:\\P\\A.TXT", 2, 0xFFFFFFFF};
  const LogItem bFolder{LogItemKind::Folder, L"C:\\P\\B"};
  const LogItem oldLink{LogItemKind::Shortcut, L"C:\\D\\x.lnk", 0, 0, false};
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<LogItem> items;
  } cases[] = {
      {"a path named again, in another case, keeps its place and takes the last line",
       kHead + a + b + "F\t2\tffffffff\tC:\\P\\A.TXT\r\n", {aAgain, bFolder}},
      {"a folder where a file was", kHead + a + b + "D\tC:\\P\\a.txt\r\n",
       {{LogItemKind::Folder, L"C:\\P\\a.txt"}, bFolder}},
      {"a line cut short by a failed write", kHead + a + b + "F\t2\tffff", {aFirst, bFolder}},
      {"cut after its CR", kHead + a + "D\tC:\\P\\B\r", {aFirst}},
      {"cut inside a UTF-8 sequence", kHead + a + "D\tC:\\\xD0", {aFirst}},
      {"a header alone", kHead, {}},
      {"version 1: shortcuts by their path", kOldHead + a + "L\tC:\\D\\x.lnk\r\n", {aFirst, oldLink}},
      {"version 1: a last line without its end is whole (never appended to)",
       kOldHead + a + "L\tC:\\D\\x.lnk", {aFirst, oldLink}},
      {"version 1: the last line of a path wins too", kOldHead + a + b + "F\t2\tffffffff\tC:\\P\\A.TXT\n",
       {aAgain, bFolder}},
  };
  for (const Case& c : cases) {
    std::vector<LogItem> read;
    EXPECT_TRUE(formats::ParseInstallLog(c.bytes, &read)) << c.what;
    EXPECT_TRUE(SameItems(read, c.items)) << c.what;
  }
}

TEST(InstallLogText, ADamagedOrHostileLogIsTrustedForNothing) {
  const std::string good = "D\tC:\\P\r\n";
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"no byte-order mark", kHead.substr(3) + good},
      {"a version not known", "\xEF\xBB\xBF# UnInstall.log 3\r\n" + good},
      {"mark only", "\xEF\xBB\xBF"},
      {"a shortcut without its CRC", kHead + good + "L\tC:\\D\\x.lnk\r\n"},
      {"version 1: a shortcut with a CRC", kOldHead + "L\t5\t12345678\tC:\\D\\x.lnk\r\n"},
      {"a cut line that is not the last", kHead + "F\t2\tffff" + "\r\n" + good},
      {"unknown kind", kHead + good + "X\tC:\\P\r\n"},
      {"kind without a tab", kHead + "DC:\\P\r\n"},
      {"empty path", kHead + "D\t\r\n"},
      {"file without CRC", kHead + "F\t12\tC:\\P\\a\r\n"},
      {"CRC of seven digits", kHead + "F\t12\t1234567\tC:\\P\\a\r\n"},
      {"CRC not hex", kHead + "L\t12\t1234567g\tC:\\P\\a.lnk\r\n"},
      {"signed size", kHead + "F\t-12\t12345678\tC:\\P\\a\r\n"},
      {"size past 64 bits", kHead + "F\t99999999999999999999\t12345678\tC:\\P\\a\r\n"},
      {"NUL in a path", kHead + std::string("D\tC:\\P\0x\r\n", 10)},
      {"tab in a path", kHead + "S\tC:\\P\t\\x\r\n"},
      {"control character", kHead + "D\tC:\\P\x1b\r\n"},
      {"overlong UTF-8 slash", kHead + "D\tC:\\P\xC0\xAF..\r\n"},
      {"encoded surrogate", kHead + "D\tC:\\\xED\xA0\x80\r\n"},
      {"cut UTF-8 sequence", kHead + "D\tC:\\\xD0\r\n"},
      {"Latin-1 byte", kOldHead + "D\tC:\\\xE9t\xE9\r\n"},
  };
  for (const Case& c : cases) {
    std::vector<LogItem> items = {{LogItemKind::Folder, L"left over"}};
    EXPECT_FALSE(formats::ParseInstallLog(c.bytes, &items)) << c.what;
    EXPECT_TRUE(items.empty()) << c.what;
  }
}

class InstallLogRecorder : public testing::Test {
 protected:
  InstallLogRecorder() { files.MakeDirectory(L"C:\\Program files"); }

  // One entry as the archive component reports it: the library writes the file in between.
  void Extract(formats::InstallLog& log, const std::wstring& name, const std::string* bytes, uint32_t crc,
               bool ok = true, uint32_t archiveSize = ~0u) {
    log.EntryStarting(name, bytes == nullptr);
    if (bytes) files.PutFile(kDest + name, *bytes);
    else files.MakeDirectory(kDest + name);
    if (archiveSize == ~0u) archiveSize = bytes ? static_cast<uint32_t>(bytes->size()) : 0;
    log.EntryDone(name, bytes == nullptr, ok, archiveSize, crc);
  }

  const std::string& LogBytes() { return *files.FileBytes(kDest + L"UnInstall.log"); }
  std::vector<LogItem> LogOnDisk(int* version = nullptr) {
    std::vector<LogItem> items;
    EXPECT_TRUE(formats::ParseInstallLog(LogBytes(), &items, version));
    return items;
  }
  // Bytes the recorder writes through `faulty` while f runs.
  template <class F>
  int64_t Written(F f) {
    faulty.disk_space = int64_t{1} << 40;
    f();
    const int64_t written = (int64_t{1} << 40) - faulty.disk_space;
    faulty.disk_space = -1;
    return written;
  }

  platform::FakeFileSystem files;
  platform::FaultyFileSystem faulty{files};
};

TEST_F(InstallLogRecorder, LogsTheFoldersItMadeAndEachFileAsItLies) {
  formats::InstallLog log(files);
  log.Open(kDest);
  const std::string hello = "hello";  // CRC-32 3610a686
  Extract(log, L"BIN", nullptr, 0);
  Extract(log, L"BIN\\a.txt", &hello, 0x3610a686);
  Extract(log, L"BIN\\b.txt", &hello, 0x11111111, true, 4);  // not the file the archive named: read back
  Extract(log, L"DOC/Руководство.txt", &hello, 0);       // no CRC in the archive: read back
  Extract(log, L"BIN\\failed.txt", &hello, 0x3610a686, false);
  ASSERT_TRUE(log.Flush());

  std::vector<LogItem> read;
  ASSERT_TRUE(formats::ParseInstallLog(*files.FileBytes(kDest + L"UnInstall.log"), &read));
  const std::wstring dest = kDest.substr(0, kDest.size() - 1);
  std::vector<std::wstring> folders, filesLogged;
  for (const LogItem& item : read) {
    if (item.kind == LogItemKind::Folder) folders.push_back(item.path);
    if (item.kind == LogItemKind::File) {
      filesLogged.push_back(item.path);
      EXPECT_EQ(item.size, 5u);
      EXPECT_EQ(item.crc, 0x3610a686u) << item.path;
    }
  }
  // The company's folder the destination lies in, the destination and what lies under it; not
  // "C:\Program files", which was there.
  EXPECT_EQ(folders, (std::vector<std::wstring>{L"C:\\Program files\\Sketrion", dest,
                                                kDest + L"BIN", kDest + L"DOC"}));
  EXPECT_EQ(filesLogged, (std::vector<std::wstring>{kDest + L"BIN\\a.txt", kDest + L"BIN\\b.txt",
                                                    kDest + L"DOC\\Руководство.txt"}));
}

TEST_F(InstallLogRecorder, FoldersThatWereThereAreNotLoggedAndASecondInstallationKeepsTheFirst) {
  files.MakeDirectory(L"C:\\Program files\\Sketrion");
  files.MakeDirectory(L"C:\\Program files\\Sketrion\\Sketrion 7.2");
  files.MakeDirectory(kDest + L"BIN");
  const std::string one = "1", two = "22";
  {
    formats::InstallLog log(files);
    log.Open(kDest);
    Extract(log, L"BIN\\a.txt", &one, 0);
    Extract(log, L"BIN\\b.txt", &one, 0);
    ASSERT_TRUE(log.Flush());
    ASSERT_EQ(log.Items().size(), 2u);  // files only: every folder was there
  }
  formats::InstallLog again(files);
  again.Open(kDest);
  Extract(again, L"BIN\\b.txt", &two, 0);
  Extract(again, L"NEW\\c.txt", &two, 0);
  ASSERT_TRUE(again.Flush());
  std::vector<LogItem> read;
  ASSERT_TRUE(formats::ParseInstallLog(*files.FileBytes(kDest + L"UnInstall.log"), &read));
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(read[0].path, kDest + L"BIN\\a.txt");
  EXPECT_EQ(read[1].path, kDest + L"BIN\\b.txt");
  EXPECT_EQ(read[1].size, 2u);  // logged as the second installation left it
  EXPECT_EQ(read[2].kind, LogItemKind::Folder);
  EXPECT_EQ(read[3].path, kDest + L"NEW\\c.txt");
}

TEST_F(InstallLogRecorder, EachFlushAppendsWhatCameSinceAndAReopenedLogGoesOn) {
  const std::string one = "1", two = "22", three = "333";
  formats::InstallLog log(faulty);
  log.Open(kDest);
  Extract(log, L"a.txt", &one, 0);
  Extract(log, L"b.txt", &one, 0);
  ASSERT_TRUE(log.Flush());
  const std::string first = LogBytes();

  // The next archive writes a.txt again and b.txt as it was, and a new file.
  Extract(log, L"a.txt", &two, 0);
  Extract(log, L"b.txt", &one, 0);
  Extract(log, L"c.txt", &three, 0);
  const int64_t written = Written([&] { EXPECT_TRUE(log.Flush()); });
  const std::string second = LogBytes();
  EXPECT_EQ(second.compare(0, first.size(), first), 0) << "what was on disk stays as it was";
  EXPECT_EQ(static_cast<size_t>(written), second.size() - first.size()) << "only the new lines are written";
  std::vector<LogItem> read = LogOnDisk();
  EXPECT_TRUE(SameItems(read, log.Items()));
  ASSERT_EQ(read.size(), 5u);  // two folders, three files
  EXPECT_EQ(read[2].path, kDest + L"a.txt");
  EXPECT_EQ(read[2].size, two.size());
  EXPECT_EQ(Written([&] { EXPECT_TRUE(log.Flush()); }), 0) << "nothing new, nothing written";

  // A later installation into the folder reads the log and appends to it.
  formats::InstallLog again(faulty);
  again.Open(kDest);
  EXPECT_TRUE(SameItems(again.Items(), read));
  Extract(again, L"d.txt", &one, 0);
  const int64_t appended = Written([&] { EXPECT_TRUE(again.Flush()); });
  EXPECT_EQ(static_cast<size_t>(appended), LogBytes().size() - second.size());
  EXPECT_EQ(LogBytes().compare(0, second.size(), second), 0);
  EXPECT_TRUE(SameItems(LogOnDisk(), again.Items()));
  EXPECT_EQ(again.Items().size(), 6u);
}

TEST_F(InstallLogRecorder, AnOlderLogIsWrittenAnewOnceWithItsShortcutsAsTheyLie) {
  const std::wstring links = L"C:\\Users\\u\\Desktop\\";
  files.PutFile(links + L"there.lnk", "a shortcut");
  uint64_t linkSize = 0;
  uint32_t linkCrc = 0;
  ASSERT_TRUE(formats::FileCrc32(files, links + L"there.lnk", &linkSize, &linkCrc));
  files.PutFile(kDest + L"old.txt", "old");
  files.PutFile(kDest + L"UnInstall.log", kOldHead + "D\t" + "C:\\Program files\\Sketrion\r\n" +
                                              "F\t3\t12345678\tC:\\Program files\\Sketrion\\Sketrion 7.2\\old.txt\r\n" +
                                              "L\tC:\\Users\\u\\Desktop\\there.lnk\r\n" +
                                              "L\tC:\\Users\\u\\Desktop\\gone.lnk\r\n");
  const std::string one = "1";
  formats::InstallLog log(faulty);
  log.Open(kDest);
  Extract(log, L"new.txt", &one, 0);
  ASSERT_TRUE(log.Flush());
  int version = 0;
  std::vector<LogItem> read = LogOnDisk(&version);
  EXPECT_EQ(version, 2);
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(read[0].path, L"C:\\Program files\\Sketrion");
  EXPECT_EQ(read[1].crc, 0x12345678u);
  // The shortcut that is there is logged as it is now; the one that is gone is left out.
  EXPECT_EQ(read[2].path, links + L"there.lnk");
  EXPECT_TRUE(read[2].crcKnown);
  EXPECT_EQ(read[2].size, linkSize);
  EXPECT_EQ(read[2].crc, linkCrc);
  EXPECT_EQ(read[3].path, kDest + L"new.txt");

  // From then on it is appended to.
  const std::string rewritten = LogBytes();
  Extract(log, L"next.txt", &one, 0);
  const int64_t appended = Written([&] { EXPECT_TRUE(log.Flush()); });
  EXPECT_EQ(static_cast<size_t>(appended), LogBytes().size() - rewritten.size());
  EXPECT_EQ(LogBytes().compare(0, rewritten.size(), rewritten), 0);
  EXPECT_TRUE(SameItems(LogOnDisk(), log.Items()));
}

TEST_F(InstallLogRecorder, AFailedAppendKeepsWhatWasFlushedAndTheNextFlushMendsTheLog) {
  struct Case {
    const char* what;
    std::function<void(platform::FaultyFileSystem&)> fail;
  } cases[] = {
      {"the disk fills inside a line", [](platform::FaultyFileSystem& f) { f.disk_space = 7; }},
      {"the disk fills before the line", [](platform::FaultyFileSystem& f) { f.disk_space = 0; }},
      {"the disk cannot confirm the data", [](platform::FaultyFileSystem& f) { f.refuse_flush = true; }},
      {"the log cannot be opened", [](platform::FaultyFileSystem& f) { f.refuse_create = true; }},
  };
  const std::string one = "1";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    files.RemoveTree(L"C:\\Program files\\Sketrion");
    formats::InstallLog log(faulty);
    log.Open(kDest);
    Extract(log, L"a.txt", &one, 0);
    ASSERT_TRUE(log.Flush());
    const std::vector<LogItem> flushed = log.Items();

    Extract(log, L"b.txt", &one, 0);
    c.fail(faulty);
    EXPECT_FALSE(log.Flush());
    // Whatever the failed write left, the log still reads, naming at least what was flushed.
    std::vector<LogItem> read = LogOnDisk();
    ASSERT_GE(read.size(), flushed.size());
    read.resize(flushed.size());
    EXPECT_TRUE(SameItems(read, flushed));

    faulty.disk_space = -1;
    faulty.refuse_flush = faulty.refuse_create = false;
    Extract(log, L"c.txt", &one, 0);
    EXPECT_TRUE(log.Flush());
    EXPECT_TRUE(SameItems(LogOnDisk(), log.Items()));
    EXPECT_EQ(log.Items().size(), flushed.size() + 2);
    // And appending goes on from a clean end.
    Extract(log, L"d.txt", &one, 0);
    const size_t before = LogBytes().size();
    const int64_t appended = Written([&] { EXPECT_TRUE(log.Flush()); });
    EXPECT_EQ(static_cast<size_t>(appended), LogBytes().size() - before);
    EXPECT_TRUE(SameItems(LogOnDisk(), log.Items()));
  }
}

}  // namespace
