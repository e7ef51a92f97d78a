// The archive installation through the real windows of Setup.exe: the welcome page tests every
// archive, the copy page extracts the selected groups under their Cyrillic names (stored and
// encrypted entries, RAR4 names in code page 866, RAR5 names in UTF-8), a second installation
// replaces read-only files, a damaged medium is refused with its messages in order, and the
// pages answer the system while a long entry is tested and extracted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "archive/installer_password.h"
#include "tests/e2e/installed.h"
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

const wchar_t kCaption[] = L"Установка Sketrion 7.2";
const wchar_t kFailedText[] =
    L"Обнаружены ошибки в инсталляционных файлах.\r\nОбратитесь к Вашему поставщику.\r\n"
    L"Приносим наши извинения.";

const wchar_t kSetupIni[] =
    L"[GENERAL]\n"
    L"NameApplication=Sketrion 7.2\n"
    L"NameCompany=Sketrion Software\n"
    L"FileLicension=License.rtf\n"
    L"[GROUPS]\n"
    L"1=1|BASE.RAR|Основные файлы|Программа\n"
    L"2=1|DATA\\ДОКУМЕНТЫ.RAR|Документация|Руководства\n"
    L"3=0|EXTRA.RAR|Примеры|Примеры схем\n";

std::wstring Wide(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

using File = ArchiveFile;

std::string Archive(rarwriter::Format format, const std::vector<File>& files) {
  return ArchiveBytes(format, files, archive::InstallerPassword());
}

std::string Pattern(size_t size, char seed) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(seed + i * 7 + i / 251);
  return s;
}

class ArchiveScenario : public ::testing::Test {
 protected:
  // Welcome: "Далее>" tests the archives; the page stays open with its verdict.
  HWND TestArchives(SetupRun& run) {
    HWND page = run.Page(kWelcome, L"welcome");
    run.Press(page, L"Далее>", false);
    return page;
  }
  // From the welcome page's verdict to the copy page, installing into `dest`. The copy page is
  // photographed unless `watchAtOnce` (a screenshot waits for the page to paint).
  HWND PassToCopy(SetupRun& run, HWND welcome, const std::wstring& dest,
                  std::wstring* groupsSize = nullptr, bool watchAtOnce = false) {
    run.Press(welcome, L"Далее >");
    HWND license = run.Page(kLicense, L"license");
    run.Press(license, L"Принимаю", false);
    run.Press(license, L"Далее >");
    HWND path = run.Page(kGetPath, L"destination");
    SetEditText(ChildrenOfClass(path, L"Edit").at(0), dest);
    run.Press(path, L"Далее >");
    HWND groups = run.Page(kGetGroups, L"groups");
    if (groupsSize)
      for (HWND label : ChildrenOfClass(groups, L"Static"))
        if (Text(label).find(L" байт") != std::wstring::npos) *groupsSize += Text(label) + L"|";
    run.Press(groups, L"Далее >");
    return watchAtOnce ? WaitForWindow(run.pid(), kCopy) : run.Page(kCopy, L"copying");
  }
  void FinishAfterCopy(SetupRun& run, HWND copy) {
    EXPECT_TRUE(WaitGone(copy, 60000));
    run.Press(run.Page(kReadme, L"additional-software"), L"Далее >");
    HWND finish = run.Page(kExitWin, L"finish");
    run.Press(finish, L"Отказаться от перезагрузки", false);
    run.Press(finish, L"Готово", false);
    run.ExpectEnded();
  }
};

// --- a medium installed, then installed again over read-only files ------------------------------

class InstallScenario : public ArchiveScenario {
 protected:
  void SetUp() override { RemoveTree(kDest); }

  // The medium of one installation; `edition` changes the contents of two files.
  void MakeMedium(Medium& medium, char edition) {
    medium.WriteSetupIni(kSetupIni);
    medium.WriteFile(L"License.rtf", "{\\rtf1\\ansi Test agreement.\\par}");
    base = {{"Программа/Редактор схем.exe", Pattern(150000, edition)},
            {"Программа/Ключ.dat", "ключ " + std::string(1, edition), true},
            {"readme.txt", std::string("edition ") + edition}};
    docs = {{"Руководство пользователя.txt", "Руководство", true},
            {"Схемы/Щиты/ЩР-1.dwg", Pattern(4000, 'S')}};
    medium.WriteFile(L"BASE.RAR", Archive(rarwriter::Format::Rar4, base));
    medium.WriteFile(L"DATA\\ДОКУМЕНТЫ.RAR", Archive(rarwriter::Format::Rar5, docs));
    medium.WriteFile(L"EXTRA.RAR", Archive(rarwriter::Format::Rar4, {{"Примеры/Пример.dwg", "x"}}));
  }
  void ExpectInstalled() {
    for (const auto* files : {&base, &docs})
      for (const File& f : *files) {
        std::wstring path = kDest + Wide(f.name);
        for (auto& c : path) if (c == L'/') c = L'\\';
        EXPECT_TRUE(e2e::ReadFileBytes(path) == f.data) << f.name << " is missing or differs";
      }
    EXPECT_FALSE(FileExists(std::wstring(kDest) + L"Примеры\\Пример.dwg")) << "an unselected group";
  }
  size_t SelectedBytes() const {
    size_t n = 0;
    for (const auto* files : {&base, &docs})
      for (const File& f : *files) n += f.data.size();
    return n;
  }

