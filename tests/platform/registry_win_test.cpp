// The shared registry suite over the real registry, and the 32-bit view the installer keeps.
#include <windows.h>

#include "platform/win32/registry_win.h"
#include "registry_suite.h"

using platform::RegAccess;
using platform::RegRoot;
using platform::RegStatus;

INSTANTIATE_TEST_SUITE_P(
    Win32, RegistrySuite,
    testing::Values(RegistryMaker{"Win32", [] { return std::unique_ptr<platform::Registry>(new platform::Win32Registry); },
                                  /*valuesInCreationOrder=*/false}),
    [](const testing::TestParamInfo<RegistryMaker>& info) { return info.param.name; });

namespace {

bool KeyExistsInView(const wchar_t* path, REGSAM view) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool Is64BitWindows() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace

TEST(Win32Registry, WritesTheMachineKeysOfThe32BitView) {
  platform::Win32Registry reg;
  const wchar_t* path = L"Software\\SketrionSetupTests\\View";
  reg.DeleteTree(RegRoot::LocalMachine, path);
  ASSERT_EQ(reg.CreateKey(RegRoot::LocalMachine, path), RegStatus::Ok);
  EXPECT_TRUE(KeyExistsInView(path, KEY_WOW64_32KEY));
  if (Is64BitWindows()) EXPECT_FALSE(KeyExistsInView(path, KEY_WOW64_64KEY));
  EXPECT_EQ(reg.DeleteTree(RegRoot::LocalMachine, L"Software\\SketrionSetupTests"), RegStatus::Ok);
  EXPECT_FALSE(KeyExistsInView(path, KEY_WOW64_32KEY));
}

TEST(Win32Registry, AnAdministratorOpensTheMachinesSoftwareKeyForFullAccess) {
  // Wine runs every program as an administrator.
  platform::Win32Registry reg;
  EXPECT_EQ(reg.OpenKey(RegRoot::LocalMachine, L"Software", RegAccess::Full), RegStatus::Ok);
}
