// The installation log: its text form read back, damaged and hostile logs refused whole, and
// the recorder fed the way the copy page feeds it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_file_system.h"
#include "setup/install_log.h"

namespace {

using setup::LogItem;
using setup::LogItemKind;

const std::wstring kDest = L"C:\\Program files\\Sketrion\\Sketrion 7.2\\";

bool SameItems(const std::vector<LogItem>& a, const std::vector<LogItem>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].kind != b[i].kind || a[i].path != b[i].path || a[i].size != b[i].size || a[i].crc != b[i].crc)
      return false;
  return true;
}

TEST(InstallLogText, ItemsReadBackAsWritten) {
  const std::vector<LogItem> items = {
      {LogItemKind::Folder, L"C:\\Программы\\Sketrion"},
      {LogItemKind::File, L"C:\\Программы\\Sketrion\\Справка — схемы.txt", 12, 0xDEADBEEF},
      {LogItemKind::File, L"C:\\Программы\\Sketrion\\big \U0001F600.bin", 5000000000ull, 0},
      {LogItemKind::ShortcutFolder, L"C:\\Users\\u\\Programs\\Sketrion 7.2"},
      {LogItemKind::Shortcut, L"C:\\Users\\u\\Programs\\Sketrion 7.2\\Редактор.lnk"},
  };
  const std::string bytes = setup::FormatInstallLog(items);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  std::vector<LogItem> read;
  ASSERT_TRUE(setup::ParseInstallLog(bytes, &read));
  EXPECT_TRUE(SameItems(items, read));

  // Line ends without CR and blank lines are read the same; an empty log is a valid log.
  std::string lf;
  for (char c : bytes)
    if (c != '\r') lf += c;
  ASSERT_TRUE(setup::ParseInstallLog(lf + "\n\n", &read));
  EXPECT_TRUE(SameItems(items, read));
  ASSERT_TRUE(setup::ParseInstallLog(setup::FormatInstallLog({}), &read));
  EXPECT_TRUE(read.empty());
}

TEST(InstallLogText, ADamagedOrHostileLogIsTrustedForNothing) {
  const std::string head = "\xEF\xBB\xBF# UnInstall.log 1\r\n";
  const std::string good = "D\tC:\\P\r\n";
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"no byte-order mark", "# UnInstall.log 1\r\n" + good},
      {"another header", "\xEF\xBB\xBF# UnInstall.log 2\r\n" + good},
      {"mark only", "\xEF\xBB\xBF"},
      {"unknown kind", head + good + "X\tC:\\P\r\n"},
      {"kind without a tab", head + "DC:\\P\r\n"},
      {"empty path", head + "D\t\r\n"},
      {"file without CRC", head + "F\t12\tC:\\P\\a\r\n"},
      {"CRC of seven digits", head + "F\t12\t1234567\tC:\\P\\a\r\n"},
      {"CRC not hex", head + "F\t12\t1234567g\tC:\\P\\a\r\n"},
      {"signed size", head + "F\t-12\t12345678\tC:\\P\\a\r\n"},
      {"size past 64 bits", head + "F\t99999999999999999999\t12345678\tC:\\P\\a\r\n"},
      {"NUL in a path", head + std::string("D\tC:\\P\0x\r\n", 9)},
      {"tab in a path", head + "L\tC:\\P\t\\x.lnk\r\n"},
      {"control character", head + "D\tC:\\P\x1b\r\n"},
      {"overlong UTF-8 slash", head + "D\tC:\\P\xC0\xAF..\r\n"},
      {"encoded surrogate", head + "D\tC:\\\xED\xA0\x80\r\n"},
      {"cut UTF-8 sequence", head + "D\tC:\\\xD0\r\n"},
      {"Latin-1 byte", head + "D\tC:\\\xE9t\xE9\r\n"},
  };
  for (const Case& c : cases) {
    std::vector<LogItem> items = {{LogItemKind::Folder, L"left over"}};
    EXPECT_FALSE(setup::ParseInstallLog(c.bytes, &items)) << c.what;
    EXPECT_TRUE(items.empty()) << c.what;
  }
}

class InstallLogRecorder : public testing::Test {
 protected:
  InstallLogRecorder() { files.MakeDirectory(L"C:\\Program files"); }

  // One entry as the archive component reports it: the library writes the file in between.
  void Extract(setup::InstallLog& log, const std::wstring& name, const std::string* bytes, uint32_t crc,
               bool ok = true, uint32_t archiveSize = ~0u) {
    log.EntryStarting(name, bytes == nullptr);
    if (bytes) files.PutFile(kDest + name, *bytes);
    else files.MakeDirectory(kDest + name);
    if (archiveSize == ~0u) archiveSize = bytes ? static_cast<uint32_t>(bytes->size()) : 0;
    log.EntryDone(name, bytes == nullptr, ok, archiveSize, crc);
  }

  platform::FakeFileSystem files;
};

TEST_F(InstallLogRecorder, LogsTheFoldersItMadeAndEachFileAsItLies) {
  setup::InstallLog log(files);
  log.Open(kDest);
  const std::string hello = "hello";  // CRC-32 3610a686
  Extract(log, L"BIN", nullptr, 0);
  Extract(log, L"BIN\\a.txt", &hello, 0x3610a686);
  Extract(log, L"BIN\\b.txt", &hello, 0x11111111, true, 4);  // not the file the archive named: read back
  Extract(log, L"DOC/Руководство.txt", &hello, 0);       // no CRC in the archive: read back
  Extract(log, L"BIN\\failed.txt", &hello, 0x3610a686, false);
  ASSERT_TRUE(log.Save());

  std::vector<LogItem> read;
  ASSERT_TRUE(setup::ParseInstallLog(*files.FileBytes(kDest + L"UnInstall.log"), &read));
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
    setup::InstallLog log(files);
    log.Open(kDest);
    Extract(log, L"BIN\\a.txt", &one, 0);
    Extract(log, L"BIN\\b.txt", &one, 0);
    ASSERT_TRUE(log.Save());
    ASSERT_EQ(log.Items().size(), 2u);  // files only: every folder was there
  }
  setup::InstallLog again(files);
  again.Open(kDest);
  Extract(again, L"BIN\\b.txt", &two, 0);
  Extract(again, L"NEW\\c.txt", &two, 0);
  ASSERT_TRUE(again.Save());
  std::vector<LogItem> read;
  ASSERT_TRUE(setup::ParseInstallLog(*files.FileBytes(kDest + L"UnInstall.log"), &read));
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(read[0].path, kDest + L"BIN\\a.txt");
  EXPECT_EQ(read[1].path, kDest + L"BIN\\b.txt");
  EXPECT_EQ(read[1].size, 2u);  // logged as the second installation left it
  EXPECT_EQ(read[2].kind, LogItemKind::Folder);
  EXPECT_EQ(read[3].path, kDest + L"NEW\\c.txt");
}

}  // namespace
