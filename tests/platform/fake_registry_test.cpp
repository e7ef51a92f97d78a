// The shared registry suite over the fake, and what only the fake can do: refuse access.
#include "platform/fake/fake_registry.h"

#include "registry_suite.h"

using platform::RegAccess;
using platform::RegRoot;
using platform::RegStatus;

INSTANTIATE_TEST_SUITE_P(Fake, RegistrySuite,
                         testing::Values(RegistryMaker{"Fake", [] {
                           return std::unique_ptr<platform::Registry>(new platform::FakeRegistry);
                         }}),
                         [](const testing::TestParamInfo<RegistryMaker>& info) { return info.param.name; });

TEST(FakeRegistry, DenyingFullAccessStillLetsTheKeyBeRead) {
  platform::FakeRegistry reg;
  ASSERT_EQ(reg.CreateKey(RegRoot::LocalMachine, L"Software\\Vendor\\App"), RegStatus::Ok);
  reg.DenyAccess(RegRoot::LocalMachine, L"software\\VENDOR", RegAccess::Full);
  EXPECT_EQ(reg.OpenKey(RegRoot::LocalMachine, L"Software\\Vendor", RegAccess::Full), RegStatus::AccessDenied);
  EXPECT_EQ(reg.OpenKey(RegRoot::LocalMachine, L"Software\\Vendor\\App", RegAccess::Full), RegStatus::AccessDenied);
  EXPECT_EQ(reg.OpenKey(RegRoot::LocalMachine, L"Software\\Vendor\\App", RegAccess::Read), RegStatus::Ok);
  EXPECT_EQ(reg.CreateKey(RegRoot::LocalMachine, L"Software\\Vendor\\New"), RegStatus::AccessDenied);
  EXPECT_EQ(reg.WriteValue(RegRoot::LocalMachine, L"Software\\Vendor", L"v", platform::DwordValue(1)),
            RegStatus::AccessDenied);
  EXPECT_EQ(reg.DeleteTree(RegRoot::LocalMachine, L"Software\\Vendor"), RegStatus::AccessDenied);
  // The parent and the other root are untouched.
  EXPECT_EQ(reg.OpenKey(RegRoot::LocalMachine, L"Software", RegAccess::Full), RegStatus::Ok);
  ASSERT_EQ(reg.CreateKey(RegRoot::CurrentUser, L"Software\\Vendor"), RegStatus::Ok);
  EXPECT_EQ(reg.OpenKey(RegRoot::CurrentUser, L"Software\\Vendor", RegAccess::Full), RegStatus::Ok);
}

TEST(FakeRegistry, DenyingReadRefusesEverything) {
  platform::FakeRegistry reg;
  ASSERT_EQ(reg.CreateKey(RegRoot::CurrentUser, L"Software\\Autodesk\\AutoCAD"), RegStatus::Ok);
  reg.DenyAccess(RegRoot::CurrentUser, L"Software\\Autodesk", RegAccess::Read);
  std::vector<std::wstring> names;
  platform::RegValue value;
  EXPECT_EQ(reg.OpenKey(RegRoot::CurrentUser, L"Software\\Autodesk", RegAccess::Read), RegStatus::AccessDenied);
  EXPECT_EQ(reg.ListSubkeys(RegRoot::CurrentUser, L"Software\\Autodesk", &names), RegStatus::AccessDenied);
  EXPECT_EQ(reg.ReadValue(RegRoot::CurrentUser, L"Software\\Autodesk\\AutoCAD", L"CurVer", &value),
            RegStatus::AccessDenied);
  // A missing key is reported missing, as the real registry does before it checks access.
  EXPECT_EQ(reg.OpenKey(RegRoot::CurrentUser, L"Software\\Autodesk\\None", RegAccess::Read), RegStatus::NotFound);
}

TEST(FakeRegistry, ARegistryThatFailsFailsEveryCall) {
  platform::FakeRegistry reg;
  reg.FailEverything(true);
  std::vector<std::wstring> names;
  EXPECT_EQ(reg.OpenKey(RegRoot::LocalMachine, L"Software", RegAccess::Read), RegStatus::Failed);
  EXPECT_EQ(reg.CreateKey(RegRoot::CurrentUser, L"Software\\X"), RegStatus::Failed);
  EXPECT_EQ(reg.ListSubkeys(RegRoot::CurrentUser, L"Software", &names), RegStatus::Failed);
  reg.FailEverything(false);
  EXPECT_EQ(reg.OpenKey(RegRoot::CurrentUser, L"Software\\X", RegAccess::Read), RegStatus::NotFound);
}

// Windows compares key names folded to upper case, so "_" (after "Z") follows the letters and
// Yo (U+0401) precedes the other Cyrillic capitals. Wine folds to lower case and orders both
// differently; the fake keeps Windows' order.
TEST(FakeRegistry, SubkeysFollowWindowsUpperCaseOrder) {
  platform::FakeRegistry reg;
  for (const wchar_t* name : {L"_under", L"b", L"Ёлка", L"абв", L"A", L"яблоко"})
    ASSERT_EQ(reg.CreateKey(RegRoot::CurrentUser, std::wstring(L"Software\\T\\") + name), RegStatus::Ok);
  std::vector<std::wstring> names;
  ASSERT_EQ(reg.ListSubkeys(RegRoot::CurrentUser, L"Software\\T", &names), RegStatus::Ok);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"A", L"b", L"_under", L"Ёлка", L"абв", L"яблоко"}));
}

TEST(FakeRegistry, ValuesEnumerateInCreationOrder) {
  platform::FakeRegistry reg;
  for (const wchar_t* name : {L"Zeta", L"alpha", L"Mid"})
    ASSERT_EQ(reg.WriteValue(RegRoot::CurrentUser, L"Software", name, platform::DwordValue(1)), RegStatus::Ok);
  // A value made again goes to the end.
  ASSERT_EQ(reg.DeleteValue(RegRoot::CurrentUser, L"Software", L"ALPHA"), RegStatus::Ok);
  ASSERT_EQ(reg.WriteValue(RegRoot::CurrentUser, L"Software", L"alpha", platform::DwordValue(2)), RegStatus::Ok);
  std::vector<std::wstring> names;
  ASSERT_EQ(reg.ListValues(RegRoot::CurrentUser, L"Software", &names), RegStatus::Ok);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Zeta", L"Mid", L"alpha"}));
}
