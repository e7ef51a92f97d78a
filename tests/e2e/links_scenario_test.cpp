// Links an ordinary user put into a destination outside the protected folders, made by
// links-run.sh as Unix symbolic links in the prefix (Wine shows a folder symlink as a reparse
// point, a file symlink as a plain file; it makes no real junctions, so those are shown by the
// native tests over the in-memory file system):
//   C:\e2e-links\dest\Link -> C:\e2e-links\outside, dest\WinLink -> C:\windows,
//   dest\FileLink.txt -> outside\file-target.txt, C:\e2e-links\install\BIN -> outside-bin.
// The uninstaller, given a log that names files and a folder through them with their right sizes
// and CRCs, removes nothing outside and names each line it kept; an installation into a folder
// holding the BIN link writes nothing outside.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/exit_code.h"
#include "formats/install_log.h"
#include "platform/file_system.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/installed.h"
#include "tests/e2e/medium.h"

namespace e2e {
namespace {

const std::wstring kRoot = L"C:\\e2e-links\\";
const std::wstring kDest = kRoot + L"dest", kOutside = kRoot + L"outside";

std::wstring Widened(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }

std::string Utf8Of(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << Utf8Of(path);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

// A log line for the file at `logged`, with the size and CRC of what lies at `real`.
formats::LogItem FileLine(const std::wstring& logged, const std::wstring& real) {
  formats::LogItem item{formats::LogItemKind::File, logged};
  EXPECT_TRUE(formats::FileCrc32(platform::RealFileSystem(), real, &item.size, &item.crc))
      << Utf8Of(real);
  return item;
}

// The copy of UnInstall.exe that `starter` hands over to; 0 when none started in time. Looked
// for by its name: in a fresh prefix the first window also starts Wine's explorer.exe.
DWORD WaitForCopy(DWORD starter) {
  for (DWORD waited = 0; waited < 60000; waited += 100) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    DWORD copy = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !copy; more = Process32NextW(snapshot, &entry))
      if (entry.th32ParentProcessID == starter && _wcsicmp(entry.szExeFile, L"UnInstall.exe") == 0)
        copy = entry.th32ProcessID;
    CloseHandle(snapshot);
    if (copy) return copy;
    Sleep(100);
  }
  return 0;
}

// The message names this path itself, not only paths under it.
bool Names(const std::wstring& text, const std::wstring& path) {
  for (size_t at = text.find(path); at != std::wstring::npos; at = text.find(path, at + 1))
    if (at + path.size() == text.size() || text[at + path.size()] != L'\\') return true;
  return false;
}

TEST(LinksScenario, AHostileLogRemovesNothingThroughTheLinks) {
  ASSERT_TRUE(Exists(kDest + L"\\Link\\victim.txt")) << "links-run.sh lays the links out";
  ASSERT_TRUE(CopyFileW(Widened(SK_E2E_UNINSTALL_EXE).c_str(), (kDest + L"\\UnInstall.exe").c_str(), FALSE));
  WriteBytes(kDest + L"\\UnInstall.ini", "[GENERAL]\r\nNameApplication=Sketrion Links\r\n");
  const std::string winIni = ReadFileBytes(L"C:\\windows\\win.ini");
  const std::vector<formats::LogItem> hostile = {
      FileLine(kDest + L"\\Link\\victim.txt", kOutside + L"\\victim.txt"),
      FileLine(kDest + L"\\WinLink\\win.ini", L"C:\\windows\\win.ini"),
      FileLine(kDest + L"\\FileLink.txt", kOutside + L"\\file-target.txt"),
      {formats::LogItemKind::Folder, kDest + L"\\Link\\emptydir"},
      {formats::LogItemKind::Folder, kDest + L"\\WinLink"},
  };
  WriteBytes(kDest + L"\\UnInstall.log", formats::FormatInstallLog(hostile));

  SetupProcess entry, copy;
  ASSERT_TRUE(entry.StartCommand(L"\"" + kDest + L"\\UnInstall.exe\" /UNINSTALL"));
  ASSERT_TRUE(copy.Attach(WaitForCopy(entry.pid()))) << "no copy took over";
  ASSERT_TRUE(AnswerMessageBox(copy.pid(), IDYES, 60000).found);
  const MessageBoxSeen result = AnswerMessageBox(copy.pid(), IDOK, 60000);
  ASSERT_TRUE(result.found);
  EXPECT_TRUE(copy.WaitExit());

  EXPECT_EQ(ReadFileBytes(kOutside + L"\\victim.txt"), "victim");
  EXPECT_EQ(ReadFileBytes(L"C:\\windows\\win.ini"), winIni);
  EXPECT_EQ(ReadFileBytes(kOutside + L"\\file-target.txt"), "file target");
  EXPECT_TRUE(Exists(kOutside + L"\\emptydir"));
  for (const wchar_t* link : {L"\\Link", L"\\WinLink", L"\\FileLink.txt"}) EXPECT_TRUE(Exists(kDest + link)) << Utf8Of(link);
  // Each line is named as kept, the file link too: the path its handle resolves to is not its place.
  // and for one reason: the one the first line's link gives.
  auto reasonOf = [&](const std::wstring& path) {
    const size_t at = result.text.find(path + L" ");
    if (at == std::wstring::npos) return std::wstring(L"<not named>");
    const size_t from = at + path.size(), end = result.text.find(L'\n', from);
    return result.text.substr(from, end == std::wstring::npos ? std::wstring::npos : end - from);
  };
  for (const formats::LogItem& item : hostile)
    EXPECT_EQ(reasonOf(item.path), reasonOf(hostile[0].path)) << Utf8Of(item.path) << "\n" << Utf8Of(result.text);
}

TEST(LinksScenario, AnInstallationWritesNothingThroughABinFolderLink) {
  const std::wstring install = kRoot + L"install";
  ASSERT_TRUE(Exists(install + L"\\BIN")) << "links-run.sh lays the link out";
  Medium medium{L"C:\\e2e\\links-medium"};
  medium.WriteSetupIni(L"[GENERAL]\nNameApplication=Sketrion Links\nNameCompany=Sketrion Software\n"
                       L"[GROUPS]\n1=1|BASE.RAR|Основные файлы|Программа\n");
  medium.WriteArchive(L"BASE.RAR", {{"BIN/app.exe", "app"}, {"BIN/SUB/deep.txt", "deep"}, {"readme.txt", "readme"}});
  const std::wstring log = L"C:\\e2e\\links-medium\\unattended.log";
  SetupProcess setup;
  ASSERT_TRUE(setup.StartCommand(L"\"" + medium.SetupExe() + L"\" /VERYSILENT /ACCEPTAGREEMENT /NORESTART /DIR=\"" +
                                 install + L"\" /LOG=\"" + log + L"\""));
  DWORD code = 0xFFFF;
  ASSERT_TRUE(setup.WaitExit(120000, &code));
  EXPECT_EQ(code, static_cast<DWORD>(app::ExitCode::CopyFailed)) << ReadFileBytes(log);

  // Nothing in the link's target, the link itself kept, the rest installed.
  WIN32_FIND_DATAW found;
  HANDLE any = FindFirstFileW((kRoot + L"outside-bin\\*").c_str(), &found);
  std::vector<std::wstring> names;
  if (any != INVALID_HANDLE_VALUE) {
    do {
      if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) names.push_back(found.cFileName);
    } while (FindNextFileW(any, &found));
    FindClose(any);
  }
  EXPECT_TRUE(names.empty()) << Utf8Of(names.empty() ? L"" : names[0]);
  EXPECT_NE(GetFileAttributesW((install + L"\\BIN").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_EQ(ReadFileBytes(install + L"\\readme.txt"), "readme");
  EXPECT_TRUE(Exists(install + L"\\UnInstall.ini"));
  EXPECT_NE(ReadFileBytes(log).find("BIN"), std::string::npos) << "the run's log names what was not copied";
}

}  // namespace
}  // namespace e2e
