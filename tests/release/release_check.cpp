// Checks a shipping Setup.exe from inside Windows: prints its version resource as Windows reads
// it, then starts it, waits for the welcome page and leaves through "Отмена".
// usage: release_check <Setup.exe>       exit code 0 when all of that worked
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace {

using namespace e2e;

void Say(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  std::printf("%s\n", out.c_str());
  std::fflush(stdout);
}

// One string of the version resource's first translation; empty when absent.
std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
  struct Translation { WORD language, codePage; }* translation = nullptr;
  UINT size = 0;
  if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &size) || size < sizeof(*translation))
    return L"";
  wchar_t path[96];
  wsprintfW(path, L"\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage,
            name);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(info.data(), path, reinterpret_cast<void**>(&value), &size) || !value)
    return L"";
  return value;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: release_check <Setup.exe>\n");
    return 2;
  }
  const std::wstring exe = argv[1];
  DWORD ignored = 0;
  std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  if (info.empty() || !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data())) {
    Say(L"no version resource");
    return 1;
  }
  for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"ProductName",
                              L"ProductVersion"})
    Say(std::wstring(L"version ") + name + L"=" + VersionString(info, name));

  SetupProcess setup;
  if (!setup.Start(exe)) {
    Say(L"Setup.exe did not start");
    return 1;
  }
  HWND page = WaitForWindowStarting(setup.pid(), L"Вас приветствует программа установки ");
  if (!page) {
    Say(L"no welcome page");
    return 1;
  }
  Say(L"welcome page: " + Text(page));
  if (!WaitUntil([&] { return Press(page, L"Отмена"); }, 10000)) {
    Say(L"cannot press Отмена");
    return 1;
  }
  MessageBoxSeen box = AnswerMessageBox(setup.pid(), IDYES);
  DWORD code = 1;
  if (!box.found || !setup.WaitExit(kWaitMs, &code) || code != 0) {
    Say(L"Setup.exe did not end through the cancel question");
    return 1;
  }
  Say(L"Setup.exe started and ended");
  return 0;
}
