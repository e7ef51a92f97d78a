// The graphic editor page in the page chain of Setup.exe: with two AutoCAD releases laid out in
// the registry (the 32-bit view Setup.exe reads) the welcome page names them, the page offers
// them, and Next creates the new profile from a template, described by the product name; the
// products of today, in the machine's own 64-bit view and the 32-bit one, are offered and get the
// profile in the chosen product's store; with no release the page is never shown.
#include <gtest/gtest.h>

#include "acad/releases.h"
#include "platform/file_system.h"
#include "platform/win32/registry_win.h"
#include "tests/acad/acad_fixture.h"
#include "tests/e2e/scenario.h"

namespace e2e {
namespace {

const wchar_t kDest[] = L"C:\\e2e-acad\\Sketrion\\";

// The child of `parent` whose text contains `part`.
HWND ChildContaining(HWND parent, const std::wstring& part) {
  for (const wchar_t* cls : {L"Static", L"Edit", L"RichEdit20W"})
    for (HWND child : ChildrenOfClass(parent, cls))
      if (Text(child).find(part) != std::wstring::npos) return child;
  return nullptr;
}

class AcadScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    acadtest::ClearAutodesk(registry);
    RemoveTree(kDest);
    medium.WriteSetupIni(
        L"[GENERAL]\n"
        L"NameApplication=Sketrion 7.2\n"
        L"NameCompany=Sketrion Software\n"
        L"FileLicension=License.rtf\n"
        L"NameProfileGraphEditor=Схемы Sketrion\n"
        L"[GROUPS]\n"
        L"1=1|BASE.RAR|Основные файлы|Программа\n");
    medium.WriteFile(L"License.rtf", "{\\rtf1\\ansi Test agreement.\\par}");
    medium.WriteArchive(L"BASE.RAR", {{"bin/readme.txt", "hello"}});
  }
  void TearDown() override { acadtest::ClearAutodesk(registry); }

  // AutoCAD 2000 (its unnamed profile) and AutoCAD 2004 (two profiles), each with its program.
  void LayOutTwoReleases() {
    auto makeFile = [](const std::wstring& path) {
      acadtest::MakeFileOn(platform::RealFileSystem(), path);
    };
    r15.type = acad::geACAD2000;
    r15.curVer = L"ACAD-1:419";
    r15.productName = L"AutoCAD 2000";
    r15.location = L"C:\\Program Files\\ACAD2000\\";
    r15.profiles = {L"<<Конфигурация без имени>>"};
    acadtest::LayOutRelease(registry, makeFile, r15);
    acadtest::ReleaseLayout r16;
    r16.type = acad::geACAD2004;
    r16.curVer = L"ACAD-201:419";
    r16.productName = L"AutoCAD 2004";
    r16.location = L"C:\\Program Files\\AutoCAD 2004";
    r16.profiles = {L"<<Unnamed Profile>>", L"Рабочий"};
    acadtest::LayOutRelease(registry, makeFile, r16);
  }

  // `listed`: what the welcome page's notice must list, one release a line.
  void PassToGroups(SetupRun& run,
                    const std::wstring& listed = L"AutoCAD 2000\r\nAutoCAD 2004\r\n") {
    HWND welcome = run.Page(kWelcome, L"welcome");
    welcomeNotice = ChildContaining(welcome, listed) != nullptr;
    run.Press(welcome, L"Далее>", false);
    run.Press(welcome, L"Далее >");
    HWND license = run.Page(kLicense, L"license");
    run.Press(license, L"Принимаю", false);
    run.Press(license, L"Далее >");
    HWND path = run.Page(kGetPath, L"destination");
    SetEditText(ChildrenOfClass(path, L"Edit").at(0), kDest);
    run.Press(path, L"Далее >");
    run.Press(run.Page(kGetGroups, L"groups"), L"Далее >");
  }
  void FinishFromCopy(SetupRun& run) {
    EXPECT_TRUE(WaitGone(run.Page(kCopy, L"copying")));
    run.Press(run.Page(kReadme, L"additional-software"), L"Далее >");
    HWND finish = run.Page(kExitWin, L"finish");
    run.Press(finish, L"Отказаться от перезагрузки", false);
    run.Press(finish, L"Готово", false);
    run.ExpectEnded();
  }

  platform::Win32Registry registry;
  acadtest::ReleaseLayout r15;
  Medium medium{L"C:\\e2e-acad\\medium"};
  bool welcomeNotice = false;
};

