// The copy page over a model of fakes and a scripted medium: what it extracts where, its label
// and progress, the report of what could not be copied, and the follow-up step.
#include <gtest/gtest.h>

#include "formats/install_log.h"
#include "pages/pr_copy_file.h"
#include "tests/pages/archive_pages_fixture.h"

namespace {

using pages::TfmPrCopyFile;

// U+1D11E MUSICAL SYMBOL G CLEF, past the BMP: a surrogate pair on Windows.
std::wstring Clef() {
  if (sizeof(wchar_t) == 2) return {static_cast<wchar_t>(0xD834), static_cast<wchar_t>(0xDD1E)};
  return {static_cast<wchar_t>(0x1D11E)};
}

class CopyPage : public pages::testing::ArchivePageTest {
 protected:
  CopyPage() : page(model, rar, [this] { return now; }) {
    page.FormCreate(L"Sketrion");
    page.AttachHost(&host);
    // As the background window binds its handlers.
    rar.OnExtracting = [this](archive::TRAR& sender, RARHeaderData h) {
      page.RARExtracting(sender, h);
      labels.push_back(page.lbNameFile.text);
    };
    rar.OnExtract = [this](archive::TRAR& sender, RARHeaderData h, bool ok) {
      page.RARExtract(sender, h, ok);
      positions.push_back(page.pbar.position);
    };
  }

  // Entries as the welcome page's test counted them.
  archive_test::ScriptedUnrar& AddCountedGroup(const std::wstring& file, int entries,
                                               bool selected = true) {
    auto& archive = AddArchive(file, selected);
    for (int i = 0; i < entries; ++i) archive.entries.push_back({"F" + std::to_string(i)});
    model.FGroups->Items(model.FGroups->Count() - 1)->FFileCount = entries;
    return archive;
  }

  void Run() {
    page.FormShow();
    page.FormActivate();
  }
  // The 500 ms timer fires.
  void FireTimer() { page.Timer(TfmPrCopyFile::kTimer1); }

