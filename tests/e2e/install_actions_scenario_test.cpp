// The demo medium installed through every page by the driver, going back and forth on each, with
// and without an AutoCAD release in the registry; then what the installation left looked at as
// Windows sees it: the product tree, the shortcuts of its Link sections (read through
// IShellLinkW), the uninstall record byte for byte, the uninstall entry, the drawing font,
// GraphEditor.ini and the new AutoCAD profile; and a listing of the whole of C: before and after
// showing that nothing else was written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <functional>
#include <string>

#include "app/exit_code.h"
#include "platform/win32/registry_win.h"
#include "platform/win32/scoped_win.h"
#include "setup/font_name.h"
#include "tests/acad/acad_fixture.h"
#include "tests/e2e/demo_install.h"
#include "tests/e2e/drive_listing.h"
#include "tests/e2e/installed.h"
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

std::wstring Widened(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }

const std::wstring kSource = Widened(SK_TEST_SOURCE_DIR);  // S:\ under Wine
const std::wstring kDest = kDemoDest;

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string Replaced(std::string text, const std::string& find, const std::string& with) {
  // Searching on after each replacement: a replacement that holds `find` is not replaced again.
  for (size_t at = 0; (at = text.find(find, at)) != std::string::npos; at += with.size())
    text.replace(at, find.size(), with);
  return text;
}

