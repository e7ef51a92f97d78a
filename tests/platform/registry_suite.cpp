#include "registry_suite.h"

#include <vector>

using platform::RegAccess;
using platform::RegRoot;
using platform::RegStatus;
using platform::RegType;
using platform::RegValue;

namespace {
constexpr RegRoot kUser = RegRoot::CurrentUser;

std::vector<std::wstring> Subkeys(platform::Registry& reg, const std::wstring& path) {
  std::vector<std::wstring> names{L"stale"};
  EXPECT_EQ(reg.ListSubkeys(kUser, path, &names), RegStatus::Ok);
  return names;
}

std::vector<std::wstring> Values(platform::Registry& reg, const std::wstring& path) {
  std::vector<std::wstring> names{L"stale"};
  EXPECT_EQ(reg.ListValues(kUser, path, &names), RegStatus::Ok);
  return names;
}
}  // namespace

void RegistrySuite::SetUp() {
  reg = GetParam().make();
  // One key per test and implementation: "Software\SketrionSetupTests\<test>_<maker>".
  std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
  root_ = L"Software\\SketrionSetupTests\\";
  for (char c : name) root_.push_back(c == '/' ? L'_' : static_cast<wchar_t>(c));
  reg->DeleteTree(kUser, root_);
  ASSERT_EQ(reg->CreateKey(kUser, root_), RegStatus::Ok);
}

void RegistrySuite::TearDown() {
  if (reg) reg->DeleteTree(kUser, root_);
}

TEST_P(RegistrySuite, KeysAreCreatedWithTheirParentsOpenedAndDeletedWithTheirTree) {
  EXPECT_EQ(reg->OpenKey(kUser, Sub(L"a"), RegAccess::Read), RegStatus::NotFound);
  ASSERT_EQ(reg->CreateKey(kUser, Sub(L"a\\b\\c")), RegStatus::Ok);
  EXPECT_EQ(reg->CreateKey(kUser, Sub(L"A\\B")), RegStatus::Ok);  // existing, any case
  EXPECT_EQ(reg->OpenKey(kUser, Sub(L"a\\b"), RegAccess::Read), RegStatus::Ok);
  EXPECT_EQ(reg->OpenKey(kUser, Sub(L"A\\B\\C"), RegAccess::Full), RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(kUser, Sub(L"a\\b\\c"), L"v", platform::DwordValue(1)), RegStatus::Ok);
  EXPECT_EQ(reg->DeleteTree(kUser, Sub(L"a\\B")), RegStatus::Ok);
  EXPECT_EQ(reg->OpenKey(kUser, Sub(L"a\\b\\c"), RegAccess::Read), RegStatus::NotFound);
  EXPECT_EQ(reg->OpenKey(kUser, Sub(L"a"), RegAccess::Read), RegStatus::Ok);
  EXPECT_EQ(reg->DeleteTree(kUser, Sub(L"never")), RegStatus::NotFound);
}

TEST_P(RegistrySuite, ALeadingBackslashIsRefusedUntilStripped) {
  const std::wstring model_path = L"\\" + Root();
  EXPECT_NE(reg->OpenKey(kUser, model_path, RegAccess::Read), RegStatus::Ok);
  EXPECT_NE(reg->CreateKey(kUser, L"\\" + Sub(L"x")), RegStatus::Ok);
  EXPECT_EQ(reg->OpenKey(kUser, Sub(L"x"), RegAccess::Read), RegStatus::NotFound);
  EXPECT_EQ(reg->OpenKey(kUser, platform::RegistryPath(model_path), RegAccess::Read), RegStatus::Ok);
  EXPECT_EQ(platform::RegistryPath(L"\\Software\\Autodesk"), L"Software\\Autodesk");
  EXPECT_EQ(platform::RegistryPath(L"Software"), L"Software");
}

