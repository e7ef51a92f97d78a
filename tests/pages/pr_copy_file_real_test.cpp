// The copy page over the real archive component and RAR library: writing into a destination
// that refuses (a disk that fills up, files or folders that cannot be created: the
// failure-injecting file layer under the library), where the page reports what was not copied
// and no half-written file stays behind; and logging names that code page 866 cannot hold.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/installer_password.h"
#include "archive/rar.h"
#include "formats/install_log.h"
#include "pages/pr_copy_file.h"
#include "platform/fake/faulty_file_system.h"
#include "tests/pages/page_fixture.h"
#include "tests/rarwriter/rarwriter.h"
#include "tests/unrar/test_support.h"
#include "unrar/file_system_hook.h"
#include "util/crc32.h"
#include "util/strings.h"
#include "util/text.h"

namespace {

using pages::TfmPrCopyFile;
using unrar_test::Snapshot;

// Puts a fresh copy page in `page` (where the component's events find it), shown and activated:
// it copies the selected groups.
void CopyWithNewPage(std::unique_ptr<TfmPrCopyFile>& page, setup::TSetup& model, archive::TRAR& rar,
                     pages::testing::FakeHost& host) {
  page = std::make_unique<TfmPrCopyFile>(model, rar);
  page->FormCreate(L"Sketrion");
  page->AttachHost(&host);
  page->FormShow();
  page->FormActivate();
}

class CopyPageOnAFailingDisk : public pages::testing::PageTest {
 protected:
  CopyPageOnAFailingDisk() : faulty(platform::RealFileSystem()) {
    unrar::SetFileSystem(&faulty);
    rarwriter::Archive a;
    a.format = rarwriter::Format::Rar5;
    a.entries = {rarwriter::MakeFile(a.format, "a.txt", "first"),
                 rarwriter::MakeFile(a.format, "big.bin", std::string(200000, 'b')),
                 rarwriter::MakeFile(a.format, "sub/c.txt", "third")};
    rarwriter::WriteFile(a, (medium.path() / "BASE.RAR").u8string());
    out = dest.path() / "Sketrion";
    model.FDestDir = out.wstring() + L"/";
    AddGroup(L"1=1|BASE.RAR|Основные файлы", 200010).FArchiveFile = (medium.path() / "BASE.RAR").wstring();
    model.FGroups->Items(0)->FFileCount = 3;  // as the welcome page's test counted them
    rar.OnExtracting = [this](archive::TRAR& sender, RARHeaderData h) { page->RARExtracting(sender, h); };
    rar.OnExtract = [this](archive::TRAR& sender, RARHeaderData h, bool ok) { page->RARExtract(sender, h, ok); };
  }
  ~CopyPageOnAFailingDisk() override { unrar::SetFileSystem(nullptr); }

  // The copying by a fresh page, and the one message it shows.
  std::wstring Copy() {
    boxes.Clear();
    CopyWithNewPage(page, model, rar, host);
    EXPECT_EQ(boxes.Asked().size(), 1u);
    return boxes.Asked().empty() ? L"" : boxes.Asked()[0].text;
  }

