// The demo installed (its base archive carrying UnInstall.exe), then the uninstall entry's command
// run exactly as the registry holds it. Answered "Да", the drive is as it was before the
// installation but for what must stay: the font, the user's file, the file and the shortcut the
// user changed and their folders, each named in the final message; the entry is gone and the
// uninstaller's own file gone or left to the restart. Answered "Нет", nothing changes. Run by a
// script with /VERYSILENT, it asks nothing, logs each step and each file kept, and the entry's
// program ends with the result. Installed
// into folders typed on the destination page, the entry names the uninstaller by its full path,
// in quotes, and starts it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <set>

#include "archive/installer_password.h"
#include "uninstall/exit_code.h"

#include "tests/e2e/demo_install.h"
#include "tests/e2e/drive_listing.h"
#include "tests/e2e/installed.h"

namespace e2e {
namespace {

const std::wstring kDest = kDemoDest;
const std::wstring kProduct = L"Sketrion 7.2";
// The test's own medium folder, which each case writes afresh.
const std::wstring kMediumKey = L"e2e\\";

std::wstring Widened(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }

std::string Utf8Of(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

std::wstring WithBackslash(const std::wstring& folder) {
  return !folder.empty() && folder.back() == L'\\' ? folder : folder + L'\\';
}

// A path under C:\ as the listing keys it (lower case, as drive_listing does).
std::wstring Key(const std::wstring& path) {
  std::wstring key = path.substr(3);
  for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
  return key;
}

// What an earlier case in this prefix left: each case starts on a machine without the product.
void ForgetTheProduct() {
  RemoveTree(L"C:\\Program files\\Sketrion Software\\");
  RemoveTree(ProgramsFolder() + L"Sketrion 7.2\\");
  DeleteFileW((DesktopFolder() + L"Sketrion 7.2.lnk").c_str());
  DeleteFileW(L"C:\\windows\\Fonts\\GOST.TTF");
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + kProduct).c_str(),
                  KEY_WOW64_32KEY, 0);
}

// The demo medium, its base archive carrying this build's UnInstall.exe.
void WriteUninstallMedium(Medium& medium) {
  const std::string uninstaller = ReadFileBytes(Widened(SK_E2E_UNINSTALL_EXE));
  ASSERT_GT(uninstaller.size(), 10000u);
  ASSERT_NO_FATAL_FAILURE(
      WriteDemoMedium(medium, ReadFileBytes(Widened(SK_E2E_FONT)), {{"UnInstall.exe", uninstaller}}));
}

// Installs the demo into `dest` (typed on the destination page unless it is the default).
void InstallDemo(const std::wstring& scenario, const std::wstring& dest = kDest) {
  Medium medium{L"C:\\e2e\\uninstall-medium"};
  ASSERT_NO_FATAL_FAILURE(WriteUninstallMedium(medium));
  SetupRun run(medium, scenario);
  WalkWatch typed;
  if (dest != kDest) typed.destination = dest;
  ASSERT_NO_FATAL_FAILURE(WalkDemoInstallation(run, typed));
  ASSERT_TRUE(FileExists(WithBackslash(dest) + L"UnInstall.exe"));
}

// The demo installed without a window, as an administrator's script installs it.
void InstallDemoUnattended() {
  Medium medium{L"C:\\e2e\\uninstall-medium"};
  ASSERT_NO_FATAL_FAILURE(WriteUninstallMedium(medium));
  SetupProcess setup;
  ASSERT_TRUE(setup.StartCommand(L"\"" + medium.SetupExe() + L"\" /VERYSILENT /ACCEPTAGREEMENT /NORESTART"));
  DWORD code = 0xFFFF;
  ASSERT_TRUE(setup.WaitExit(120000, &code));
  ASSERT_EQ(code, 0u);
  ASSERT_TRUE(FileExists(kDest + L"UnInstall.exe"));
}

// Runs the entry's command line as stored, with `options` after it; `entry` is its program, which
// waits for the end and gives its result, and `copy` the copy of the uninstaller it hands over
// to, outside the destination, which does the work. A process still running when the test ends
// is ended with it.
void StartUninstall(SetupProcess* entry, SetupProcess* copy, const std::wstring& dest = kDest,
                    const std::wstring& options = L"") {
  ASSERT_TRUE(entry->StartCommand(UninstallValue(kProduct, L"UninstallString") + options));
  // The first program of a fresh prefix may take its time under load.
  ASSERT_TRUE(copy->Attach(WaitForChildProcess(entry->pid(), 60000))) << "the entry's program started no copy of itself";
  EXPECT_FALSE(SamePath(copy->ImagePath(), WithBackslash(dest) + L"UnInstall.exe"));
}

// The entry's program ends with the copy's result.
void ExpectResult(SetupProcess& entry, uninstall::ExitCode expected) {
  DWORD code = 0xFFFF;
  EXPECT_TRUE(entry.WaitExit(kWaitMs, &code));
  EXPECT_EQ(code, static_cast<DWORD>(expected));
}

// The message names this path itself (a folder, say), not only paths under it.
bool Names(const std::wstring& text, const std::wstring& path) {
  for (size_t at = text.find(path); at != std::wstring::npos; at = text.find(path, at + 1))
    if (at + path.size() == text.size() || text[at + path.size()] != L'\\') return true;
  return false;
}

void AppendToFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "no file to change";
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

// True when Windows is to delete `path` at its next start.
bool DeletedAtRestart(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> data(1 << 16);
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t) - 4), type = 0;
  const LSTATUS status = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type,
                                          reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_MULTI_SZ) return false;
  // Pairs of strings: a source ("\??\C:\...") and its target, empty for a deletion.
  std::vector<std::wstring> strings;
  for (const wchar_t* s = data.data(); s < data.data() + size / sizeof(wchar_t); s += wcslen(s) + 1)
    strings.push_back(s);
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    std::wstring source = strings[i];
    if (source.rfind(L"\\??\\", 0) == 0) source = source.substr(4);
    if (SamePath(source, path) && strings[i + 1].empty()) return true;
  }
  return false;
}