// A path under C:\ as the listing keys it: relative, in lower case.
std::wstring ListingKey(const std::wstring& path) {
  std::wstring key = path.substr(3);
  CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

class InstallActionsScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    // The demo medium, from the demo's own Setup.ini, agreement, content and font.
    font = ReadFileBytes(Widened(SK_E2E_FONT));
    ASSERT_NO_FATAL_FAILURE(WriteDemoMedium(medium, font, {}, &content));
    RemoveTree(kDest);
    RemoveTree(ProgramsFolder() + L"Sketrion 7.2\\");
    DeleteFileW((DesktopFolder() + L"Sketrion 7.2.lnk").c_str());
    DeleteFileW(L"C:\\windows\\Fonts\\GOST.TTF");
    acadtest::ClearAutodesk(registry);
  }
  void TearDown() override { acadtest::ClearAutodesk(registry); }

  // Every page passed with a step back and forth where the page has a way back; the graphic
  // editor page when AutoCAD is there.
  void Walk(const std::wstring& name, bool acadPage) {
    SetupRun run(medium, name);
    // The welcome and agreement pages have no way back; the destination page leads back to the
    // agreement, which keeps its choice.
    PassWelcome(run, run.Page(kWelcome, L"welcome"));
    HWND license = run.Page(kLicense, L"license");
    run.Press(license, L"Принимаю", false);
    run.Press(license, L"Далее >");

    HWND path = run.Page(kGetPath, L"destination");
    EXPECT_EQ(Text(ChildrenOfClass(path, L"Edit").at(0)), kDest);
    run.Press(path, L"< Назад");
    license = run.Page(kLicense, L"license-again");
    EXPECT_TRUE(Checked(FindChild(license, L"Принимаю")));
    run.Press(license, L"Далее >");
    path = run.Page(kGetPath, L"destination-again");
    run.Press(path, L"Далее >");

    run.Press(run.Page(kGetGroups, L"groups"), L"< Назад");
    run.Press(run.Page(kGetPath, L"destination-third"), L"Далее >");
    run.Press(run.Page(kGetGroups, L"groups-again"), L"Далее >");

    if (acadPage) {
      // The demo's profile is new: the release's profile is offered as its template. Back
      // settles the profile as next would, so the page shown again finds it there.
      HWND graph = run.Page(kGraphProfile, L"graphic-editor");
      ASSERT_NE(graph, nullptr);
      std::vector<HWND> combos = ChildrenOfClass(graph, L"ComboBox");
      ASSERT_EQ(combos.size(), 3u);
      EXPECT_EQ(Text(combos[0]), L"AutoCAD 2004");
      EXPECT_EQ(Text(combos[1]), L"Sketrion");
      EXPECT_TRUE(Visible(combos[2]));
      EXPECT_EQ(Text(combos[2]), L"<<Unnamed Profile>>");
      run.Press(graph, L"< Назад");
      run.Press(run.Page(kGetGroups, L"groups-third"), L"Далее >");
      graph = run.Page(kGraphProfile, L"graphic-editor-again");
      ASSERT_NE(graph, nullptr);
      combos = ChildrenOfClass(graph, L"ComboBox");
      ASSERT_EQ(combos.size(), 3u);
      EXPECT_EQ(Text(combos[1]), L"Sketrion");
      EXPECT_FALSE(Visible(combos[2]));
      run.Press(graph, L"Далее >");
    } else {
      EXPECT_EQ(WaitForWindow(run.pid(), kGraphProfile, 0), nullptr);
    }

    EXPECT_TRUE(WaitGone(run.Page(kCopy, L"copying"), 60000));
    run.Press(run.Page(kReadme, L"additional-software"), L"Далее >");
    run.Press(run.Page(kExitWin, L"finish"), L"< Назад");
    run.Press(run.Page(kReadme, L"additional-software-again"), L"Далее >");
    HWND finish = run.Page(kExitWin, L"finish-again");
    run.Press(finish, L"Отказаться от перезагрузки", false);
    run.Press(finish, L"Готово", false);
    run.ExpectEnded();
  }

  // Welcome: "Далее>" tests the archives, "Далее >" leaves.
  void PassWelcome(SetupRun& run, HWND welcome) {
    run.Press(welcome, L"Далее>", false);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(FindChild(welcome, L"Далее >")); }, 60000));
    run.Press(welcome, L"Далее >");
  }

  // The product tree in `dest`: the files of the groups ticked by default, byte for byte; none
  // of the samples, which are not.
  void ExpectTree(const std::wstring& dest = kDest) {
    for (const char* group : {"base", "docs"})
      for (const auto& file : content[group]) {
        std::wstring path = dest + FromUtf8(file.first);
        std::replace(path.begin(), path.end(), L'/', L'\\');
        EXPECT_EQ(ReadFileBytes(path), file.second) << file.first;
      }
    for (const auto& file : content["samples"]) {
      std::wstring path = dest + FromUtf8(file.first);
      std::replace(path.begin(), path.end(), L'/', L'\\');
      EXPECT_FALSE(FileExists(path)) << file.first;
    }
  }

  // The shortcuts: Link1 in a folder of the programs, Link2 on the desktop, Link3 beside Link1;
  // Link5 comes after the gap and is never made.
  void ExpectShortcuts() {
    platform::ComApartment com;
    const std::wstring programs = ProgramsFolder(), desktop = DesktopFolder();
    ASSERT_FALSE(programs.empty());
    struct Expected {
      std::wstring file, target, workDir, icon;
    };
    const Expected links[] = {
        {programs + L"Sketrion 7.2\\Редактор схем Sketrion.lnk", kDest + L"BIN\\Sketrion.exe", kDest + L"BIN",
         kDest + L"BIN\\Sketrion.exe"},
        {desktop + L"Sketrion 7.2.lnk", kDest + L"BIN\\Sketrion.exe", kDest + L"BIN", L""},
        {programs + L"Sketrion 7.2\\Руководство пользователя.lnk", kDest + L"DOC\\Руководство.txt", kDest, L""},
    };
    for (const Expected& e : links) {
      platform::ShellLinkData data;
      ASSERT_TRUE(ReadShortcut(e.file, &data)) << Utf8(e.file);
      EXPECT_TRUE(SamePath(data.path, e.target)) << Utf8(data.path);
      EXPECT_EQ(data.workingDirectory, e.workDir);
      EXPECT_EQ(data.iconPath, e.icon);
      EXPECT_EQ(data.iconIndex, 0);
    }
    EXPECT_EQ(ShortcutsUnder(programs + L"Sketrion 7.2\\").size(), 2u);
    EXPECT_FALSE(FileExists(programs + L"Sketrion 7.2\\Не создаётся.lnk"));
  }

  // The record, byte for byte in Windows-1251, the shell folders put in; the entry, in the
  // 32-bit view, its command quoted.
  void ExpectRecordAndEntry(const std::wstring& version = L"<none>") {
    std::string expected = ReadFileBytes(kSource + L"tests\\e2e\\expected\\UnInstall.ini");
    expected = Replaced(expected, "{PROGRAMS}", ToCp1251(ProgramsFolder()));
    expected = Replaced(expected, "{DESKTOP}", ToCp1251(DesktopFolder()));
    EXPECT_EQ(ReadFileBytes(kDest + L"UnInstall.ini"), expected);
    EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"DisplayName"), L"Sketrion 7.2 (только удаление)");
    EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"UninstallString"), L"\"" + kDest + L"UnInstall.exe\" /UNINSTALL");
    EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"QuietUninstallString"),
              L"\"" + kDest + L"UnInstall.exe\" /UNINSTALL /VERYSILENT");
    EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"DisplayVersion"), version);
    EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"Publisher"), L"Sketrion Software");
    EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"InstallLocation"), kDest);
    EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"DisplayIcon"),
              kDest + L"BIN\\Sketrion.exe");  // Link1's
    SYSTEMTIME today;
    GetLocalTime(&today);
    wchar_t date[16];
    swprintf(date, 16, L"%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"InstallDate"), date);
    EXPECT_EQ(UninstallNumber(L"Sketrion 7.2", L"EstimatedSize"), (InstalledBytes() + 1023) / 1024);
    EXPECT_EQ(UninstallNumber(L"Sketrion 7.2", L"NoModify"), 1);
    EXPECT_EQ(UninstallNumber(L"Sketrion 7.2", L"NoRepair"), 1);
  }

  // The bytes of the product's files and its shortcuts as they lie on disk.
  int64_t InstalledBytes() {
    int64_t bytes = 0;
    for (const char* group : {"base", "docs"})
      for (const auto& file : content[group]) bytes += static_cast<int64_t>(file.second.size());
    for (const std::wstring& link :
         {ProgramsFolder() + L"Sketrion 7.2\\Редактор схем Sketrion.lnk",
          DesktopFolder() + L"Sketrion 7.2.lnk",
          ProgramsFolder() + L"Sketrion 7.2\\Руководство пользователя.lnk"})
      bytes += static_cast<int64_t>(ReadFileBytes(link).size());
    return bytes;
  }

  // The font: in the fonts folder, registered under the full name its name table gives.
  void ExpectFont() {
    EXPECT_EQ(ReadFileBytes(L"C:\\windows\\Fonts\\GOST.TTF"), font);
    const std::wstring fullName = setup::TrueTypeFullName(font);
    EXPECT_EQ(fullName, L"DejaVu Sans Mono");
    EXPECT_EQ(FontRegistrations(L"GOST.TTF"), std::vector<std::wstring>{fullName + L" (TrueType) = GOST.TTF"});
  }

  // What changed on C: lies in the documented places only (and in `also`).
  void ExpectOnlyDocumentedPlacesChanged(const TreeListing& before, const std::wstring& also = L"") {
    std::vector<std::wstring> allowed = {
        // The destination, with the company's folder made above it.
        ListingKey(L"C:\\Program files\\Sketrion Software\\"),
        // The shortcuts: the product's folder of the programs, the link on the desktop.
        ListingKey(ProgramsFolder() + L"Sketrion 7.2\\"),
        ListingKey(DesktopFolder() + L"Sketrion 7.2.lnk"),
        // The drawing font, copied into the fonts folder.
        L"windows\\fonts\\gost.ttf",
    };
    if (!also.empty()) allowed.push_back(ListingKey(also));
    const std::vector<std::wstring> changes = CompareListings(before, ListTree(L"C:\\"));
    EXPECT_FALSE(changes.empty()) << "the listing saw no installation at all";
    std::wstring unexpected;
    for (const std::wstring& change : UnexpectedChanges(changes, allowed)) unexpected += change + L"\n";
    EXPECT_TRUE(unexpected.empty()) << "written outside the documented places:\n" << Utf8(unexpected);
  }

  // Runs the medium's Setup.exe with `arguments` and a log; its exit code, and the log's text
  // (a mark first).
  DWORD RunUnattended(const std::wstring& arguments, std::string* log,
                      const std::function<void(SetupProcess&)>& whileRunning = {}) {
    DeleteFileW(kLog.c_str());
    SetupProcess setup;
    EXPECT_TRUE(setup.StartCommand(L"\"" + medium.SetupExe() + L"\" " + arguments + L" /LOG=\"" +
                                   kLog + L"\""));
    if (whileRunning) whileRunning(setup);
    DWORD code = 0xFFFF;
    EXPECT_TRUE(setup.WaitExit(120000, &code));
    *log = ReadFileBytes(kLog);
    return code;
  }
  const std::wstring kLog = L"C:\\e2e\\demo-medium\\unattended.log";

  Medium medium{L"C:\\e2e\\demo-medium"};
  std::map<std::string, Files> content;
  std::string font;
  platform::Win32Registry registry;
};