  unrar_test::TempDir medium, dest;
  unrar_test::fs::path out;
  platform::FaultyFileSystem faulty;
  archive::TRAR rar;
  std::unique_ptr<TfmPrCopyFile> page;
};

TEST_F(CopyPageOnAFailingDisk, EachRefusalIsReportedAndLeavesNoHalfWrittenFile) {
  struct Case {
    const char* name;
    std::function<void(platform::FaultyFileSystem&)> refuse;
    std::wstring message;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      // The disk fills during big.bin: it ends the archive, so sub/c.txt is never reached.
      {"a disk that fills", [](platform::FaultyFileSystem& f) { f.disk_space = 70000; },
       L"Не удалось скопировать файлов: 2. Первый из них: big.bin", {"a.txt 5"}},
      // A file that cannot be created spoils only itself (the folder is made before).
      {"files refused", [](platform::FaultyFileSystem& f) { f.refuse_create = true; },
       L"Не удалось скопировать файлов: 3. Первый из них: a.txt", {"sub"}},
      {"folders refused", [](platform::FaultyFileSystem& f) { f.refuse_directory = true; },
       // (natively the library names entries with '/')
       L"Не удалось скопировать файлов: 1. Первый из них: sub/c.txt", {"a.txt 5", "big.bin 200000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unrar_test::fs::remove_all(out);
    unrar_test::fs::create_directories(out);
    faulty.disk_space = -1;
    faulty.refuse_create = faulty.refuse_directory = false;
    c.refuse(faulty);
    EXPECT_EQ(Copy(), c.message);
    EXPECT_EQ(Snapshot(out), c.left);
  }
}

// The library writes into the same in-memory disk the installation log looks at.
class CopyPageOverTheLibrary : public pages::testing::PageTest {
 protected:
  CopyPageOverTheLibrary() {
    unrar::SetFileSystem(&files);
    model.FDestDir = kDest;
    rar.OnExtracting = [this](archive::TRAR& sender, RARHeaderData h) {
      page->RARExtracting(sender, h);
    };
    rar.OnExtract = [this](archive::TRAR& sender, RARHeaderData h, bool ok) {
      page->RARExtract(sender, h, ok);
    };
    rar.OnReqPassword = [](archive::TRAR&, RARHeaderData, std::string& password) {
      password = archive::InstallerPassword();
    };
  }
  ~CopyPageOverTheLibrary() override { unrar::SetFileSystem(nullptr); }

  // A selected group whose archive, of the given entries, lies on the medium as D:\<file>.
  void AddArchive(const std::wstring& file, rarwriter::Format format,
                  std::vector<rarwriter::Entry> entries) {
    rarwriter::Archive a;
    a.format = format;
    a.password = archive::InstallerPassword();
    a.entries = std::move(entries);
    files.PutFile(L"D:\\" + file, rarwriter::Write(a).bytes);
    AddGroup(L"1=1|" + file + L"|Файлы", 0).FArchiveFile = L"D:\\" + file;
    model.FGroups->Items(model.FGroups->Count() - 1)->FFileCount =
        static_cast<int32_t>(a.entries.size());
  }

  // What the log on the disk names under the destination, relative to it.
  std::vector<std::wstring> Logged() {
    std::vector<std::wstring> logged;
    std::vector<formats::LogItem> items;
    const std::string* bytes = files.FileBytes(kDest + std::wstring(formats::kInstallLogName));
    EXPECT_NE(bytes, nullptr);
    if (bytes) {
      EXPECT_TRUE(formats::ParseInstallLog(*bytes, &items));
    }
    for (const auto& item : items)
      if (item.path.size() > kDest.size()) logged.push_back(item.path.substr(kDest.size()));
    return logged;
  }

  const std::wstring kDest = L"C:\\Program files\\Firm\\Sketrion\\";
  archive::TRAR rar;
  std::unique_ptr<TfmPrCopyFile> page = std::make_unique<TfmPrCopyFile>(model, rar);
};

std::wstring Wide(const std::string& utf8) { return util::FromUtf8(utf8); }

TEST_F(CopyPageOverTheLibrary, LogsEveryEntryOfBothFormatsUnderItsUnicodeName) {
  const std::string clef = "\xF0\x9D\x84\x9E";  // U+1D11E, past the BMP
  // name (UTF-8, '/' separated), folder or not, encrypted or not
  struct Named {
    std::string name;
    bool folder;
    bool encrypted;
  };
  const std::vector<Named> rar5 = {{"Справка — схемы", true, false},
                                   {"Справка — схемы/«Кавычки».txt", false, false},
                                   {"café.txt", false, true},
                                   {clef + " ноты.txt", false, false}};
  const std::vector<Named> rar4 = {{"€uro", true, false},
                                   {"€uro/Ёлка — ель.txt", false, true},
                                   {"€uro/" + clef, true, false},
                                   {"€uro/" + clef + "/résumé.txt", false, false}};
  std::vector<std::wstring> expected;
  for (auto [format, named] :
       {std::pair{rarwriter::Format::Rar5, &rar5}, std::pair{rarwriter::Format::Rar4, &rar4}}) {
    std::vector<rarwriter::Entry> entries;
    for (const Named& n : *named) {
      entries.push_back(n.folder ? rarwriter::MakeDirectory(format, n.name)
                                 : rarwriter::MakeFile(format, n.name, n.name));
      entries.back().encrypted = n.encrypted;
      expected.push_back(util::ReplaceAll(Wide(n.name), L"/", L"\\"));
    }
    AddArchive(format == rarwriter::Format::Rar5 ? L"BASE.RAR" : L"DOCS.RAR", format,
               std::move(entries));
  }
  page->FormCreate(L"Sketrion");
  page->AttachHost(&host);
  page->FormShow();
  page->FormActivate();
  EXPECT_TRUE(boxes.Asked().empty()) << "everything was copied";
  EXPECT_EQ(Logged(), expected);
  for (const Named& n : rar5) {
    if (!n.folder) {
      EXPECT_NE(files.FileBytes(kDest + Wide(n.name)), nullptr) << n.name;
    }
  }
}

// A Sketrion program still running on the workstation holds its file: the new one waits for
// the restart, and the installation log records what will stand there after it.
TEST_F(CopyPageOverTheLibrary, AFileInUseIsLeftForTheRestartAndLoggedAsItWillBe) {
  const std::wstring held = kDest + L"BIN\\SK.EXE";
  const std::string program = "the new program";
  for (const bool restartRefused : {false, true}) {
    SCOPED_TRACE(restartRefused ? "restart refused" : "restart allowed");
    files.RemoveTree(L"C:\\Program files");
    files.PutFile(held, "the running program");
    platform::FaultyFileSystem holding(files);
    holding.in_use = {held};
    holding.refuse_restart = restartRefused;
    unrar::SetFileSystem(&holding);
    model.FGroups->Clear();
    // Encrypted: its header holds no plain CRC, so the log reads the file back.
    std::vector<rarwriter::Entry> entries = {
        rarwriter::MakeDirectory(rarwriter::Format::Rar5, "BIN"),
        rarwriter::MakeFile(rarwriter::Format::Rar5, "BIN/SK.EXE", program),
        rarwriter::MakeFile(rarwriter::Format::Rar5, "README.TXT", "read me")};
    entries[1].encrypted = true;
    AddArchive(L"BASE.RAR", rarwriter::Format::Rar5, std::move(entries));
    boxes.Clear();
    CopyWithNewPage(page, model, rar, host);

    EXPECT_EQ(*files.FileBytes(held), "the running program");
    EXPECT_NE(files.FileBytes(kDest + L"README.TXT"), nullptr);
    if (restartRefused) {
      EXPECT_TRUE(page->LeftForRestart().empty());
      EXPECT_EQ(page->NotCopiedCount(), 1);
      EXPECT_EQ(boxes.Asked().size(), 1u);
      continue;
    }
    EXPECT_TRUE(boxes.Asked().empty()) << "nothing failed";
    EXPECT_EQ(page->LeftForRestart(), std::vector<std::wstring>{held});
    ASSERT_EQ(holding.at_restart.size(), 1u);
    const std::string* waiting = files.FileBytes(holding.at_restart[0].first);
    ASSERT_NE(waiting, nullptr);
    EXPECT_EQ(*waiting, program);
    std::vector<formats::LogItem> items;
    ASSERT_TRUE(
        formats::ParseInstallLog(*files.FileBytes(kDest + formats::kInstallLogName), &items));
    auto logged = std::find_if(items.begin(), items.end(),
                               [&](const formats::LogItem& item) { return item.path == held; });
    ASSERT_NE(logged, items.end());
    EXPECT_EQ(logged->size, program.size());
    EXPECT_EQ(logged->crc, util::Crc32(0, program.data(), program.size()));
  }
}

}  // namespace