  // The destination page takes Latin letters only.
  static constexpr const wchar_t* kDest = L"C:\\e2e-archive\\Programs\\Sketrion\\";
  std::vector<File> base, docs;
};

TEST_F(InstallScenario, SelectedGroupsInstallUnderTheirNamesAndASecondRunReplacesReadOnlyFiles) {
  {
    Medium medium(L"C:\\e2e-archive\\medium");
    MakeMedium(medium, 'a');
    SetupRun run(medium, L"archive-install");
    HWND welcome = TestArchives(run);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(FindChild(welcome, L"Далее >")); }))
        << "the verification did not pass";
    EXPECT_NE(FindChild(welcome, L"Установочные файлы проверены.\r\nОшибок не обнаружено."), nullptr);
    std::wstring sizes;
    FinishAfterCopy(run, PassToCopy(run, welcome, kDest, &sizes));
    // The groups page counted every entry's unpacked bytes of the selected groups.
    EXPECT_NE(sizes.find(std::to_wstring(SelectedBytes()) + L" байт"), std::wstring::npos);
    ExpectInstalled();
  }

  // The installed files made read-only, as a previous version may leave them.
  for (const wchar_t* name : {L"readme.txt", L"Программа\\Редактор схем.exe"}) {
    std::wstring path = std::wstring(kDest) + name;
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  }
  Medium medium(L"C:\\e2e-archive\\medium");
  MakeMedium(medium, 'b');
  SetupRun run(medium, L"archive-reinstall");
  HWND welcome = TestArchives(run);
  FinishAfterCopy(run, PassToCopy(run, welcome, kDest));
  ExpectInstalled();
}

// --- a damaged medium --------------------------------------------------------------------------

TEST_F(ArchiveScenario, DamagedEntriesAreReportedInOrderAndTheWayOnIsBlocked) {
  Medium medium(L"C:\\e2e-archive\\damaged");
  medium.WriteSetupIni(kSetupIni);
  medium.WriteFile(L"BASE.RAR", Archive(rarwriter::Format::Rar4,
                                        {{"a.txt", "aaa"},
                                         {"Схемы/Щит.dwg", "broken", false, true},
                                         {"b.txt", "bbb"},
                                         {"Отчет.doc", "broken too", true, true}}));
  medium.WriteFile(L"DATA\\ДОКУМЕНТЫ.RAR", Archive(rarwriter::Format::Rar5, {{"c.txt", "c"}}));
  medium.WriteFile(L"EXTRA.RAR", Archive(rarwriter::Format::Rar4, {{"d.txt", "d"}}));

  SetupRun run(medium, L"archive-damaged");
  HWND welcome = TestArchives(run);
  const MessageBoxSeen first = AnswerMessageBox(run.pid(), IDOK);
  const MessageBoxSeen second = AnswerMessageBox(run.pid(), IDOK);
  const MessageBoxSeen archive = AnswerMessageBox(run.pid(), IDOK);
  EXPECT_EQ(first.text, L"Ошибка архива - файл: Схемы\\Щит.dwg");
  EXPECT_EQ(first.title, kCaption);
  EXPECT_EQ(second.text, L"Ошибка архива - файл: Отчет.doc");
  EXPECT_EQ(archive.text, L"Файл " + medium.folder() + L"BASE.RAR содержит ошибку!");
  EXPECT_EQ(archive.title, L"Information");
  EXPECT_FALSE(AnswerMessageBox(run.pid(), IDOK, 1500).found) << "one box too many";

  // The failed state: the red verdict, "Далее >" shown but disabled, only cancel leads on.
  ASSERT_TRUE(WaitUntil([&] { return Enabled(FindChild(welcome, L"Отмена")); }));
  EXPECT_NE(FindChild(welcome, kFailedText), nullptr);
  HWND next = FindChild(welcome, L"Далее >");
  EXPECT_TRUE(Visible(next));
  EXPECT_FALSE(Enabled(next));
  EXPECT_FALSE(Visible(FindChild(welcome, L"Далее>")));
  SaveScreenshot(welcome, ScreenshotFolder(L"archive-damaged") + L"99-failed.bmp");
  run.Press(welcome, L"Отмена", false);
  run.AnswerCancelQuestion(IDYES, kCaption);
  run.ExpectEnded();
}

