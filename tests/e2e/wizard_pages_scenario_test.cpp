// The agreement, destination and component groups pages in the page chain of Setup.exe: the
// agreement viewer's text for rich, plain, missing and oversized files, the destinations the
// installation refuses and why, and the group ticks against the free space of the destination
// drive.
#include <algorithm>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <winioctl.h>

#include <map>
#include <set>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "pages/license.h"
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

const wchar_t kCaption[] = L"Установка Sketrion 7.2";
const wchar_t kNoSpace[] = L"Недостаточно места на диске!";

const wchar_t kSetupIniHead[] =
    L"[GENERAL]\n"
    L"NameApplication=Sketrion 7.2\n"
    L"NameCompany=Sketrion Software\n";

// ---- controls of Setup.exe read across processes ----

HWND Viewer(HWND page) {
  for (const wchar_t* cls : {L"RICHEDIT50W", L"RichEdit20W"}) {
    std::vector<HWND> found = ChildrenOfClass(page, cls);
    if (!found.empty()) return found[0];
  }
  return nullptr;
}

// The viewer's text with its line ends as "\n".
std::wstring ViewerText(HWND page) {
  std::wstring text = Text(Viewer(page)), plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    plain += text[i] == L'\r' ? L'\n' : text[i];
  }
  while (!plain.empty() && plain.back() == L'\n') plain.pop_back();
  return plain;
}

