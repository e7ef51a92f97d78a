// The demo medium installed through every page by the driver, then what the installation left
// looked at as Windows sees it: the shortcuts of its Link sections (read through IShellLinkW),
// the uninstall record byte for byte, the uninstall entry, the drawing font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/scoped_win.h"
#include "setup/font_name.h"
#include "tests/e2e/installed.h"
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

std::wstring Widened(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }

const std::wstring kSource = Widened(SK_TEST_SOURCE_DIR);  // S:\ under Wine
const std::wstring kDest = L"C:\\Program files\\Sketrion Software\\Sketrion 7_2\\";

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

// The files of a folder of the demo's content, named as the archive stores them.
void Collect(const std::wstring& folder, const std::string& prefix,
             std::vector<std::pair<std::string, std::string>>* files) {
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      Collect(folder + name + L"\\", prefix + Utf8(name) + "/", files);
    else
      files->push_back({prefix + Utf8(name), ReadFileBytes(folder + name)});
  } while (FindNextFileW(find, &fd));
  FindClose(find);
}

std::string Replaced(std::string text, const std::string& find, const std::string& with) {
  for (size_t at; (at = text.find(find)) != std::string::npos;) text.replace(at, find.size(), with);
  return text;
}

TEST(InstallActionsScenario, TheDemoInstallationLeavesShortcutsRecordEntryAndFont) {
  // The demo medium, from the demo's own Setup.ini, agreement, content and font.
  Medium medium{L"C:\\e2e\\demo-medium"};
  ASSERT_TRUE(medium.ok());
  medium.WriteFile(L"Setup.ini", ReadFileBytes(kSource + L"demo\\Setup.ini"));
  medium.WriteFile(L"License.rtf", ReadFileBytes(kSource + L"demo\\License.rtf"));
  const char* archives[][2] = {{"base", "BASE.RAR"}, {"samples", "SAMPLES.RAR"}, {"docs", "DOCS\\DOCS.RAR"}};
  for (auto& a : archives) {
    std::vector<std::pair<std::string, std::string>> files;
    Collect(kSource + L"demo\\content\\" + Widened(a[0]) + L"\\", "", &files);
    ASSERT_FALSE(files.empty()) << a[0];
    medium.WriteArchive(Widened(a[1]), files);
  }
  const std::string font = ReadFileBytes(Widened(SK_E2E_FONT));
  ASSERT_GT(font.size(), 1000u);
  medium.WriteFile(L"SERVICE\\FONT\\GOST.TTF", font);
  RemoveTree(kDest);
  DeleteFileW(L"C:\\windows\\Fonts\\GOST.TTF");

  SetupRun run(medium, L"install-actions");
  HWND welcome = run.Page(kWelcome, L"welcome");
  run.Press(welcome, L"Далее>", false);
  ASSERT_TRUE(WaitUntil([&] { return Enabled(FindChild(welcome, L"Далее >")); }, 60000));
  run.Press(welcome, L"Далее >");
  HWND license = run.Page(kLicense, L"license");
  run.Press(license, L"Принимаю", false);
  run.Press(license, L"Далее >");
  HWND path = run.Page(kGetPath, L"destination");
  EXPECT_EQ(Text(ChildrenOfClass(path, L"Edit").at(0)), kDest);
  run.Press(path, L"Далее >");
  run.Press(run.Page(kGetGroups, L"groups"), L"Далее >");
  EXPECT_TRUE(WaitGone(run.Page(kCopy, L"copying"), 60000));
  run.Press(run.Page(kReadme, L"additional-software"), L"Далее >");
  HWND finish = run.Page(kExitWin, L"finish");
  run.Press(finish, L"Отказаться от перезагрузки", false);
  run.Press(finish, L"Готово", false);
  run.ExpectEnded();

  // The shortcuts: Link1 in a folder of the programs, Link2 on the desktop, Link3 beside Link1;
  // Link5 comes after the gap and is never made.
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

  // The record, byte for byte in Windows-1251, the shell folders put in.
  std::string expected = ReadFileBytes(kSource + L"tests\\e2e\\expected\\UnInstall.ini");
  expected = Replaced(expected, "{PROGRAMS}", ToCp1251(programs));
  expected = Replaced(expected, "{DESKTOP}", ToCp1251(desktop));
  EXPECT_EQ(ReadFileBytes(kDest + L"UnInstall.ini"), expected);

  // The entry, in the 32-bit view, its command quoted.
  EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"DisplayName"), L"Sketrion 7.2 (только удаление)");
  EXPECT_EQ(UninstallValue(L"Sketrion 7.2", L"UninstallString"), L"\"" + kDest + L"UnInstall.exe\" /UNINSTALL");

  // The font: in the fonts folder, registered under the full name its name table gives.
  EXPECT_EQ(ReadFileBytes(L"C:\\windows\\Fonts\\GOST.TTF"), font);
  const std::wstring fullName = setup::TrueTypeFullName(font);
  EXPECT_EQ(fullName, L"DejaVu Sans Mono");
  EXPECT_EQ(FontRegistrations(L"GOST.TTF"), std::vector<std::wstring>{fullName + L" (TrueType) = GOST.TTF"});
}

}  // namespace
}  // namespace e2e
