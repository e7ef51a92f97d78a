// Bad input through the real windows of Setup.exe: a Setup.ini that is missing, empty, binary or
// saved with a byte-order mark gives a sane chain of pages; archives that are missing,
// truncated, hostile or encrypted with another password fail the welcome page's test and
// nothing is written anywhere; a destination disk that fills up while the files are copied is
// reported and keeps no half-written file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "archive/installer_password.h"
#include "tests/e2e/drive_listing.h"
#include "tests/e2e/installed.h"
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::string Utf16Bytes(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

// The welcome page's test, then the agreement and destination pages, to the groups page.
HWND PassToGroups(SetupRun& run, const std::wstring& product, const std::wstring& name) {
  HWND welcome = run.Page(L"Вас приветствует программа установки " + product, name + L"-welcome");
  run.Press(welcome, L"Далее>", false);
  EXPECT_TRUE(WaitUntil([&] { return Enabled(FindChild(welcome, L"Далее >")); }, 30000))
      << "the test of the archives did not pass";
  run.Press(welcome, L"Далее >");
  HWND license = run.Page(L"\x0043оглашение об использовании " + product, name + L"-license");
  run.Press(license, L"Принимаю", false);
  run.Press(license, L"Далее >");
  HWND path = run.Page(L"Размещение " + product, name + L"-destination");
  return path;
}

// --- Setup.ini ---------------------------------------------------------------------------------

TEST(BadSetupIniScenario, MissingEmptyBinaryOrMarkedFilesGiveASaneChain) {
  const std::wstring text =
      L"[GENERAL]\r\nNameApplication=Sketrion 7.2\r\nNameCompany=Sketrion Software\r\n"
      L"[GROUPS]\r\n1=1|BASE.RAR|Основные файлы|Программа и справочные данные\r\n";
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary.push_back(static_cast<char>((i * 131) ^ (i >> 3)));
  binary[7] = '\0';
  struct Case {
    const wchar_t* name;
    bool present;
    std::string bytes;
    bool read;    // whether the file's own values come through
    bool walked;  // to the groups page; else the welcome page's defaults are enough
  };
  const Case cases[] = {
      {L"missing", false, "", false, true},
      {L"empty", true, "", false, false},
      {L"binary", true, binary, false, false},
      {L"utf8-mark", true, "\xEF\xBB\xBF" + Utf8(text), true, true},
      {L"utf16-mark", true, "\xFF\xFE" + Utf16Bytes(text), true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    Medium medium{std::wstring(L"C:\\e2e-bad\\ini-") + c.name};
    if (c.present) medium.WriteFile(L"Setup.ini", c.bytes);
    medium.WriteArchive(L"BASE.RAR", {{"bin/readme.txt", "hello"}});

    // Without the file's values every name has its default; the destination is made of them.
    const std::wstring product = c.read ? L"Sketrion 7.2" : L"NameApplication";
    SetupRun run(medium, std::wstring(L"bad-ini-") + c.name);
    if (!c.walked) {
      HWND welcome = run.Page(L"Вас приветствует программа установки " + product, c.name);
      run.Press(welcome, L"Отмена", false);
      run.AnswerCancelQuestion(IDYES, L"Установка " + product);
      run.ExpectEnded();
      continue;
    }
    HWND path = PassToGroups(run, product, c.name);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(Text(ChildrenOfClass(path, L"Edit").at(0)),
              c.read ? L"C:\\Program files\\Sketrion Software\\Sketrion 7_2\\"
                     : L"C:\\Program files\\NameCompany\\NameApplication\\");
    run.Press(path, L"Далее >");
    HWND groups = run.Page(L"Компоненты " + product, std::wstring(c.name) + L"-groups");
    ASSERT_NE(groups, nullptr);
    // The group is listed with its description; without groups there is no way on.
    EXPECT_EQ(FindChild(groups, L"Программа и справочные данные") != nullptr, c.read);
    EXPECT_EQ(Enabled(FindChild(groups, L"Далее >")), c.read);
    run.Press(groups, L"Отмена", false);
    run.AnswerCancelQuestion(IDYES, L"Установка " + product);
    run.ExpectEnded();
  }
}

// --- archives ----------------------------------------------------------------------------------

std::string RarOf(const std::vector<std::pair<std::string, std::string>>& files, const std::string& password = "",
                  int64_t truncateTo = -1) {
  rarwriter::Archive a;
  a.format = rarwriter::Format::Rar5;
  a.password = password;
  for (const auto& f : files) {
    a.entries.push_back(rarwriter::MakeFile(a.format, f.first, f.second));
    a.entries.back().encrypted = !password.empty();
  }
  a.truncate_to = truncateTo;
  return rarwriter::Write(a).bytes;
}

TEST(BadArchiveScenario, MissingTruncatedHostileOrWronglyEncryptedArchivesFailAndWriteNothing) {
  Medium medium{L"C:\\e2e-bad\\archives"};
  medium.WriteSetupIni(
      L"[GENERAL]\nNameApplication=Sketrion 7.2\nNameCompany=Sketrion Software\n"
      L"[GROUPS]\n"
      L"1=1|GONE.RAR|Нет на носителе|-\n"
      L"2=1|CUT.RAR|Обрезан|-\n"
      L"3=1|HOSTILE.RAR|Опасные имена|-\n"
      L"4=1|FOREIGN.RAR|Чужой пароль|-\n");
  const std::string whole = RarOf({{"a.txt", std::string(20000, 'a')}, {"b.txt", std::string(20000, 'b')}});
  medium.WriteFile(L"CUT.RAR", RarOf({{"a.txt", std::string(20000, 'a')}, {"b.txt", std::string(20000, 'b')}}, "",
                                     static_cast<int64_t>(whole.size() / 2)));
  // Each name would leave the destination or name a device.
  medium.WriteFile(L"HOSTILE.RAR", RarOf({{"../up.txt", "up"},
                                          {"a/../../up2.txt", "up"},
                                          {"/root.txt", "root"},
                                          {"C:/Windows/planted.txt", "planted"},
                                          {"CON", "device"},
                                          {"aux.txt", "device"}}));
  ASSERT_NE(archive::InstallerPassword(), "another password");
  medium.WriteFile(L"FOREIGN.RAR", RarOf({{"secret.txt", "secret"}}, "another password"));
  const TreeListing before = ListTree(L"C:\\");

  SetupRun run(medium, L"bad-archives");
  HWND welcome = run.Page(kWelcome, L"welcome");
  run.Press(welcome, L"Далее>", false);
  std::vector<std::wstring> boxes;
  for (MessageBoxSeen box; (box = AnswerMessageBox(run.pid(), IDOK, 3000)).found;) boxes.push_back(box.text);
  for (const wchar_t* archive : {L"GONE.RAR", L"CUT.RAR", L"HOSTILE.RAR", L"FOREIGN.RAR"}) {
    const std::wstring verdict = L"Файл " + medium.folder() + archive + L" содержит ошибку!";
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), verdict), 1) << Utf8(archive);
  }
  std::set<std::wstring> entryBoxes;
  for (const std::wstring& box : boxes)
    if (box.rfind(L"Ошибка архива - файл: ", 0) == 0) entryBoxes.insert(box);
  EXPECT_GE(entryBoxes.size(), 6u) << "each hostile name is reported";

  // The failed state: "Далее >" shown but disabled, cancel the only way on.
  ASSERT_TRUE(WaitUntil([&] { return Enabled(FindChild(welcome, L"Отмена")); }));
  HWND next = FindChild(welcome, L"Далее >");
  EXPECT_TRUE(Visible(next));
  EXPECT_FALSE(Enabled(next));
  run.Press(welcome, L"Отмена", false);
  run.AnswerCancelQuestion(IDYES, L"Установка Sketrion 7.2");
  run.ExpectEnded();

  // Nothing at all was written on C: (and nothing on the medium's drive above the medium).
  const std::vector<std::wstring> changes = CompareListings(before, ListTree(L"C:\\"));
  std::wstring listed;
  for (const std::wstring& change : changes) listed += change + L"\n";
  EXPECT_TRUE(changes.empty()) << Utf8(listed);
  EXPECT_FALSE(FileExists(L"C:\\Windows\\planted.txt"));
}

