// The copy page over the real archive component and RAR library, writing into a destination
// that refuses: a disk that fills up, files or folders that cannot be created (the
// failure-injecting file layer under the library). The page reports what was not copied and no
// half-written file stays behind.
#include <gtest/gtest.h>

#include "archive/rar.h"
#include "pages/pr_copy_file.h"
#include "platform/fake/faulty_file_system.h"
#include "tests/pages/page_fixture.h"
#include "tests/rarwriter/rarwriter.h"
#include "tests/unrar/test_support.h"
#include "unrar/file_system_hook.h"

namespace {

using pages::TfmPrCopyFile;
using unrar_test::Snapshot;

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
    model.FRAR = &rar;
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
    page = std::make_unique<TfmPrCopyFile>(model);
    page->FormCreate(L"Sketrion");
    page->AttachHost(&host);
    page->FormShow();
    page->FormActivate();
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

}  // namespace