  TfmPrCopyFile page;
  std::vector<std::wstring> labels;
  std::vector<int> positions;
};

TEST_F(CopyPage, ExtractsTheSelectedGroupsIntoTheDestinationOneStepPerEntry) {
  auto& first = AddCountedGroup(L"BASE.RAR", 10);
  AddCountedGroup(L"EXTRA.RAR", 3, false);
  auto& third = AddCountedGroup(L"DOCS.RAR", 5);
  page.FormShow();
  EXPECT_EQ(page.Caption(), L"Копирование файлов Sketrion");
  EXPECT_EQ(page.lbPath.text, L"C:\\Program files\\Firm\\Sketrion\\");
  page.FormActivate();

  EXPECT_EQ(medium.opened, (std::vector<std::wstring>{L"D:\\BASE.RAR", L"D:\\DOCS.RAR"}));
  EXPECT_EQ(first.Count("process 2 C:\\Program files\\Firm\\Sketrion\\"), 10u);
  EXPECT_EQ(third.Count("process 2 C:\\Program files\\Firm\\Sketrion\\"), 5u);
  EXPECT_EQ(page.pbar.min, 0);
  EXPECT_EQ(page.pbar.max, 15);
  ASSERT_EQ(positions.size(), 15u);
  EXPECT_EQ(positions.front(), 1);
  EXPECT_EQ(positions.back(), 15);
  EXPECT_EQ(labels.front(), L"...F0");
  // Done: labels cleared, bar hidden, nothing to report, the follow-up step 500 ms later.
  EXPECT_TRUE(page.lbNameFile.text.empty());
  EXPECT_TRUE(page.lbPath.text.empty());
  EXPECT_FALSE(page.pbar.visible);
  EXPECT_TRUE(boxes.Asked().empty());
  EXPECT_EQ(host.timers, (std::vector<std::string>{"start 1 500"}));
  // Messages ran as the pass began and once more for the final state; entries that follow each
  // other within 50 ms are not shown one by one.
  EXPECT_EQ(host.processed, 2);
}

TEST_F(CopyPage, FollowUpStepComesWhenThePageHasBeenUpHalfASecond) {
  // How long the copying took -> the timer of the follow-up step.
  const std::vector<std::pair<int, std::string>> cases = {
      {0, "start 1 500"}, {120, "start 1 380"}, {495, "start 1 10"}, {3000, "start 1 10"}};
  AddCountedGroup(L"BASE.RAR", 1);
  for (const auto& [copyingMs, timer] : cases) {
    const auto started = now;
    rar.OnExtract = [&, copyingMs = copyingMs](archive::TRAR&, RARHeaderData, bool) {
      now = started + std::chrono::milliseconds(copyingMs);
    };
    host.timers.clear();
    Run();
    EXPECT_EQ(host.timers, (std::vector<std::string>{timer})) << copyingMs << " ms of copying";
    FireTimer();
  }
}

TEST_F(CopyPage, EntriesShowAsTimePassesWhileTheBarCountsEveryOne) {
  AddCountedGroup(L"BASE.RAR", 12);
  // Each entry takes 20 ms: the page is shown every 50 ms or so, not after every entry.
  std::vector<int> shownAt;
  host.onProcess = [&] { shownAt.push_back(page.pbar.position); };
  rar.OnExtract = [this](archive::TRAR& sender, RARHeaderData h, bool ok) {
    page.RARExtract(sender, h, ok);
    now += std::chrono::milliseconds(20);
  };
  Run();
  // Before the first entry, then after the 3rd, 6th, 9th and 12th (60 ms apart), and the end.
  EXPECT_EQ(shownAt, (std::vector<int>{0, 3, 6, 9, 12, 12}));
  EXPECT_EQ(page.pbar.position, 12);
}

TEST_F(CopyPage, WithNothingSelectedItClosesAfterTheFollowUpStep) {
  AddCountedGroup(L"BASE.RAR", 4, false);
  Run();
  EXPECT_TRUE(medium.opened.empty());
  EXPECT_EQ(page.pbar.max, 0);
  EXPECT_EQ(page.TakeCloseRequest(), pages::mrNone);
  // Until the timer fires nothing closes the page: the follow-up step must run.
  EXPECT_FALSE(page.FormClose(pages::mrCancel));
  FireTimer();
  EXPECT_EQ(host.timers, (std::vector<std::string>{"start 1 500", "stop 1"}));
  const int result = page.TakeCloseRequest();
  EXPECT_EQ(result, pages::mrCancel);
  EXPECT_TRUE(page.FormClose(result));  // nothing asked
  EXPECT_EQ(pages::CopyPageResultOf(result), pages::prNext);
  EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(CopyPage, EntryThatCannotBeWrittenStillAdvancesAndIsReported) {
  auto& archive = AddCountedGroup(L"BASE.RAR", 4);
  archive.entries[1].name = pages::testing::Dos(L"Схемы\\Щит.dwg");
  archive.entries[1].processCode = ERAR_ECREATE;
  archive.entries[3].processCode = ERAR_ECREATE;
  Run();
  EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(page.NotCopiedCount(), 2);
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text,
            L"Не удалось скопировать файлов: 2. Первый из них: Схемы\\Щит.dwg");
  EXPECT_EQ(boxes.Asked()[0].caption, L"Установка Sketrion");
  EXPECT_EQ(host.timers, (std::vector<std::string>{"start 1 500"}));  // the chain goes on
}

TEST_F(CopyPage, ArchiveGoneFromTheMediumCountsAllItsFiles) {
  AddCountedGroup(L"BASE.RAR", 2);
  auto group = std::make_unique<setup::TSetupGroupFile>(model.FGroups.get(), &model);
  group->FArchiveFile = L"D:\\GONE.RAR";
  group->FSelected = true;
  group->FFileCount = 7;
  model.FGroups->Add(std::move(group));
  Run();
  EXPECT_EQ(page.pbar.max, 9);
  EXPECT_EQ(positions.size(), 2u);  // the bar stops short
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Не удалось скопировать файлов: 7. Первый из них: D:\\GONE.RAR");
}

TEST_F(CopyPage, ArchiveFailingWithNoFailedEntryIsNamedAndCounted) {
  // Every counted entry extracted, then a broken header: the archive failed as a whole.
  AddCountedGroup(L"BASE.RAR", 2).endCode = ERAR_BAD_DATA;
  AddCountedGroup(L"MORE.RAR", 1);
  Run();
  EXPECT_EQ(positions, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(page.NotCopiedCount(), 1);
  EXPECT_EQ(page.FirstNotCopied(), L"D:\\BASE.RAR");
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Не удалось скопировать файлов: 1. Первый из них: D:\\BASE.RAR");
}

TEST_F(CopyPage, FatalEntryErrorCountsTheEntriesNeverReached) {
  auto& archive = AddCountedGroup(L"BASE.RAR", 5);
  archive.entries[1].processCode = ERAR_EWRITE;  // ends the archive
  Run();
  // F1 failed, F2..F4 were never reached.
  EXPECT_EQ(page.NotCopiedCount(), 4);
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Не удалось скопировать файлов: 4. Первый из них: F1");
}

TEST_F(CopyPage, TheLogOnDiskNamesEveryArchiveDoneSoFar) {
  const std::wstring dest = model.FDestDir;
  files.MakeDirectory(L"C:\\Program files");
  const std::string hello = "hello";  // CRC-32 3610a686
  auto& base = AddCountedGroup(L"BASE.RAR", 2);
  base.entries[0] = {pages::testing::Dos(L"Схемы\\Щит.dwg"), 0, hello.size()};
  base.entries[0].crc = 0x3610a686;
  // An encrypted entry's header may carry a keyed checksum: the file is read back instead.
  base.entries[1] = {"a.txt", RHDF_ENCRYPTED, hello.size()};
  base.entries[1].crc = 0x12345678;
  auto& docs = AddCountedGroup(L"DOCS.RAR", 2);
  docs.entries[0] = {"b.txt", 0, hello.size()};
  docs.entries[1] = {"c.txt", 0, hello.size(), ERAR_ECREATE};

  // The library writes each file (and its folders) between the two events.
  std::vector<std::wstring> loggedBeforeDocs;
  rar.OnExtracting = [&](archive::TRAR& sender, RARHeaderData h) {
    page.RARExtracting(sender, h);
    const std::wstring name = sender.EntryNameW();
    if (name == L"b.txt") {
      // What a copying stopped here would leave: the first archive's files, all of them.
      std::vector<formats::LogItem> items;
      ASSERT_NE(files.FileBytes(dest + L"UnInstall.log"), nullptr);
      ASSERT_TRUE(formats::ParseInstallLog(*files.FileBytes(dest + L"UnInstall.log"), &items));
      for (const auto& item : items) loggedBeforeDocs.push_back(item.path);
    }
    files.MakeDirectory(L"C:\\Program files\\Firm");
    files.MakeDirectory(dest);
    files.MakeDirectory(dest + L"Схемы");
    if (name != L"c.txt") files.PutFile(dest + name, hello);
  };
  Run();

  // The company's folder and the destination, both made by the installation.
  const std::wstring firm = L"C:\\Program files\\Firm", top = firm + L"\\Sketrion";
  EXPECT_EQ(loggedBeforeDocs, (std::vector<std::wstring>{firm, top, dest + L"Схемы", dest + L"Схемы\\Щит.dwg",
                                                          dest + L"a.txt"}));
  std::vector<formats::LogItem> items;
  ASSERT_TRUE(formats::ParseInstallLog(*files.FileBytes(dest + L"UnInstall.log"), &items));
  std::vector<std::wstring> logged;
  for (const auto& item : items) {
    logged.push_back(item.path);
    if (item.kind != formats::LogItemKind::File) continue;
    EXPECT_EQ(item.size, hello.size());
    EXPECT_EQ(item.crc, 0x3610a686u) << "the file's own checksum for " << item.path;
  }
  // The entry that could not be written is not logged.
  EXPECT_EQ(logged, (std::vector<std::wstring>{firm, top, dest + L"Схемы", dest + L"Схемы\\Щит.dwg", dest + L"a.txt",
                                               dest + L"b.txt"}));
}

TEST_F(CopyPage, LabelShowsTheUnicodeNameCutToItsLimit) {
  auto& archive = AddCountedGroup(L"BASE.RAR", 4);
  archive.entries[0].name = std::string(300, 'n');
  archive.entries[1].name = pages::testing::Dos(L"Документы\\Руководство.pdf");
  // Names the header record holds only with "?" in them.
  archive.entries[2].wideName = L"Справка — «схемы» €.txt";
  // A character past the BMP where the cut falls stays whole or goes whole.
  archive.entries[3].wideName = std::wstring(254, L'n') + Clef() + L"x";
  Run();
  ASSERT_EQ(labels.size(), 4u);
  EXPECT_EQ(labels[0], L"..." + std::wstring(255, L'n'));
  EXPECT_EQ(labels[1], L"...Документы\\Руководство.pdf");
  EXPECT_EQ(labels[2], L"...Справка — «схемы» €.txt");
  EXPECT_EQ(labels[3], L"..." + std::wstring(254, L'n'));
}

TEST_F(CopyPage, TheLogAndTheFailureTextUseTheUnicodeName) {
  const std::wstring dest = model.FDestDir;
  auto& archive = AddCountedGroup(L"BASE.RAR", 3);
  archive.entries[0] = {"?uro\\caf?.txt", 0, 1};
  archive.entries[0].wideName = L"€uro\\café.txt";
  archive.entries[1] = {"??.txt", 0, 1};
  archive.entries[1].wideName = Clef() + L".txt";
  archive.entries[2] = {"?.txt", 0, 1, ERAR_ECREATE};
  archive.entries[2].wideName = L"«.txt";
  rar.OnExtracting = [&](archive::TRAR& sender, RARHeaderData h) {
    page.RARExtracting(sender, h);
    files.MakeDirectory(L"C:\\Program files\\Firm\\Sketrion\\€uro");
    if (sender.EntryNameW() != L"«.txt") files.PutFile(dest + sender.EntryNameW(), "x");
  };
  Run();
  std::vector<formats::LogItem> items;
  ASSERT_NE(files.FileBytes(dest + L"UnInstall.log"), nullptr);
  ASSERT_TRUE(formats::ParseInstallLog(*files.FileBytes(dest + L"UnInstall.log"), &items));
  std::vector<std::wstring> logged;
  for (const auto& item : items)
    if (item.path.size() > dest.size()) logged.push_back(item.path.substr(dest.size()));
  EXPECT_EQ(logged, (std::vector<std::wstring>{L"€uro", L"€uro\\café.txt", Clef() + L".txt"}));
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Не удалось скопировать файлов: 1. Первый из них: «.txt");
}

TEST_F(CopyPage, WhileCopyingThePageCannotBeClosed) {
  AddCountedGroup(L"BASE.RAR", 1);
  bool checked = false;
  rar.OnExtract = [&](archive::TRAR&, RARHeaderData, bool) {
    checked = true;
    EXPECT_TRUE(page.Busy());
    EXPECT_FALSE(page.FormClose(pages::mrCancel));
    EXPECT_FALSE(page.btCancel.visible);
    EXPECT_FALSE(page.btNext.visible);
    EXPECT_FALSE(page.btPrior.visible);
  };
  Run();
  EXPECT_TRUE(checked);
}

TEST_F(CopyPage, AnErrorEscapingTheCopyingStillLeadsToTheFollowUpStep) {
  AddCountedGroup(L"BASE.RAR", 2);
  rar.OnExtract = [](archive::TRAR&, RARHeaderData, bool) { throw std::runtime_error("boom"); };
  page.FormShow();
  EXPECT_THROW(page.FormActivate(), std::runtime_error);
  EXPECT_EQ(host.timers, (std::vector<std::string>{"start 1 500"}));
  FireTimer();
  EXPECT_EQ(page.TakeCloseRequest(), pages::mrCancel);
}

}  // namespace