// --- a destination disk that fills up ----------------------------------------------------------

// F: is a small disk of its own (small-disk-run.sh mounts it); another program fills it after
// the groups page found the space sufficient.
TEST(FullDiskScenario, ADiskThatFillsDuringCopyingIsReportedAndKeepsNoHalfWrittenFile) {
  if (getenv("SK_E2E_NO_SMALL_DISK")) GTEST_SKIP() << getenv("SK_E2E_NO_SMALL_DISK");
  const std::wstring dest = L"F:\\Sketrion\\";
  RemoveTree(dest);
  DeleteFileW(L"F:\\filler.bin");
  Medium medium{L"C:\\e2e-bad\\full-disk"};
  medium.WriteSetupIni(
      L"[GENERAL]\nNameApplication=Sketrion 7.2\nNameCompany=Sketrion Software\n"
      L"[GROUPS]\n1=1|BASE.RAR|Основные файлы|Программа\n");
  medium.WriteArchive(L"BASE.RAR", {{"a.txt", "first"}, {"big.bin", std::string(300000, 'b')}, {"z.txt", "last"}});

  SetupRun run(medium, L"full-disk");
  HWND path = PassToGroups(run, L"Sketrion 7.2", L"full-disk");
  ASSERT_NE(path, nullptr);
  SetEditText(ChildrenOfClass(path, L"Edit").at(0), dest);
  run.Press(path, L"Далее >");
  HWND groups = run.Page(kGetGroups, L"groups");
  ASSERT_NE(groups, nullptr);
  EXPECT_TRUE(Enabled(FindChild(groups, L"Далее >"))) << "the disk is too small from the start";

  // The disk fills up to 64 KiB short of full.
  ULARGE_INTEGER available = {};
  ASSERT_TRUE(GetDiskFreeSpaceExW(L"F:\\", &available, nullptr, nullptr));
  ASSERT_GT(available.QuadPart, 400000u);
  {
    HANDLE filler = CreateFileW(L"F:\\filler.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(filler, INVALID_HANDLE_VALUE);
    std::string block(available.QuadPart - 65536, 'f');
    DWORD written = 0;
    WriteFile(filler, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
    CloseHandle(filler);
    ASSERT_EQ(written, block.size());
  }

  // A full disk ends the archive: big.bin fails and z.txt is never reached; both are counted.
  run.Press(groups, L"Далее >");
  const MessageBoxSeen box = AnswerMessageBox(run.pid(), IDOK, 60000);
  EXPECT_EQ(box.text, L"Не удалось скопировать файлов: 2. Первый из них: big.bin");
  EXPECT_EQ(box.title, L"Установка Sketrion 7.2");
  HWND readme = run.Page(kReadme, L"additional-software");
  run.Press(readme, L"Отмена", false);
  run.AnswerCancelQuestion(IDYES, L"Установка Sketrion 7.2");
  run.ExpectEnded();

  // The file copied before is whole; of the one that did not fit nothing is left, nor any
  // temporary file.
  EXPECT_EQ(ReadFileBytes(dest + L"a.txt"), "first");
  std::vector<std::wstring> left;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((dest + L"*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) left.push_back(fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  std::sort(left.begin(), left.end());
  // Beside it the record and the installation log, which names the file that was copied.
  EXPECT_EQ(left, (std::vector<std::wstring>{L"UnInstall.ini", L"UnInstall.log", L"a.txt"}));
  EXPECT_NE(ReadFileBytes(dest + L"UnInstall.log").find("a.txt"), std::string::npos);
  DeleteFileW(L"F:\\filler.bin");
}

}  // namespace
}  // namespace e2e