TEST_F(AcadScenario, NewProfileIsCreatedFromTheTemplate) {
  LayOutTwoReleases();
  SetupRun run(medium, L"acad-two-releases");
  PassToGroups(run);
  EXPECT_TRUE(welcomeNotice) << "the welcome page does not list both releases";

  HWND page = run.Page(kGraphProfile, L"graphic-editor");
  ASSERT_NE(page, nullptr);
  std::vector<HWND> combos = ChildrenOfClass(page, L"ComboBox");
  ASSERT_EQ(combos.size(), 3u);
  EXPECT_EQ(SendMessageW(combos[0], CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(Text(combos[0]), L"AutoCAD 2000");
  // The profile named by Setup.ini does not exist yet: the template list offers the release's
  // own profile.
  EXPECT_EQ(Text(combos[1]), L"Схемы Sketrion");
  EXPECT_TRUE(Visible(combos[2]));
  EXPECT_EQ(Text(combos[2]), L"<<Конфигурация без имени>>");
  run.Press(page, L"Далее >");

  FinishFromCopy(run);
  const std::wstring made = acadtest::ProfilesKey(r15) + L"\\Схемы Sketrion";
  platform::RegValue description;
  ASSERT_EQ(registry.ReadValue(platform::RegRoot::CurrentUser, made, L"", &description),
            platform::RegStatus::Ok)
      << "the new profile key is missing";
  EXPECT_EQ(platform::ValueText(description), L"Sketrion 7.2");
  // The copy carries the template's settings.
  platform::RegValue support;
  EXPECT_EQ(registry.ReadValue(platform::RegRoot::CurrentUser, made + L"\\General", L"ACAD", &support),
            platform::RegStatus::Ok);
}

TEST_F(AcadScenario, ProductsOfBothViewsAreOfferedAndTheChosenOneGetsTheProfile) {
  // Setup.exe is a 32-bit program: on a 64-bit prefix the machine's own view is another tree.
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  ASSERT_TRUE(wow64) << "the Wine prefix is not 64-bit";
  const std::wstring probe = L"Software\\Autodesk\\Sketrion view probe";
  ASSERT_EQ(registry.CreateKey(platform::RegRoot::LocalMachineNative, probe),
            platform::RegStatus::Ok);
  EXPECT_EQ(registry.OpenKey(platform::RegRoot::LocalMachine, probe, platform::RegAccess::Read),
            platform::RegStatus::NotFound);
  ASSERT_EQ(registry.DeleteTree(platform::RegRoot::LocalMachineNative, probe),
            platform::RegStatus::Ok);

  auto makeFile = [](const std::wstring& path) {
    acadtest::MakeFileOn(platform::RealFileSystem(), path);
  };
  auto product = [&](platform::RegRoot view, const std::wstring& release, const std::wstring& id,
                     const std::wstring& name, const std::wstring& profile) {
    acadtest::ProductLayout p;
    p.view = view;
    p.key = acadtest::AcadProductKey(release, id);
    p.productName = name;
    p.location = L"C:\\e2e-acad\\" + name;
    p.profiles = {profile};
    acadtest::LayOutProduct(registry, makeFile, p);
    return p;
  };
  const platform::RegRoot native = platform::RegRoot::LocalMachineNative;
  const auto acad2025 =
      product(native, L"R25.0", L"ACAD-8101:419", L"AutoCAD 2025", L"<<Unnamed Profile>>");
  const auto electrical =
      product(native, L"R25.0", L"ACAD-8107:419", L"AutoCAD Electrical 2025", L"<<ACADE>>");
  product(platform::RegRoot::LocalMachine, L"R18.2", L"ACAD-A001:409", L"AutoCAD 2012",
          L"<<Unnamed Profile>>");
  acadtest::MarkLastUsed(registry, acad2025);

  SetupRun run(medium, L"acad-products");
  PassToGroups(run, L"AutoCAD 2025\r\nAutoCAD Electrical 2025\r\nAutoCAD 2012\r\n");
  EXPECT_TRUE(welcomeNotice) << "the welcome page does not list the products in their order";

  HWND page = run.Page(kGraphProfile, L"graphic-editor-products");
  ASSERT_NE(page, nullptr);
  std::vector<HWND> combos = ChildrenOfClass(page, L"ComboBox");
  ASSERT_EQ(combos.size(), 3u);
  EXPECT_EQ(SendMessageW(combos[0], CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(Text(combos[0]), L"AutoCAD 2025");  // the one this user ran last
  SendMessageW(combos[0], CB_SETCURSEL, 1, 0);
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combos[0]), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combos[0]));
  EXPECT_EQ(Text(combos[2]), L"<<ACADE>>");
  run.Press(page, L"Далее >");
  FinishFromCopy(run);

  auto made = [&](const acadtest::ProductLayout& p) {
    platform::RegValue description;
    return registry.ReadValue(platform::RegRoot::CurrentUser,
                              acadtest::ProfilesKey(p) + L"\\Схемы Sketrion", L"",
                              &description) == platform::RegStatus::Ok &&
           platform::ValueText(description) == L"Sketrion 7.2";
  };
  EXPECT_TRUE(made(electrical)) << "the profile is not in Electrical's store";
  EXPECT_FALSE(made(acad2025));
}

TEST_F(AcadScenario, WithoutAReleaseThePageIsNeverShown) {
  SetupRun run(medium, L"acad-none");
  PassToGroups(run);
  HWND copy = run.Page(kCopy, L"copying");
  EXPECT_NE(copy, nullptr);
  EXPECT_EQ(WaitForWindow(run.pid(), kGraphProfile, 0), nullptr);
  EXPECT_TRUE(WaitGone(copy));
  run.Press(run.Page(kReadme, L"additional-software"), L"Далее >");
  HWND finish = run.Page(kExitWin, L"finish");
  run.Press(finish, L"Отказаться от перезагрузки", false);
  run.Press(finish, L"Готово", false);
  run.ExpectEnded();
}

}  // namespace
}  // namespace e2e