TEST_P(RegistrySuite, ValuesKeepTheirTypeAndBytes) {
  const std::wstring key = Root();
  RegValue binary;
  binary.type = RegType::Binary;
  binary.data = {0, 1, 2, 0xFF};
  RegValue multi;
  multi.type = RegType::MultiString;
  multi.data = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
  ASSERT_EQ(reg->WriteValue(kUser, key, L"Text", platform::StringValue(L"Профиль «Схемы» Ёё")), RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(kUser, key, L"Expand",
                            platform::StringValue(L"%SystemRoot%\\x", RegType::ExpandString)),
            RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(kUser, key, L"Number", platform::DwordValue(0x12345678)), RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(kUser, key, L"Bytes", binary), RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(kUser, key, L"Multi", multi), RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(kUser, key, L"", platform::StringValue(L"default")), RegStatus::Ok);

  RegValue v;
  ASSERT_EQ(reg->ReadValue(kUser, key, L"TEXT", &v), RegStatus::Ok);
  EXPECT_EQ(v.type, RegType::String);
  EXPECT_EQ(platform::ValueText(v), L"Профиль «Схемы» Ёё");
  ASSERT_EQ(reg->ReadValue(kUser, key, L"expand", &v), RegStatus::Ok);
  EXPECT_EQ(v.type, RegType::ExpandString);
  EXPECT_EQ(platform::ValueText(v), L"%SystemRoot%\\x");  // raw, never expanded
  ASSERT_EQ(reg->ReadValue(kUser, key, L"Number", &v), RegStatus::Ok);
  EXPECT_EQ(v.type, RegType::Dword);
  EXPECT_EQ(v.data, (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(platform::ValueText(v), L"");
  ASSERT_EQ(reg->ReadValue(kUser, key, L"Bytes", &v), RegStatus::Ok);
  EXPECT_EQ(v.type, RegType::Binary);
  EXPECT_EQ(v.data, binary.data);
  ASSERT_EQ(reg->ReadValue(kUser, key, L"Multi", &v), RegStatus::Ok);
  EXPECT_EQ(v.data, multi.data);
  ASSERT_EQ(reg->ReadValue(kUser, key, L"", &v), RegStatus::Ok);
  EXPECT_EQ(platform::ValueText(v), L"default");

  EXPECT_EQ(reg->ReadValue(kUser, key, L"Missing", &v), RegStatus::NotFound);
  EXPECT_EQ(reg->ReadValue(kUser, Sub(L"none"), L"Text", &v), RegStatus::NotFound);
  EXPECT_EQ(reg->WriteValue(kUser, Sub(L"none"), L"Text", platform::DwordValue(1)), RegStatus::NotFound);
}

TEST_P(RegistrySuite, RewritingAValueKeepsItsNameAndPlace) {
  const std::wstring key = Root();
  ASSERT_EQ(reg->WriteValue(kUser, key, L"Zeta", platform::DwordValue(1)), RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(kUser, key, L"alpha", platform::DwordValue(2)), RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(kUser, key, L"Mid", platform::DwordValue(3)), RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(kUser, key, L"ZETA", platform::StringValue(L"now text")), RegStatus::Ok);
  const bool creation_order = GetParam().valuesInCreationOrder;
  EXPECT_EQ(Values(*reg, key), creation_order ? (std::vector<std::wstring>{L"Zeta", L"alpha", L"Mid"})
                                               : (std::vector<std::wstring>{L"alpha", L"Mid", L"Zeta"}));
  RegValue v;
  ASSERT_EQ(reg->ReadValue(kUser, key, L"zeta", &v), RegStatus::Ok);
  EXPECT_EQ(v.type, RegType::String);
  EXPECT_EQ(reg->DeleteValue(kUser, key, L"ALPHA"), RegStatus::Ok);
  EXPECT_EQ(reg->DeleteValue(kUser, key, L"alpha"), RegStatus::NotFound);
  EXPECT_EQ(Values(*reg, key), creation_order ? (std::vector<std::wstring>{L"Zeta", L"Mid"})
                                               : (std::vector<std::wstring>{L"Mid", L"Zeta"}));
}

// Names whose order is the same whether folded up (Windows) or down (Wine); the characters
// between "Z" and "a", and Yo, are ordered in the fake's own test.
TEST_P(RegistrySuite, SubkeysEnumerateSortedWithoutRegardToCase) {
  const std::wstring key = Root();
  for (const wchar_t* name : {L"b", L"R16.0", L"A", L"r15.0", L"Профиль", L"абв", L"c1", L"C0", L"ACAD-1:409"})
    ASSERT_EQ(reg->CreateKey(kUser, key + L"\\" + name), RegStatus::Ok);
  EXPECT_EQ(Subkeys(*reg, key), (std::vector<std::wstring>{L"A", L"ACAD-1:409", L"b", L"C0", L"c1", L"r15.0",
                                                            L"R16.0", L"абв", L"Профиль"}));
  EXPECT_EQ(Values(*reg, key), std::vector<std::wstring>{});
}

TEST_P(RegistrySuite, ListingAMissingKeyReportsIt) {
  std::vector<std::wstring> names{L"stale"};
  EXPECT_EQ(reg->ListSubkeys(kUser, Sub(L"none"), &names), RegStatus::NotFound);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(reg->ListValues(kUser, Sub(L"none"), &names), RegStatus::NotFound);
}

TEST_P(RegistrySuite, TheMachinesSoftwareKeyIsThere) {
  EXPECT_EQ(reg->OpenKey(RegRoot::LocalMachine, L"Software", RegAccess::Read), RegStatus::Ok);
  EXPECT_EQ(reg->OpenKey(RegRoot::LocalMachine, L"SOFTWARE", RegAccess::Read), RegStatus::Ok);
}

TEST_P(RegistrySuite, TheMachinesNativeViewKeepsKeysAndValuesOfItsOwn) {
  const RegRoot native = RegRoot::LocalMachineNative;
  const std::wstring key = L"Software\\SketrionSetupTests\\native\\" + Root().substr(Root().rfind(L'\\') + 1);
  EXPECT_EQ(reg->OpenKey(native, L"Software", RegAccess::Read), RegStatus::Ok);
  ASSERT_EQ(reg->CreateKey(native, key + L"\\inner"), RegStatus::Ok);
  ASSERT_EQ(reg->WriteValue(native, key, L"font (TrueType)", platform::StringValue(L"GOST.TTF")), RegStatus::Ok);
  platform::RegValue value;
  ASSERT_EQ(reg->ReadValue(native, key, L"FONT (TRUETYPE)", &value), RegStatus::Ok);
  EXPECT_EQ(platform::ValueText(value), L"GOST.TTF");
  EXPECT_EQ(reg->DeleteTree(native, key), RegStatus::Ok);
  EXPECT_EQ(reg->OpenKey(native, key, RegAccess::Read), RegStatus::NotFound);
  EXPECT_EQ(reg->DeleteTree(native, key), RegStatus::NotFound);
}