// --- a long entry ---------------------------------------------------------------------------------

// Samples how the page answers the system while `busy` holds. A page that processed no message
// for the whole entry would keep a message waiting for seconds and be marked hung; one that does
// answers at once, short of the odd stall of a loaded machine's disk or processor.
constexpr DWORD kLongestStall = 2500;  // ms; the whole entry takes twice as long and more

struct Responsiveness {
  int samples = 0;
  int hung = 0;
  DWORD slowest = 0;

  template <class Busy>
  void Watch(HWND page, Busy busy) {
    while (busy()) {
      DWORD start = GetTickCount();
      DWORD_PTR answer = 0;
      if (!SendMessageTimeoutW(page, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer)) ++hung;
      slowest = std::max(slowest, GetTickCount() - start);
      if (IsHungAppWindow(page)) ++hung;
      ++samples;
      Sleep(100);
    }
  }
};

TEST_F(ArchiveScenario, PagesStayResponsiveDuringALongEntry) {
  const std::wstring dest = L"C:\\e2e-archive\\long\\";
  RemoveTree(dest);
  Medium medium(L"C:\\e2e-archive\\long-medium");
  medium.WriteSetupIni(
      L"[GENERAL]\n"
      L"NameApplication=Sketrion 7.2\n"
      L"[GROUPS]\n"
      L"1=1|BIG.RAR|Большая группа\n");
  // Long enough that a page that stopped answering for the whole entry would be marked hung.
  const size_t size = size_t(256) << 20;
  {
    rarwriter::Archive a;
    a.format = rarwriter::Format::Rar5;
    a.password = archive::InstallerPassword();
    rarwriter::Entry e = rarwriter::MakeFile(a.format, "Данные/big.bin", std::string(size, 'B'));
    e.encrypted = true;
    a.entries.push_back(std::move(e));
    medium.WriteFile(L"BIG.RAR", rarwriter::Write(a).bytes);
  }

  SetupRun run(medium, L"archive-long-entry");
  HWND welcome = run.Page(kWelcome, L"welcome");
  ASSERT_NE(welcome, nullptr);
  // Found while the page answers; read later without asking the page anything.
  HWND next = FindChild(welcome, L"Далее >");
  run.Press(welcome, L"Далее>", false);
  // Closing is refused while the archive is tested.
  PostMessageW(welcome, WM_CLOSE, 0, 0);
  Responsiveness testing;
  const DWORD started = GetTickCount();
  testing.Watch(welcome, [&] { return !IsWindowEnabled(next) && GetTickCount() - started < 120000; });
  std::printf("test pass: %d samples, slowest answer %lu ms\n", testing.samples, testing.slowest);
  // A page that answers nothing while the entry runs is sampled once, when the pass is over.
  EXPECT_GE(testing.samples, 3) << "the page did not answer during the test pass";
  EXPECT_EQ(testing.hung, 0);
  EXPECT_LT(testing.slowest, kLongestStall);
  EXPECT_TRUE(Visible(welcome)) << "the page closed during the pass";
  EXPECT_FALSE(AnswerMessageBox(run.pid(), IDNO, 500).found) << "a close was acted on during the pass";

  HWND copy = PassToCopy(run, welcome, dest, nullptr, true);
  ASSERT_NE(copy, nullptr);
  // The progress bar is shown for the length of the copying.
  std::vector<HWND> bars = ChildrenOfClass(copy, L"msctls_progress32");
  ASSERT_EQ(bars.size(), 1u);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(bars[0]) != FALSE; }, 10000));
  Responsiveness copying;
  copying.Watch(copy, [&] { return IsWindowVisible(bars[0]) != FALSE; });
  std::printf("copying: %d samples, slowest answer %lu ms\n", copying.samples, copying.slowest);
  EXPECT_GE(copying.samples, 3) << "the page did not answer during the copying";
  EXPECT_EQ(copying.hung, 0);
  EXPECT_LT(copying.slowest, kLongestStall);
  FinishAfterCopy(run, copy);

  WIN32_FILE_ATTRIBUTE_DATA info = {};
  ASSERT_TRUE(GetFileAttributesExW((dest + L"Данные\\big.bin").c_str(), GetFileExInfoStandard, &info));
  EXPECT_EQ((uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow, uint64_t(size));
}

}  // namespace
}  // namespace e2e