TEST_F(InstallActionsScenario, TheDemoInstallationLeavesTreeShortcutsRecordEntryAndFont) {
  const TreeListing before = ListTree(L"C:\\");
  Walk(L"install-actions", false);
  ExpectTree();
  ExpectShortcuts();
  ExpectRecordAndEntry();
  ExpectFont();
  EXPECT_FALSE(FileExists(kDest + L"GraphEditor.ini"));  // the graphic editor page never ran
  ExpectOnlyDocumentedPlacesChanged(before);
}

TEST_F(InstallActionsScenario, WithAutoCadTheInstallationAlsoLeavesTheProfileAndGraphEditorIni) {
  // AutoCAD 2004 with the profile every user gets on its first start.
  acadtest::ReleaseLayout release;
  release.type = acad::geACAD2004;
  release.curVer = L"ACAD-201:419";
  release.productName = L"AutoCAD 2004";
  release.location = L"C:\\Program Files\\AutoCAD 2004";
  release.profiles = {L"<<Unnamed Profile>>"};
  acadtest::LayOutRelease(registry, [](const std::wstring& path) { acadtest::MakeFileOn(platform::RealFileSystem(), path); },
                          release);
  const TreeListing before = ListTree(L"C:\\");

  Walk(L"install-actions-acad", true);
  ExpectTree();
  ExpectShortcuts();
  ExpectRecordAndEntry();
  ExpectFont();

  // GraphEditor.ini, read as the schematic editor reads it, names the release and the profile.
  wchar_t editor[256] = {}, profile[256] = {};
  const std::wstring ini = kDest + L"GraphEditor.ini";
  GetPrivateProfileStringW(L"GENERAL", L"Editor", L"<none>", editor, 256, ini.c_str());
  GetPrivateProfileStringW(L"GENERAL", L"Profile", L"<none>", profile, 256, ini.c_str());
  EXPECT_STREQ(editor, L"AutoCAD 2004");
  EXPECT_STREQ(profile, L"Sketrion");

  // The new profile: a copy of the template described by the product name.
  const std::wstring profiles = acadtest::ProfilesKey(release);
  const acadtest::Subtree made =
      acadtest::ReadSubtree(registry, platform::RegRoot::CurrentUser, profiles + L"\\Sketrion");
  ASSERT_FALSE(made.empty()) << "the new profile is missing";
  EXPECT_EQ(made, acadtest::ExpectedCopy(acadtest::ReadSubtree(registry, platform::RegRoot::CurrentUser,
                                                               profiles + L"\\<<Unnamed Profile>>"),
                                         L"Sketrion 7.2"));
  ExpectOnlyDocumentedPlacesChanged(before);
}

