// Walks Setup.exe through every page of the demo medium as a user who accepts every default
// (no restart at the end), saves a screenshot of each page and prints what was installed.
// usage: e2e_demo_walk <Setup.exe> <screenshot folder>
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "platform/win32/scoped_win.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/installed.h"
#include "tests/e2e/medium.h"

namespace {

using namespace e2e;

int g_shot = 0;
std::wstring g_shots;

void Say(const std::wstring& text) {
  // The console takes UTF-8 from a program run under Wine with a UTF-8 locale.
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  std::printf("%s\n", out.c_str());
  std::fflush(stdout);
}

HWND Page(DWORD pid, const std::wstring& designCaption, const wchar_t* name, DWORD wait = kWaitMs) {
  HWND page = WaitForWindowStarting(pid, designCaption, wait);
  if (!page) return nullptr;
  Sleep(300);  // painted before it is photographed
  wchar_t file[64];
  wsprintfW(file, L"%02d-%s.bmp", ++g_shot, name);
  SaveScreenshot(page, g_shots + file);
  Say(L"page: " + Text(page) + L"  ->  " + file);
  return page;
}

bool Click(HWND page, const std::wstring& button) {
  if (WaitUntil([&] { return Press(page, button); }, 10000)) return true;
  Say(L"cannot press \"" + button + L"\" on \"" + Text(page) + L"\"");
  return false;
}

void ListTree(const std::wstring& folder, const std::wstring& indent) {
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    bool dir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    Say(indent + name + (dir ? L"\\" : L""));
    if (dir) ListTree(folder + name + L"\\", indent + L"  ");
  } while (FindNextFileW(find, &fd));
  FindClose(find);
}

// The shortcuts under a shell folder, each as the shell reads it back.
void ListShortcuts(const std::wstring& title, const std::wstring& folder) {
  Say(title + L" (" + folder + L"):");
  for (const std::wstring& file : ShortcutsUnder(folder)) {
    platform::ShellLinkData link;
    if (!ReadShortcut(file, &link)) {
      Say(L"  " + file + L"  (cannot be read)");
      continue;
    }
    Say(L"  " + file.substr(folder.size()) + L"  ->  " + link.path);
    Say(L"      working folder: " + link.workingDirectory +
        (link.iconPath.empty() ? L"" : L"; icon: " + link.iconPath + L"," + std::to_wstring(link.iconIndex)));
  }
}

void ReportInstalled(const std::wstring& dest, const std::wstring& product) {
  platform::ComApartment com;
  Say(L"");
  Say(L"installed into " + dest + L":");
  ListTree(dest, L"  ");
  ListShortcuts(L"shortcuts in the Start menu programs", ProgramsFolder());
  ListShortcuts(L"shortcuts on the desktop", DesktopFolder());
  Say(L"uninstall record " + dest + L"UnInstall.ini (Windows-1251):");
  std::string record = ReadFileBytes(dest + L"UnInstall.ini");
  std::wstring text(static_cast<size_t>(MultiByteToWideChar(1251, 0, record.data(), static_cast<int>(record.size()), nullptr, 0)), L'\0');
  MultiByteToWideChar(1251, 0, record.data(), static_cast<int>(record.size()), &text[0], static_cast<int>(text.size()));
  for (size_t from = 0, to; from < text.size(); from = to + 1) {
    to = text.find(L'\n', from);
    if (to == std::wstring::npos) to = text.size();
    std::wstring line = text.substr(from, to - from);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    Say(L"  " + line);
  }
  Say(L"uninstall entry HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product + L" (32-bit view):");
  Say(L"  DisplayName = " + UninstallValue(product, L"DisplayName"));
  Say(L"  UninstallString = " + UninstallValue(product, L"UninstallString"));
  Say(L"font C:\\windows\\Fonts\\GOST.TTF: " +
      std::wstring(FileExists(L"C:\\windows\\Fonts\\GOST.TTF") ? L"in place" : L"missing") + L"; registered as:");
  for (const std::wstring& font : FontRegistrations(L"GOST.TTF")) Say(L"  " + font);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: e2e_demo_walk <Setup.exe> <screenshot folder>\n");
    return 2;
  }
  g_shots = argv[2];
  if (g_shots.back() != L'\\') g_shots += L'\\';
  SetupProcess setup;
  if (!setup.Start(argv[1])) {
    Say(L"Setup.exe did not start");
    return 1;
  }
  const DWORD pid = setup.pid();
  const std::wstring welcome = L"Вас приветствует программа установки ";
  HWND page = Page(pid, welcome, L"welcome");
  if (!page || !Click(page, L"Далее>")) return 1;
  // Every caption ends with the product's name, which names its uninstall entry too.
  const std::wstring product = Text(page).substr(welcome.size());
  if (!WaitUntil([&] { return Enabled(FindChild(page, L"Далее >")); }, 60000)) {
    Page(pid, L"Вас приветствует программа установки ", L"welcome-failed", 0);
    Say(L"the archive test did not pass");
    return 1;
  }
  Page(pid, L"Вас приветствует программа установки ", L"welcome-tested");
  if (!Click(page, L"Далее >")) return 1;

  page = Page(pid, L"Cоглашение об использовании ", L"license");
  if (!page || !Click(page, L"Принимаю") || !Click(page, L"Далее >")) return 1;

  page = Page(pid, L"Размещение ", L"destination");
  if (!page) return 1;
  std::wstring dest = Text(ChildrenOfClass(page, L"Edit").at(0));
  if (!Click(page, L"Далее >")) return 1;

  page = Page(pid, L"Компоненты ", L"groups");
  if (!page || !Click(page, L"Далее >")) return 1;

  // The graphic editor page appears only where an AutoCAD release is installed.
  HWND graph = Page(pid, L"Указание и настройка графического редактора схем ", L"graphic-editor",
                    3000);
  if (graph && !Click(graph, L"Далее >")) return 1;

  page = Page(pid, L"Копирование файлов ", L"copying");
  if (page) WaitGone(page, 120000);

  page = Page(pid, L"Установка дополнительного программного обеспечения ", L"additional-software");
  if (!page || !Click(page, L"Далее >")) return 1;

  page = Page(pid, L"Завершение установки ", L"finish");
  if (!page || !Click(page, L"Отказаться от перезагрузки") || !Click(page, L"Готово")) return 1;

  // Any message box on the way out is photographed and answered.
  while (setup.Running()) {
    MessageBoxSeen box = AnswerMessageBox(pid, IDOK, 2000);
    if (box.found) Say(L"message: " + box.title + L": " + box.text);
  }
  DWORD code = 0;
  setup.WaitExit(kWaitMs, &code);
  Say(L"Setup.exe ended with exit code " + std::to_wstring(code));
  ReportInstalled(dest, product);
  return code == 0 ? 0 : 1;
}
