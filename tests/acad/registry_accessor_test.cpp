// The registry accessor: every call names its key; reading, writing and the errors it throws.
#include <gtest/gtest.h>

#include <functional>

#ifdef _WIN32
#include <windows.h>
#endif

#include "acad/registry_accessor.h"
#include "platform/fake/fake_registry.h"

namespace {

using acad::RegistryAccessor;
using acad::RegistryError;
using acad::UserKey;
using platform::RegAccess;
using platform::RegRoot;

std::wstring ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RegistryError& e) {
    return e.Text();
  }
  return L"(no error)";
}

class Accessor : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.CreateKey(RegRoot::CurrentUser, L"Software\\Test\\Sub");
    registry_.WriteValue(RegRoot::CurrentUser, L"Software\\Test", L"Text", platform::StringValue(L"Текст"));
    registry_.WriteValue(RegRoot::CurrentUser, L"Software\\Test", L"Path",
                         platform::StringValue(L"%TEMP%\\x", platform::RegType::ExpandString));
    registry_.WriteValue(RegRoot::CurrentUser, L"Software\\Test", L"Number", platform::DwordValue(0xFFFFFFFEu));
  }
  platform::FakeRegistry registry_;
  const acad::RegKey test_ = UserKey(L"\\Software\\Test");
};

TEST_F(Accessor, ReadsStringsRawAndNumbers) {
  const RegistryAccessor reg(registry_, RegAccess::Read);
  EXPECT_EQ(reg.ReadString(test_, L"Text"), L"Текст");
  EXPECT_EQ(reg.ReadString(test_, L"Path"), L"%TEMP%\\x");
  EXPECT_EQ(reg.ReadString(test_, L"Missing"), L"");
  EXPECT_EQ(reg.ReadInteger(test_, L"Number"), -2);
  EXPECT_EQ(reg.GetDataType(test_, L"Path"), platform::RegType::ExpandString);
  EXPECT_EQ(reg.GetDataType(test_, L"Missing"), platform::RegType::None);
  EXPECT_EQ(reg.GetValueNames(test_), (std::vector<std::wstring>{L"Text", L"Path", L"Number"}));
  EXPECT_EQ(reg.GetKeyNames(test_), std::vector<std::wstring>{L"Sub"});

  EXPECT_EQ(ErrorOf([&] { reg.ReadString(test_, L"Number"); }), L"Invalid data type for 'Number'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(test_, L"Text"); }), L"Invalid data type for 'Text'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(test_, L"Missing"); }),
            L"Failed to get data for 'Missing'");
}

TEST_F(Accessor, EachCallReadsTheKeyItNames) {
  const RegistryAccessor reg(registry_, RegAccess::Read);
  EXPECT_TRUE(reg.KeyOpens(test_));
  EXPECT_FALSE(reg.KeyOpens(UserKey(L"\\Software\\Nothing")));
  // A key that did not open changes nothing for the next call, nor does another root.
  EXPECT_EQ(reg.ReadString(test_, L"Text"), L"Текст");
  EXPECT_FALSE(reg.KeyOpens(acad::MachineKey(test_.path)));
  EXPECT_EQ(reg.ReadString(acad::Subkey(test_, L"Sub"), L"Text"), L"");
  EXPECT_EQ(reg.ReadString(UserKey(L"\\Software\\Nothing"), L"Text"), L"");
  EXPECT_TRUE(reg.GetKeyNames(UserKey(L"\\Software\\Nothing")).empty());

  // The accessor's access decides what opens.
  registry_.DenyAccess(RegRoot::CurrentUser, L"Software\\Test", RegAccess::Full);
  EXPECT_TRUE(reg.KeyOpens(test_));
  EXPECT_FALSE(RegistryAccessor(registry_, RegAccess::Full).KeyOpens(test_));
}

TEST_F(Accessor, WritesAndReportsRefusals) {
  const RegistryAccessor reg(registry_, RegAccess::Full);
  const acad::RegKey deep = UserKey(L"\\Software\\New\\Deep");
  reg.CreateKey(deep);
  reg.WriteString(deep, L"", L"описание");
  reg.WriteInteger(deep, L"N", -5);
  EXPECT_EQ(reg.ReadString(deep, L""), L"описание");
  EXPECT_EQ(reg.ReadInteger(deep, L"N"), -5);
  EXPECT_EQ(ErrorOf([&] { reg.WriteString(UserKey(L"\\Software\\Gone"), L"S", L"x"); }),
            L"Failed to set data for 'S'");

  registry_.DenyAccess(RegRoot::CurrentUser, L"Software\\New", RegAccess::Full);
  EXPECT_EQ(ErrorOf([&] { reg.WriteString(deep, L"S", L"x"); }), L"Failed to set data for 'S'");
  EXPECT_EQ(ErrorOf([&] { reg.WriteInteger(deep, L"N", 1); }), L"Failed to set data for 'N'");
  EXPECT_EQ(ErrorOf([&] { reg.CreateKey(UserKey(L"\\Software\\New\\Other")); }),
            L"Failed to create key \\Software\\New\\Other");
}

// what() is for handlers that know only std::exception, such as the general error box: proper
// UTF-8, a character past U+FFFF (a surrogate pair on Windows) as one 4-byte sequence.
TEST_F(Accessor, ErrorTextIsUtf8) {
  registry_.WriteValue(RegRoot::CurrentUser, L"Software\\Test", L"\xD834x",
                       platform::DwordValue(1));
  registry_.DenyAccess(RegRoot::CurrentUser, L"Software\\Test", RegAccess::Full);
  const RegistryAccessor reg(registry_, RegAccess::Read);
  try {
    reg.CreateKey(acad::Subkey(test_, L"Ноты \U0001D11E"));
    FAIL() << "no registry error";
  } catch (const RegistryError& e) {
    EXPECT_STREQ(e.what(),
                 "Failed to create key \\Software\\Test\\"
                 "\xD0\x9D\xD0\xBE\xD1\x82\xD1\x8B \xF0\x9D\x84\x9E");
#ifdef _WIN32
    // The error box's strict decoding gives the text back whole.
    wchar_t decoded[128] = {};
    ASSERT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, e.what(), -1, decoded, 128), 0);
    EXPECT_EQ(std::wstring(decoded), e.Text());
#endif
  }
  // Half a pair is no character: it becomes U+FFFD.
  try {
    reg.ReadString(test_, L"\xD834x");
    FAIL() << "no registry error";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for '\xEF\xBF\xBDx'");
  }
}

}  // namespace