// The same installation without a window: the demo's defaults, told by the exit code.
TEST_F(InstallActionsScenario, AnUnattendedInstallationLeavesWhatTheWalkLeaves) {
  // The demo's Setup.ini with a version for the entry.
  const std::string company = "NameCompany=Sketrion Software\r\n";
  const std::string ini = ReadFileBytes(kSource + L"demo\\Setup.ini");
  ASSERT_NE(ini.find(company), std::string::npos);
  medium.WriteFile(L"Setup.ini", Replaced(ini, company, company + "Version=7.2.0.15\r\n"));
  const TreeListing before = ListTree(L"C:\\");
  std::string log;
  // /SILENT: one window of progress while it works, no page.
  bool progressShown = false;
  EXPECT_EQ(RunUnattended(L"/SILENT /ACCEPTAGREEMENT /NORESTART", &log,
                          [&](SetupProcess& setup) {
                            HWND window = nullptr;
                            progressShown = WaitUntil([&] {
                              window = FindWindowOfClass(setup.pid(), L"SketrionSetupProgress");
                              return window && Visible(window);
                            }, 60000);
                            if (progressShown) {
                              Sleep(300);  // painted before it is photographed
                              SaveScreenshot(window, ScreenshotFolder(L"silent") + L"progress.bmp");
                            }
                          }),
            static_cast<DWORD>(app::ExitCode::Done));
  EXPECT_TRUE(progressShown);
  ExpectTree();
  ExpectShortcuts();
  ExpectRecordAndEntry(L"7.2.0.15");
  ExpectFont();
  EXPECT_FALSE(FileExists(kDest + L"GraphEditor.ini"));
  ExpectOnlyDocumentedPlacesChanged(before, kLog);
  EXPECT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(log.find(Utf8(kDest) + "\r\n"), std::string::npos) << log;  // where it went
  EXPECT_NE(log.find("DOCS.RAR -> " + Utf8(kDest)), std::string::npos) << log;
}