TEST(UninstallScenario, YesRemovesAllButTheFontAndTheUsersFiles) {
  ForgetTheProduct();
  const TreeListing before = ListTree(L"C:\\");
  ASSERT_NO_FATAL_FAILURE(InstallDemo(L"uninstall-yes"));
  // The user keeps notes beside the program, edits its settings and changes its desktop shortcut.
  const std::wstring notes = kDest + L"Заметки.txt", settings = kDest + L"BIN\\Sketrion.cfg";
  const std::wstring link = DesktopFolder() + L"Sketrion 7.2.lnk";
  HANDLE file = CreateFileW(notes.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  ASSERT_NO_FATAL_FAILURE(AppendToFile(settings, "Zoom=2\r\n"));
  ASSERT_NO_FATAL_FAILURE(AppendToFile(link, std::string(16, '\0')));

  SetupProcess entry, copy;
  ASSERT_NO_FATAL_FAILURE(StartUninstall(&entry, &copy));
  const std::wstring copyExe = copy.ImagePath();
  const MessageBoxSeen question = AnswerMessageBox(copy.pid(), IDYES, 60000);
  ASSERT_TRUE(question.found);
  EXPECT_EQ(question.text, L"Удалить " + kProduct + L"?");
  const MessageBoxSeen result = AnswerMessageBox(copy.pid(), IDOK, 60000);
  ASSERT_TRUE(result.found);
  // The changed file and shortcut are named as kept, and the folders that stayed: the user's own
  // file was never the installation's, and is named only through its folder.
  const std::wstring dest = kDest.substr(0, kDest.size() - 1);
  EXPECT_TRUE(Names(result.text, settings));
  EXPECT_TRUE(Names(result.text, link));
  EXPECT_TRUE(Names(result.text, kDest + L"BIN"));
  EXPECT_TRUE(Names(result.text, dest));
  EXPECT_EQ(result.text.find(notes), std::wstring::npos);
  ExpectResult(entry, uninstall::ExitCode::SomethingKept);
  EXPECT_TRUE(copy.WaitExit());

  EXPECT_EQ(UninstallValue(kProduct, L"UninstallString"), L"<none>");
  EXPECT_FALSE(FileExists(kDest + L"UnInstall.exe"));
  EXPECT_TRUE(!FileExists(copyExe) || DeletedAtRestart(copyExe));
  std::vector<std::wstring> left =
      UnexpectedChanges(CompareListings(before, ListTree(L"C:\\")), {kMediumKey, L"windows\\fonts\\gost.ttf"});
  std::vector<std::wstring> expected = {L"+ " + Key(L"C:\\Program files\\Sketrion Software\\"),
                                        L"+ " + Key(kDest),
                                        L"+ " + Key(kDest + L"BIN\\"),
                                        L"+ " + Key(settings),
                                        L"+ " + Key(notes),
                                        L"+ " + Key(link)};
  std::sort(left.begin(), left.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}

// --- names that code page 866 cannot hold --------------------------------------------------------

std::wstring Wide(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

// An archive path ('/' separated, UTF-8) as installed under the destination.
std::wstring Installed(const std::string& name) {
  std::wstring path = kDest + Wide(name);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

// Reads the page's labels until `done`, and keeps every text they showed; the first time one of
// them reads `wanted`, the page is photographed as `shot`.
template <class Done>
std::set<std::wstring> WatchLabels(HWND page, const std::wstring& wanted, const std::wstring& shot,
                                   Done done) {
  std::set<std::wstring> seen;
  const DWORD started = GetTickCount();
  while (!done() && GetTickCount() - started < 120000) {
    for (HWND label : ChildrenOfClass(page, L"Static")) {
      const std::wstring text = Text(label);
      if (text == wanted && !seen.count(text)) SaveScreenshot(page, shot);
      seen.insert(text);
    }
    Sleep(20);
  }
  return seen;
}

// Dashes, quotes, Latin accents, the euro sign and a character past the BMP (U+1D11E, a
// surrogate pair) beside Russian letters, in folders and files of a RAR5 and a RAR4 archive, one
// entry of each encrypted with the installer's password: the installation writes them under
// their names, logs every one, and the uninstaller removes every one.
TEST(UninstallScenario, NamesOutsideCodePage866InBothFormatsAreInstalledLoggedAndRemoved) {
  ForgetTheProduct();
  const TreeListing before = ListTree(L"C:\\");
  const std::string clef = "\xF0\x9D\x84\x9E";
  const std::vector<ArchiveFile> base = {
      {"Справка — схемы/«Кавычки».txt", "quotes"},
      {"Справка — схемы/café.txt", "accent"},
      {"€uro/" + clef + " ноты.txt", "clef"},
      {"€uro/Ёлка — ель.txt", "yo"},
      // Long, so that both pages are likely to be photographed showing a name: the welcome
      // page names the entry before it while it is tested, the copy page names it.
      {"€uro/" + clef + " большой «файл» café.bin", std::string(size_t(64) << 20, 'B'), true}};
  const std::vector<ArchiveFile> docs = {
      {"Документы — «новые»/résumé €.txt", "resume"},
      {"Документы — «новые»/" + clef + "/секрет — «пароль».txt", "secret", true},
      {"€uro.txt", "euro"}};

  Medium medium{L"C:\\e2e\\unicode-medium"};
  DemoContent content;
  ASSERT_NO_FATAL_FAILURE(
      WriteDemoMedium(medium, ReadFileBytes(Widened(SK_E2E_FONT)), {}, &content));
  std::vector<ArchiveFile> baseArchive = {
      {"UnInstall.exe", ReadFileBytes(Widened(SK_E2E_UNINSTALL_EXE))}};
  std::vector<ArchiveFile> docsArchive;
  for (const auto& file : content["base"]) baseArchive.push_back({file.first, file.second});
  for (const auto& file : content["docs"]) docsArchive.push_back({file.first, file.second});
  baseArchive.insert(baseArchive.end(), base.begin(), base.end());
  docsArchive.insert(docsArchive.end(), docs.begin(), docs.end());
  medium.WriteFile(L"BASE.RAR", ArchiveBytes(rarwriter::Format::Rar5, baseArchive,
                                             archive::InstallerPassword()));
  medium.WriteFile(L"DOCS\\DOCS.RAR", ArchiveBytes(rarwriter::Format::Rar4, docsArchive,
                                                   archive::InstallerPassword()));

  const std::wstring shots = ScreenshotFolder(L"uninstall-unicode");
  const std::wstring tested = Wide("€uro\\Ёлка — ель.txt"),
                     extracted = L"..." + Wide("€uro\\" + clef + " большой «файл» café.bin");
  std::set<std::wstring> welcomeLabels, copyLabels;
  WalkWatch watch;
  watch.whileTesting = [&](HWND welcome) {
    welcomeLabels = WatchLabels(welcome, tested, shots + L"welcome-label.bmp",
                                [&] { return Enabled(FindChild(welcome, L"Далее >")); });
  };
  watch.whileCopying = [&](HWND copy) {
    copyLabels = WatchLabels(copy, extracted, shots + L"copy-label.bmp",
                             [&] { return !IsWindowVisible(copy); });
  };
  {
    SetupRun run(medium, L"uninstall-unicode");
    ASSERT_NO_FATAL_FAILURE(WalkDemoInstallation(run, watch));
  }
  // Which names the pages show while they pass is a matter of timing (the page tests check
  // each label's text); whatever a page did show here was readable, never "?" for a character.
  for (const auto* labels : {&welcomeLabels, &copyLabels})
    for (const std::wstring& label : *labels)
      EXPECT_EQ(label.find(L'?'), std::wstring::npos) << testing::PrintToString(label);

  const std::string log = ReadFileBytes(kDest + L"UnInstall.log");
  for (const auto* files : {&base, &docs})
    for (const ArchiveFile& file : *files) {
      EXPECT_EQ(ReadFileBytes(Installed(file.name)), file.data) << file.name;
      std::string logged = Utf8Of(Installed(file.name));
      EXPECT_NE(log.find(logged), std::string::npos) << file.name << " is not in the log";
    }

  SetupProcess entry, copy;
  ASSERT_NO_FATAL_FAILURE(StartUninstall(&entry, &copy));
  const std::wstring copyExe = copy.ImagePath();
  ASSERT_TRUE(AnswerMessageBox(copy.pid(), IDYES, 60000).found);
  const MessageBoxSeen result = AnswerMessageBox(copy.pid(), IDOK, 60000);
  ASSERT_TRUE(result.found);
  ExpectResult(entry, uninstall::ExitCode::Done);
  EXPECT_TRUE(copy.WaitExit());
  EXPECT_TRUE(!FileExists(copyExe) || DeletedAtRestart(copyExe));
  EXPECT_EQ(UnexpectedChanges(CompareListings(before, ListTree(L"C:\\")),
                              {kMediumKey, L"windows\\fonts\\gost.ttf"}),
            std::vector<std::wstring>{});
}

TEST(UninstallScenario, NoLeavesEverything) {
  ForgetTheProduct();
  ASSERT_NO_FATAL_FAILURE(InstallDemo(L"uninstall-no"));
  const TreeListing installed = ListTree(L"C:\\");
  const std::wstring command = UninstallValue(kProduct, L"UninstallString");

  SetupProcess entry, copy;
  ASSERT_NO_FATAL_FAILURE(StartUninstall(&entry, &copy));
  ASSERT_TRUE(AnswerMessageBox(copy.pid(), IDNO, 60000).found);
  ExpectResult(entry, uninstall::ExitCode::NothingToRemove);
  EXPECT_TRUE(copy.WaitExit());

  EXPECT_EQ(UninstallValue(kProduct, L"UninstallString"), command);
  EXPECT_EQ(UnexpectedChanges(CompareListings(installed, ListTree(L"C:\\")), {kMediumKey}),
            std::vector<std::wstring>{});
}

// Folders the destination page accepts, however typed: the entry names the uninstaller by its
// full path, in quotes, and that command starts it.
TEST(UninstallScenario, AcceptedDestinationsGetAFullQuotedEntryThatStarts) {
  for (const std::wstring typed :
       {L"c:\\e2e-dest\\Sketrion Software\\Sketrion", L"C:\\e2e-dest\\Second Place\\CAD\\"}) {
    ForgetTheProduct();
    RemoveTree(L"C:\\e2e-dest\\");
    ASSERT_NO_FATAL_FAILURE(InstallDemo(L"uninstall-entry", typed));
    const std::wstring command = UninstallValue(kProduct, L"UninstallString");
    ASSERT_FALSE(command.empty());
    ASSERT_EQ(command[0], L'"') << command;
    const size_t closing = command.find(L'"', 1);
    ASSERT_NE(closing, std::wstring::npos) << command;
    const std::wstring program = command.substr(1, closing - 1);
    EXPECT_TRUE(program.size() > 3 && std::iswalpha(program[0]) &&
                program.compare(1, 2, L":\\") == 0)
        << program;
    EXPECT_TRUE(SamePath(program, WithBackslash(typed) + L"UnInstall.exe")) << program;

    SetupProcess entry, copy;
    ASSERT_NO_FATAL_FAILURE(StartUninstall(&entry, &copy, typed));
    EXPECT_TRUE(AnswerMessageBox(copy.pid(), IDNO, 60000).found) << "the uninstaller asked nothing";
    ExpectResult(entry, uninstall::ExitCode::NothingToRemove);
    EXPECT_TRUE(copy.WaitExit());
  }
  ForgetTheProduct();
  RemoveTree(L"C:\\e2e-dest\\");
}

// --- removal without a window ------------------------------------------------------------------

const std::wstring kRemovalLog = L"C:\\e2e\\silent-removal.log";

// The entry's command with /VERYSILENT and /LOG=, as an administrator's script runs it: nothing
// is asked, the caller gets the result once the work is done, and the copy has removed the
// original uninstaller by the time it ends. The log's lines, without the byte-order mark.
std::vector<std::string> RemoveSilently(uninstall::ExitCode expected) {
  DeleteFileW(kRemovalLog.c_str());
  SetupProcess entry, copy;
  StartUninstall(&entry, &copy, kDest, L" /VERYSILENT /LOG=\"" + kRemovalLog + L"\"");
  ExpectResult(entry, expected);
  EXPECT_TRUE(copy.WaitExit());
  const std::string bytes = ReadFileBytes(kRemovalLog);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  std::vector<std::string> lines;
  for (size_t at = 3, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(bytes.substr(at, end - at));
  EXPECT_FALSE(lines.empty());
  // The exit code comes last.
  const std::string code = " " + std::to_string(static_cast<int>(expected));
  if (!lines.empty()) {
    EXPECT_EQ(lines.back().substr(lines.back().size() - std::min(lines.back().size(), code.size())), code)
        << lines.back();
  }
  return lines;
}

TEST(UninstallScenario, TheSilentRemovalOfAnUnattendedInstallationLeavesTheDriveAsBefore) {
  ForgetTheProduct();
  const TreeListing before = ListTree(L"C:\\");
  ASSERT_NO_FATAL_FAILURE(InstallDemoUnattended());
  RemoveSilently(uninstall::ExitCode::Done);
  EXPECT_EQ(UninstallValue(kProduct, L"UninstallString"), L"<none>");
  EXPECT_FALSE(FileExists(kDest + L"UnInstall.exe"));
  EXPECT_EQ(UnexpectedChanges(CompareListings(before, ListTree(L"C:\\")),
                              {kMediumKey, L"windows\\fonts\\gost.ttf"}),
            std::vector<std::wstring>{});
}

TEST(UninstallScenario, TheSilentRemovalKeepsAChangedFileAndSaysSo) {
  ForgetTheProduct();
  ASSERT_NO_FATAL_FAILURE(InstallDemoUnattended());
  const std::wstring settings = kDest + L"BIN\\Sketrion.cfg";
  ASSERT_NO_FATAL_FAILURE(AppendToFile(settings, "Zoom=2\r\n"));
  const std::vector<std::string> lines = RemoveSilently(uninstall::ExitCode::SomethingKept);
  // A line of its own names the file and why it stayed.
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(Utf8Of(settings) + " — изменён") != std::string::npos;
  })) << testing::PrintToString(lines);
  EXPECT_TRUE(FileExists(settings));
  EXPECT_FALSE(FileExists(kDest + L"UnInstall.exe"));
  EXPECT_EQ(UninstallValue(kProduct, L"UninstallString"), L"<none>");
  ForgetTheProduct();
}

}  // namespace
}  // namespace e2e