HWND GroupList(HWND page) {
  std::vector<HWND> lists = ChildrenOfClass(page, WC_LISTVIEWW);
  return lists.empty() ? nullptr : lists[0];
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

bool ItemChecked(HWND list, int index) {
  return (SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK) &
          LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

// An item's text: the list view writes it into memory of its own process.
std::wstring ItemText(HWND list, int index) {
  struct Block {
    LVITEMW item;
    wchar_t text[260];
  };
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return L"(no access)";
  std::wstring text = L"(unreadable)";
  if (void* remote = VirtualAllocEx(process, nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE)) {
    Block block = {};
    block.item.cchTextMax = 260;
    block.item.pszText =
        reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + offsetof(Block, text));
    if (WriteProcessMemory(process, remote, &block, sizeof block, nullptr)) {
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(remote));
      if (ReadProcessMemory(process, remote, &block, sizeof block, nullptr)) text = block.text;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

// The keys a user presses in the list: the arrows move the current item, the space bar
// toggles its check box.
void Key(HWND list, WPARAM key) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(list, WM_KEYDOWN, key, 1, SMTO_ABORTIFHUNG, 5000, &ignored);
  SendMessageTimeoutW(list, WM_KEYUP, key, 0xC0000001, SMTO_ABORTIFHUNG, 5000, &ignored);
}

// The free-space and required-space labels, in this order: the labels reading "... байт".
std::vector<std::wstring> ByteLabels(HWND page) {
  std::vector<std::wstring> labels;
  const std::wstring unit = L" байт";
  for (HWND label : ChildrenOfClass(page, L"Static")) {
    std::wstring text = Text(label);
    if (text.size() > unit.size() && text.compare(text.size() - unit.size(), unit.size(), unit) == 0)
      labels.push_back(text);
  }
  return labels;
}

std::wstring Comment(HWND page) {
  std::vector<HWND> edits = ChildrenOfClass(page, L"Edit");
  return edits.empty() ? L"(none)" : Text(edits[0]);
}

bool NoSpaceShown(HWND page) { return Visible(FindChild(page, kNoSpace, L"Static")); }

// A file of `size` bytes that takes no room: nothing is written into it.
bool MakeSparseFile(const std::wstring& path, uint64_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD ignored = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return sized;
}
bool NextEnabled(HWND page) { return Enabled(FindChild(page, L"Далее >", L"Button")); }

// ---- the scenarios ----

class WizardPagesScenario : public ::testing::Test {
 protected:
  // Welcome: "Далее>" tests the archives, then "Далее >" leaves.
  static void PassWelcome(SetupRun& run) {
    HWND page = run.Page(kWelcome, L"welcome");
    run.Press(page, L"Далее>", false);
    run.Press(page, L"Далее >");
  }

  // What the agreement page shows of the medium's agreement file, read on its first showing.
  std::wstring AgreementShown(const std::wstring& scenario) {
    SetupRun run(medium, scenario);
    PassWelcome(run);
    HWND page = run.Page(kLicense, L"agreement");
    if (!page) return L"(no page)";
    EXPECT_NE(Viewer(page), nullptr);
    std::wstring shown = ViewerText(page);
    // No message of any kind: the page and the background window are all there is.
    EXPECT_EQ(VisibleCaptions(run.pid()).size(), 2u);
    run.Press(page, L"Отмена", false);
    run.AnswerCancelQuestion(IDYES, kCaption);
    run.ExpectEnded();
    return shown;
  }

  Medium medium{L"C:\\e2e-wizard\\medium"};
};

TEST_F(WizardPagesScenario, AgreementViewerShowsRichPlainAndMissingFiles) {
  medium.WriteArchive(L"BASE.RAR", {{"bin/readme.txt", "hello"}});
  const std::wstring groups = L"[GROUPS]\n1=1|BASE.RAR|Основные файлы|Программа\n";

  // Rich text under the default name.
  medium.WriteSetupIni(kSetupIniHead + groups);
  medium.WriteFile(L"Licension.rtf",
                   "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 "
                   "\\b \\'d1\\'ee\\'e3\\'eb\\'e0\\'f8\\'e5\\'ed\\'e8\\'e5\\b0\\par "
                   "\\'d3\\'f1\\'eb\\'ee\\'e2\\'e8\\'ff Sketrion\\par}");
  EXPECT_EQ(AgreementShown(L"agreement-rtf"), L"Соглашение\nУсловия Sketrion");

  // Plain Windows-1251 text.
  medium.WriteSetupIni(kSetupIniHead + std::wstring(L"FileLicension=License.txt\n") + groups);
  medium.WriteFile(L"License.txt", ToCp1251(L"Лицензионное соглашение\r\n{\\rtf1} здесь не разметка"));
  EXPECT_EQ(AgreementShown(L"agreement-plain"),
            L"Лицензионное соглашение\n{\\rtf1} здесь не разметка");

  // A file that is not there: an empty viewer, and the user may still accept.
  medium.WriteSetupIni(kSetupIniHead + std::wstring(L"FileLicension=Missing.rtf\n") + groups);
  EXPECT_EQ(AgreementShown(L"agreement-missing"), L"");
}

// A file named as the agreement that is no agreement leaves the viewer empty at once; one past
// the largest agreement shown is not read and cannot be accepted; a long text is laid out piece
// by piece while the page answers the user.
// A loaded machine's disk or processor may stall a window for a few seconds (seen up to four
// while the other Wine suites ran beside it); a text laid out in one go stalls it for much longer
// (a 1.5 MiB rich text for about ten under Wine). The page's own pauses are measured by
// bench/agreement_bench.sh, not here.
constexpr DWORD kLongestStall = 5000;  // ms

TEST_F(WizardPagesScenario, AgreementOfABinaryHugeOrLongFileNeverFreezesThePage) {
  medium.WriteArchive(L"BASE.RAR", {{"bin/readme.txt", "hello"}});
  const std::wstring groups = L"[GROUPS]\n1=1|BASE.RAR|Основные файлы|Программа\n";

  // A 15 MB executable, and 9.4 MB of text.
  std::string executable = "MZ\x90";
  executable.resize(15u << 20, '\0');
  medium.WriteFile(L"License.exe", executable);
  medium.WriteSetupIni(kSetupIniHead + std::wstring(L"FileLicension=License.exe\n") + groups);
  EXPECT_EQ(AgreementShown(L"agreement-executable"), L"");

  // One byte past the largest agreement shown, made sparse: the viewer says so, naming the file,
  // and "Принимаю" stays off.
  ASSERT_TRUE(MakeSparseFile(medium.folder() + L"Huge.txt", pages::kMaxAgreementBytes + 1));
  medium.WriteSetupIni(kSetupIniHead + std::wstring(L"FileLicension=Huge.txt\n") + groups);
  {
    SetupRun run(medium, L"agreement-past-bound");
    PassWelcome(run);
    HWND page = run.Page(kLicense, L"agreement");
    ASSERT_NE(page, nullptr);
    EXPECT_NE(ViewerText(page).find(medium.folder() + L"Huge.txt"), std::wstring::npos)
        << "the viewer shows " << ViewerText(page).size() << " characters";
    EXPECT_FALSE(Enabled(FindChild(page, L"Принимаю")));
    EXPECT_TRUE(Checked(FindChild(page, L"Не принимаю")));
    EXPECT_FALSE(NextEnabled(page));
    run.Press(page, L"Отмена", false);
    run.AnswerCancelQuestion(IDYES, kCaption);
    run.ExpectEnded();
  }

  // 256 KiB of plain text and 1.5 MiB of rich text: shown in full, and the page answers while
  // they are laid out.
  std::string longText = "First line.\r\n", longRtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 ";
  std::wstring expected;  // as ViewerText gives it: ASCII, line ends as "\n"
  for (int i = 0; longText.size() < (256u << 10); ++i)
    longText += "Paragraph " + std::to_string(i) + " of a long agreement.\r\n";
  longText += "Last line.";
  for (int i = 0; longRtf.size() < (3u << 19); ++i) {
    longRtf += "{\\b Paragraph} " + std::to_string(i) + " " + (i % 3 ? "\\i " : "\\i0 ") + "of a long agreement.\\par\r\n";
    expected += L"Paragraph " + std::to_wstring(i) + L" of a long agreement.\n";
  }
  longRtf += "Last line.}";
  expected += L"Last line.";
  const struct {
    const wchar_t* file;
    const std::string& bytes;
    std::wstring shown;
  } agreements[] = {{L"Long.txt", longText, std::wstring(longText.begin(), longText.end())},
                    {L"Long.rtf", longRtf, expected}};
  for (const auto& agreement : agreements) {
    medium.WriteFile(agreement.file, agreement.bytes);
    medium.WriteSetupIni(std::wstring(kSetupIniHead) + L"FileLicension=" + agreement.file + L"\n" + groups);
    SetupRun run(medium, std::wstring(L"agreement-long-") + (agreement.file + 5));
    // The background window answers all along: from leaving the welcome page until the whole
    // agreement is in the viewer (its thread is the pages' thread).
    HWND background = WaitForWindow(run.pid(), kCaption);
    ASSERT_NE(background, nullptr);
    std::atomic<bool> loading{true};
    DWORD slowest = 0;
    std::thread watch([&] {
      while (loading) {
        const DWORD start = GetTickCount();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(background, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
        slowest = std::max(slowest, GetTickCount() - start);
        Sleep(50);
      }
    });
    PassWelcome(run);
    HWND page = run.Page(kLicense, L"agreement");
    std::wstring want = agreement.shown;
    want.erase(std::remove(want.begin(), want.end(), L'\r'), want.end());
    std::wstring shown;
    EXPECT_TRUE(page && WaitUntil([&] { return (shown = ViewerText(page)).size() >= want.size(); }, 120000));
    loading = false;
    watch.join();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(shown == want) << "shown " << shown.size() << " of " << want.size() << " characters";
    EXPECT_LT(slowest, kLongestStall) << "the window did not answer for " << slowest << " ms";
    run.Press(page, L"Принимаю", false);
    EXPECT_TRUE(WaitUntil([&] { return NextEnabled(page); }, 5000));
    run.Press(page, L"Отмена", false);
    run.AnswerCancelQuestion(IDYES, kCaption);
    run.ExpectEnded();
  }
}

TEST_F(WizardPagesScenario, AgreementDestinationAndGroupsFollowTheirRules) {
  const wchar_t kDest[] = L"C:\\e2e-wizard\\Sketrion";
  RemoveTree(kDest);
  // The groups of the demo medium, with small archives of known sizes.
  medium.WriteSetupIni(
      kSetupIniHead +
      std::wstring(L"[GROUPS]\n"
                   L"1=1|BASE.RAR|Основные файлы|Программа, библиотеки и справочные данные\n"
                   L"2=0|SAMPLES.RAR|Примеры схем|Примеры электрических схем и шаблоны листов\n"
                   L"3=1|DOCS\\DOCS.RAR|Документация\n"));
  medium.WriteFile(L"Licension.rtf", "{\\rtf1\\ansi Terms.\\par}");
  medium.WriteArchive(L"BASE.RAR", {{"BIN/readme.txt", "hello"}, {"BIN/parts.dat", "1234"}});
  medium.WriteArchive(L"SAMPLES.RAR", {{"Samples/one.dwg", std::string(1000, 's')}});
  medium.WriteArchive(L"DOCS\\DOCS.RAR", {{"DOC/guide.txt", std::string(20, 'd')}});

  SetupRun run(medium, L"wizard-pages");
  PassWelcome(run);

  // Agreement: next only while "Принимаю" is chosen.
  HWND license = run.Page(kLicense, L"agreement");
  ASSERT_NE(license, nullptr);
  EXPECT_EQ(ViewerText(license), L"Terms.");
  EXPECT_TRUE(Checked(FindChild(license, L"Не принимаю")));
  EXPECT_FALSE(NextEnabled(license));
  run.Press(license, L"Принимаю", false);
  EXPECT_TRUE(WaitUntil([&] { return NextEnabled(license); }, 5000));
  run.Press(license, L"Не принимаю", false);
  EXPECT_TRUE(WaitUntil([&] { return !NextEnabled(license); }, 5000));
  run.Press(license, L"Принимаю", false);
  run.Press(license, L"Далее >");

  // Destination: the default built from the names; typing drives next.
  HWND path = run.Page(kGetPath, L"destination");
  ASSERT_NE(path, nullptr);
  HWND edit = ChildrenOfClass(path, L"Edit").at(0);
  EXPECT_EQ(Text(edit).substr(1), L":\\Program files\\Sketrion Software\\Sketrion 7_2\\");
  EXPECT_TRUE(NextEnabled(path));
  SetEditText(edit, L"C:\\e2e-wizard\\Sketrion 7.2");
  EXPECT_FALSE(NextEnabled(path));
  SetEditText(edit, L"C:\\e2e-wizard\\Программа");
  EXPECT_FALSE(NextEnabled(path));
  SetEditText(edit, kDest);
  EXPECT_TRUE(NextEnabled(path));
  run.Press(path, L"Далее >");

  // Groups: the list in the medium's order with its default ticks.
  HWND groups = run.Page(kGetGroups, L"groups");
  ASSERT_NE(groups, nullptr);
  HWND list = GroupList(groups);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(ItemCount(list), 3);
  EXPECT_EQ(ItemText(list, 0), L"Основные файлы");
  EXPECT_EQ(ItemText(list, 1), L"Примеры схем");
  EXPECT_EQ(ItemText(list, 2), L"Документация");
  EXPECT_TRUE(ItemChecked(list, 0));
  EXPECT_FALSE(ItemChecked(list, 1));
  EXPECT_TRUE(ItemChecked(list, 2));
  EXPECT_EQ(Comment(groups), L"Программа, библиотеки и справочные данные");

  // The free space of C: in full, 64-bit; the required space of the ticked groups.
  std::vector<std::wstring> bytes = ByteLabels(groups);
  ASSERT_EQ(bytes.size(), 2u);
  ULARGE_INTEGER available = {};
  ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, nullptr, nullptr));
  const long long shownFree = std::wcstoll(bytes[0].c_str(), nullptr, 10);
  EXPECT_LT(std::llabs(shownFree - static_cast<long long>(available.QuadPart)), 1LL << 26)
      << "free space shown: " << shownFree;
  EXPECT_EQ(bytes[1], L"29 байт");  // 9 + 20
  EXPECT_FALSE(NoSpaceShown(groups));
  EXPECT_TRUE(NextEnabled(groups));

  // The arrow makes the samples current, the space bar ticks them.
  Key(list, VK_DOWN);
  EXPECT_EQ(Comment(groups), L"Примеры электрических схем и шаблоны листов");
  Key(list, VK_SPACE);
  EXPECT_TRUE(ItemChecked(list, 1));
  EXPECT_EQ(ByteLabels(groups).at(1), L"1029 байт");

  // Nothing ticked: 0 bytes, no red label, and no way on.
  Key(list, VK_SPACE);
  Key(list, VK_UP);
  Key(list, VK_SPACE);
  Key(list, VK_DOWN);
  Key(list, VK_DOWN);
  Key(list, VK_SPACE);
  EXPECT_FALSE(ItemChecked(list, 0));
  EXPECT_FALSE(ItemChecked(list, 1));
  EXPECT_FALSE(ItemChecked(list, 2));
  EXPECT_EQ(ByteLabels(groups).at(1), L"0 байт");
  EXPECT_FALSE(NoSpaceShown(groups));
  EXPECT_FALSE(NextEnabled(groups));
  Key(list, VK_SPACE);
  EXPECT_TRUE(NextEnabled(groups));

  // Back: a network folder is refused on the destination page itself, so the groups page never
  // meets a drive it cannot measure.
  run.Press(groups, L"< Назад");
  path = run.Page(kGetPath, L"destination-network");
  ASSERT_NE(path, nullptr);
  edit = ChildrenOfClass(path, L"Edit").at(0);
  EXPECT_EQ(Text(edit), std::wstring(kDest) + L"\\");
  SetEditText(edit, L"\\\\server\\share\\Sketrion");
  EXPECT_FALSE(NextEnabled(path));
  SetEditText(edit, kDest);
  run.Press(path, L"Далее >");
  groups = run.Page(kGetGroups, L"groups-again");
  ASSERT_NE(groups, nullptr);
  EXPECT_EQ(ByteLabels(groups).at(1), L"20 байт");  // the ticks survived the way back
  EXPECT_FALSE(NoSpaceShown(groups));
  EXPECT_TRUE(NextEnabled(groups));

  run.Press(groups, L"Отмена", false);
  run.AnswerCancelQuestion(IDYES, kCaption);
  run.ExpectEnded();
}

// The texts of the page's visible labels.
std::set<std::wstring> ShownLabels(HWND page) {
  std::set<std::wstring> shown;
  for (HWND label : ChildrenOfClass(page, L"Static"))
    if (Visible(label)) shown.insert(Text(label));
  return shown;
}

// Each destination the installation cannot use, typed or chosen: next is off, and one label more
// than for an accepted folder says why, in a line of its own. Different kinds of refusal read
// differently.
TEST_F(WizardPagesScenario, DestinationsTheInstallationCannotUseSayWhyAndKeepNextOff) {
  medium.WriteSetupIni(kSetupIniHead +
                       std::wstring(L"[GROUPS]\n1=1|BASE.RAR|Основные файлы|Программа\n"));
  medium.WriteFile(L"Licension.rtf", "{\\rtf1\\ansi Terms.\\par}");
  medium.WriteArchive(L"BASE.RAR", {{"BIN/readme.txt", "hello"}});
  SetupRun run(medium, L"destination-refused");
  PassWelcome(run);
  HWND license = run.Page(kLicense, L"agreement");
  run.Press(license, L"Принимаю", false);
  run.Press(license, L"Далее >");
  HWND page = run.Page(kGetPath, L"destination");
  ASSERT_NE(page, nullptr);
  HWND edit = ChildrenOfClass(page, L"Edit").at(0);
  ASSERT_TRUE(NextEnabled(page));
  const std::set<std::wstring> accepted = ShownLabels(page);

  medium.WriteFile(L"notes", "a file where a folder would be");
  // Too long for Windows to start the uninstaller from: names of 50 letters, 250 characters.
  std::wstring tooLong = L"C:";
  for (int level = 0; level < 5; ++level) tooLong += L"\\" + std::wstring(49, L'a');
  const struct {
    const wchar_t* folder;
    const char* kind;
  } refused[] = {
      {L"Common\\Sketrion", "relative"},
      {L"Sketrion", "relative"},
      {L"", "relative"},
      {L"C:Sketrion", "relative"},
      {L"\\\\server\\share\\Sketrion", "relative"},
      {L"C:\\", "root"},
      {L"Q:\\Sketrion", "no drive"},
      {L"C:\\Программы\\Sketrion", "character"},
      {L"C:\\Sketrion 7.2", "character"},
      {L"C:\\Firm\\CON\\Sketrion", "device"},
      {L"C:\\Sketrion \\Bin", "trailing blank"},
      {L"C:\\Firm\\\\Sketrion", "empty name"},
      {L"C:\\e2e-wizard\\medium\\notes\\Sketrion", "a file in the way"},
      {tooLong.c_str(), "too long"},
  };
  std::map<std::wstring, std::string> kindOfReason;
  int shot = 0;
  for (const auto& r : refused) {
    SetEditText(edit, r.folder);
    EXPECT_FALSE(NextEnabled(page)) << r.kind;
    std::vector<std::wstring> added;
    for (const std::wstring& label : ShownLabels(page))
      if (!accepted.count(label)) added.push_back(label);
    ASSERT_EQ(added.size(), 1u) << r.kind;
    EXPECT_FALSE(added[0].empty()) << r.kind;
    EXPECT_EQ(added[0].find_first_of(L"\r\n"), std::wstring::npos) << r.kind;
    const auto [at, isNew] = kindOfReason.emplace(added[0], r.kind);
    EXPECT_EQ(at->second, r.kind) << "the same reason for another kind";
    SaveScreenshot(page, ScreenshotFolder(L"destination-refused") + L"reason-" +
                             std::to_wstring(++shot) + L".bmp");
  }
  // Every path that is no full path is told the same thing.
  EXPECT_EQ(
      std::count_if(kindOfReason.begin(), kindOfReason.end(),
                    [](const auto& reason) { return reason.second == std::string("relative"); }),
      1);

  // Mended, next is on and the reason gone.
  SetEditText(edit, L"C:\\e2e-wizard\\Sketrion");
  EXPECT_TRUE(NextEnabled(page));
  EXPECT_EQ(ShownLabels(page), accepted);
  run.Press(page, L"Отмена", false);
  run.AnswerCancelQuestion(IDYES, kCaption);
  run.ExpectEnded();
}

}  // namespace
}  // namespace e2e