// An installation beside one that runs (a user's wizard open while a deployment tool's silent run
// starts): the second ends at once with the code deployment tools retry on, having written
// nothing but its log, and the first goes on.
TEST_F(InstallActionsScenario, BesideARunningInstallationASilentOneAsksForALaterTry) {
  SetupRun wizard(medium, L"beside-another");
  HWND welcome = wizard.Page(kWelcome, L"welcome");
  ASSERT_NE(welcome, nullptr);
  const TreeListing before = ListTree(L"C:\\");
  std::string log;
  const DWORD waiting = static_cast<DWORD>(app::ExitCode::AnotherInstallation);
  EXPECT_EQ(RunUnattended(L"/VERYSILENT /ACCEPTAGREEMENT /NORESTART", &log), waiting);
  EXPECT_NE(log.find(std::to_string(waiting)), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << "more than the refusal logged";
  std::wstring changed;
  for (const std::wstring& change :
       UnexpectedChanges(CompareListings(before, ListTree(L"C:\\")), {ListingKey(kLog)}))
    changed += change + L"\n";
  EXPECT_TRUE(changed.empty()) << Utf8(changed);
  EXPECT_TRUE(Visible(welcome)) << "the installation that runs went on";
  wizard.Press(welcome, L"Отмена", false);
  wizard.AnswerCancelQuestion(IDYES, L"Установка Sketrion 7.2");
  wizard.ExpectEnded();
}

// The wizard's answers recorded with /SAVEINF, then given to a silent run with /LOADINF on a
// machine without the product: the same tree, shortcuts and entry, in the folder typed.
TEST_F(InstallActionsScenario, AnswersRecordedInTheWizardReplayInASilentRun) {
  const std::wstring answers = L"C:\\e2e\\demo-answers.inf";
  const std::wstring dest = L"C:\\Sketrion answers\\";
  const std::wstring programs = ProgramsFolder() + L"Sketrion 7.2\\";
  DeleteFileW(answers.c_str());
  RemoveTree(dest);
  {
    SetupRun run(medium, L"save-answers", L"/SAVEINF=\"" + answers + L"\"");
    WalkWatch watch;
    watch.destination = dest;
    WalkDemoInstallation(run, watch);
  }
  const std::string saved = ReadFileBytes(answers);
  EXPECT_EQ(saved.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(saved.find(Utf8(dest)), std::string::npos) << saved;
  ExpectTree(dest);
  const TreeListing walked = ListTree(dest);
  const std::wstring entry = UninstallValue(L"Sketrion 7.2", L"UninstallString");
  EXPECT_EQ(entry, L"\"" + dest + L"UnInstall.exe\" /UNINSTALL");
  const std::vector<std::wstring> shortcuts = ShortcutsUnder(programs);
  EXPECT_FALSE(shortcuts.empty());

  // The machine as before the wizard.
  RemoveTree(dest);
  RemoveTree(programs);
  DeleteFileW((DesktopFolder() + L"Sketrion 7.2.lnk").c_str());
  DeleteFileW(L"C:\\windows\\Fonts\\GOST.TTF");
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE,
                  L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sketrion 7.2",
                  KEY_WOW64_32KEY, 0);
  ASSERT_EQ(UninstallValue(L"Sketrion 7.2", L"UninstallString"), L"<none>");

  std::string log;
  EXPECT_EQ(
      RunUnattended(L"/VERYSILENT /ACCEPTAGREEMENT /NORESTART /LOADINF=\"" + answers + L"\"", &log),
      static_cast<DWORD>(app::ExitCode::Done))
      << log;
  ExpectTree(dest);
  // The same files and folders (their times are the new run's).
  std::vector<std::wstring> walkedNames, replayedNames;
  for (const auto& item : walked) walkedNames.push_back(item.first);
  for (const auto& item : ListTree(dest)) replayedNames.push_back(item.first);
  EXPECT_EQ(replayedNames, walkedNames);
  EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"UninstallString"), entry);
  EXPECT_EQ(ShortcutsUnder(programs), shortcuts);
  RemoveTree(dest);
}

