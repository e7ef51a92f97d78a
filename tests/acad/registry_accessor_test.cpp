// The registry accessor: reading, writing and the errors it throws with their texts.
#include <gtest/gtest.h>

#include <functional>

#include "acad/registry_accessor.h"
#include "platform/fake/fake_registry.h"

namespace {

using acad::RegistryAccessor;
using acad::RegistryError;
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
};

TEST_F(Accessor, ReadsStringsRawAndNumbers) {
  RegistryAccessor reg(registry_, RegAccess::Read);
  reg.SetRootKey(RegRoot::CurrentUser);
  ASSERT_TRUE(reg.OpenKey(L"\\Software\\Test"));
  EXPECT_EQ(reg.ReadString(L"Text"), L"Текст");
  EXPECT_EQ(reg.ReadString(L"Path"), L"%TEMP%\\x");
  EXPECT_EQ(reg.ReadString(L"Missing"), L"");
  EXPECT_EQ(reg.ReadInteger(L"Number"), -2);
  EXPECT_EQ(reg.GetDataType(L"Path"), platform::RegType::ExpandString);
  EXPECT_EQ(reg.GetDataType(L"Missing"), platform::RegType::None);
  EXPECT_EQ(reg.GetValueNames(), (std::vector<std::wstring>{L"Text", L"Path", L"Number"}));
  EXPECT_EQ(reg.GetKeyNames(), std::vector<std::wstring>{L"Sub"});

  EXPECT_EQ(ErrorOf([&] { reg.ReadString(L"Number"); }), L"Invalid data type for 'Number'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"Text"); }), L"Invalid data type for 'Text'");
  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(L"Missing"); }), L"Failed to get data for 'Missing'");
}

TEST_F(Accessor, OpensRelativeToTheCurrentKeyAndKeepsItOnFailure) {
  RegistryAccessor reg(registry_, RegAccess::Read);
  ASSERT_TRUE(reg.OpenKey(L"\\Software\\Test"));
  EXPECT_FALSE(reg.OpenKey(L"\\Software\\Nothing"));
  EXPECT_EQ(reg.ReadString(L"Text"), L"Текст");  // still the earlier key
  ASSERT_TRUE(reg.OpenKey(L"Sub"));
  EXPECT_EQ(reg.ReadString(L"Text"), L"");
  reg.SetRootKey(RegRoot::LocalMachine);  // another root closes the key
  EXPECT_FALSE(reg.OpenKey(L"\\Software\\Test"));
}

TEST_F(Accessor, WritesAndReportsRefusals) {
  RegistryAccessor reg(registry_, RegAccess::Full);
  reg.CreateKey(L"\\Software\\New\\Deep");
  ASSERT_TRUE(reg.OpenKey(L"\\Software\\New\\Deep"));
  reg.WriteString(L"", L"описание");
  reg.WriteInteger(L"N", -5);
  EXPECT_EQ(reg.ReadString(L""), L"описание");
  EXPECT_EQ(reg.ReadInteger(L"N"), -5);

  registry_.DenyAccess(RegRoot::CurrentUser, L"Software\\New", RegAccess::Full);
  EXPECT_EQ(ErrorOf([&] { reg.WriteString(L"S", L"x"); }), L"Failed to set data for 'S'");
  EXPECT_EQ(ErrorOf([&] { reg.WriteInteger(L"N", 1); }), L"Failed to set data for 'N'");
  EXPECT_EQ(ErrorOf([&] { reg.CreateKey(L"\\Software\\New\\Other"); }),
            L"Failed to create key \\Software\\New\\Other");
}

}  // namespace
