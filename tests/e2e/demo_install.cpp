#include "tests/e2e/demo_install.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/e2e/installed.h"

namespace e2e {
namespace {

std::wstring Widened(const char* ascii) { return std::wstring(ascii, ascii + strlen(ascii)); }

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

// The files of a folder of the demo's content, named as the archive stores them.
void Collect(const std::wstring& folder, const std::string& prefix, Files* files) {
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

}  // namespace

void WriteDemoMedium(Medium& medium, const std::string& font, const Files& baseExtras,
                     DemoContent* content) {
  const std::wstring source = Widened(SK_TEST_SOURCE_DIR);  // S:\ under Wine
  ASSERT_TRUE(medium.ok());
  medium.WriteFile(L"Setup.ini", ReadFileBytes(source + L"demo\\Setup.ini"));
  medium.WriteFile(L"License.rtf", ReadFileBytes(source + L"demo\\License.rtf"));
  const char* archives[][2] = {{"base", "BASE.RAR"}, {"samples", "SAMPLES.RAR"}, {"docs", "DOCS\\DOCS.RAR"}};
  for (auto& a : archives) {
    Files files;
    Collect(source + L"demo\\content\\" + Widened(a[0]) + L"\\", "", &files);
    ASSERT_FALSE(files.empty()) << a[0];
    if (content) (*content)[a[0]] = files;
    if (std::strcmp(a[0], "base") == 0) files.insert(files.end(), baseExtras.begin(), baseExtras.end());
    medium.WriteArchive(Widened(a[1]), files);
  }
  ASSERT_GT(font.size(), 1000u);
  medium.WriteFile(L"SERVICE\\FONT\\GOST.TTF", font);
}

void WalkDemoInstallation(SetupRun& run, const WalkWatch& watch) {
  HWND welcome = run.Page(kWelcome, L"welcome");
  run.Press(welcome, L"Далее>", false);
  if (watch.whileTesting) watch.whileTesting(welcome);
  ASSERT_TRUE(WaitUntil([&] { return Enabled(FindChild(welcome, L"Далее >")); }, 60000));
  run.Press(welcome, L"Далее >");
  HWND license = run.Page(kLicense, L"license");
  run.Press(license, L"Принимаю", false);
  run.Press(license, L"Далее >");
  HWND path = run.Page(kGetPath, L"destination");
  HWND edit = ChildrenOfClass(path, L"Edit").at(0);
  EXPECT_EQ(Text(edit), kDemoDest);
  if (!watch.destination.empty()) SetEditText(edit, watch.destination);
  run.Press(path, L"Далее >");
  run.Press(run.Page(kGetGroups, L"groups"), L"Далее >");
  // A watch starts the moment the copy page is there: the page's usual checks and photograph
  // would let a short copying pass unseen.
  HWND copy = watch.whileCopying ? WaitForWindow(run.pid(), kCopy) : run.Page(kCopy, L"copying");
  ASSERT_NE(copy, nullptr) << "no copy page";
  if (watch.whileCopying) watch.whileCopying(copy);
  EXPECT_TRUE(WaitGone(copy, 60000));
  run.Press(run.Page(kReadme, L"additional-software"), L"Далее >");
  HWND finish = run.Page(kExitWin, L"finish");
  run.Press(finish, L"Отказаться от перезагрузки", false);
  run.Press(finish, L"Готово", false);
  run.ExpectEnded();
}

}  // namespace e2e