// The renames Windows was asked to make at its next start: (from, to) pairs as the system keeps
// them ("\??\" paths, a "!" before a target that may be replaced).
std::vector<std::pair<std::wstring, std::wstring>> PendingRenames(bool clear) {
  const wchar_t* kKey = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  const wchar_t* kValue = L"PendingFileRenameOperations";
  std::vector<std::pair<std::wstring, std::wstring>> renames;
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &raw) != ERROR_SUCCESS)
    return renames;
  platform::ScopedRegistryKey key(raw);
  DWORD bytes = 0;
  if (RegQueryValueExW(key.Get(), kValue, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS) return renames;
  std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
  RegQueryValueExW(key.Get(), kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &bytes);
  std::vector<std::wstring> strings;
  for (size_t at = 0; at < data.size() && data[at] != L'\0'; at += strings.back().size() + 1)
    strings.emplace_back(data.c_str() + at);
  for (size_t i = 0; i + 1 < strings.size(); i += 2) renames.emplace_back(strings[i], strings[i + 1]);
  if (clear) RegDeleteValueW(key.Get(), kValue);
  return renames;
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() &&
         CompareStringOrdinal(text.c_str() + text.size() - end.size(), static_cast<int>(end.size()),
                              end.c_str(), static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

// An update over a Sketrion program still running: its file cannot be replaced now, so the new
// one waits beside it for Windows to put in place at the next start, and the caller hears 3010.
TEST_F(InstallActionsScenario, AFileInUseIsReplacedAtTheRestart) {
  std::string log;
  ASSERT_EQ(RunUnattended(L"/VERYSILENT /ACCEPTAGREEMENT /NORESTART", &log),
            static_cast<DWORD>(app::ExitCode::Done));
  PendingRenames(true);
  const auto& installed = *content["base"].begin();
  std::wstring held = kDest + FromUtf8(installed.first);
  std::replace(held.begin(), held.end(), L'/', L'\\');
  ASSERT_TRUE(WriteFileBytes(held, "the running program"));
  platform::ScopedFile holder(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);

  EXPECT_EQ(RunUnattended(L"/VERYSILENT /ACCEPTAGREEMENT /NORESTART", &log),
            static_cast<DWORD>(app::ExitCode::RestartNeeded));
  EXPECT_EQ(ReadFileBytes(held), "the running program");
  EXPECT_NE(log.find(Utf8(held)), std::string::npos) << log;
  const auto renames = PendingRenames(true);
  auto rename = std::find_if(renames.begin(), renames.end(),
                             [&](const auto& r) { return EndsWithNoCase(r.second, held); });
  ASSERT_NE(rename, renames.end()) << "Windows was not asked to replace " << Utf8(held);
  const std::wstring waiting = rename->first.substr(rename->first.find(L':') - 1);
  EXPECT_EQ(ReadFileBytes(waiting), installed.second);
  DeleteFileW(waiting.c_str());
}

// A bad argument ends the run before anything is read or written but the log.
TEST_F(InstallActionsScenario, ABadArgumentGivesItsCodeAndWritesNothing) {
  const TreeListing before = ListTree(L"C:\\");
  std::string log;
  EXPECT_EQ(RunUnattended(L"/VERYSILENT /DESTINATION=C:\\X", &log),
            static_cast<DWORD>(app::ExitCode::BadArgument));
  EXPECT_NE(log.find("/DESTINATION=C:\\X"), std::string::npos) << log;
  std::wstring changed;
  for (const std::wstring& change : UnexpectedChanges(CompareListings(before, ListTree(L"C:\\")),
                                                      {ListingKey(kLog)}))
    changed += change + L"\n";
  EXPECT_TRUE(changed.empty()) << Utf8(changed);
}

// /? lists the options in a box, whatever else is given, and the wizard never starts.
TEST_F(InstallActionsScenario, TheListOfOptionsIsShownInABox) {
  for (const wchar_t* arguments : {L"/?", L"/VERYSILENT /?"}) {
    SetupProcess setup;
    ASSERT_TRUE(setup.StartCommand(L"\"" + medium.SetupExe() + L"\" " + arguments));
    const MessageBoxSeen box = AnswerMessageBox(setup.pid(), IDOK);
    ASSERT_TRUE(box.found) << Utf8(arguments);
    for (const char* option : {"/VERYSILENT", "/DIR=", "/GROUPS=", "/ACCEPTAGREEMENT", "/LOG="})
      EXPECT_NE(Utf8(box.text).find(option), std::string::npos) << option;
    DWORD code = 0xFFFF;
    EXPECT_TRUE(setup.WaitExit(kWaitMs, &code));
    EXPECT_EQ(code, static_cast<DWORD>(app::ExitCode::Done));
    EXPECT_FALSE(FileExists(kDest + L"UnInstall.ini"));
  }
}

}  // namespace
}  // namespace e2e
