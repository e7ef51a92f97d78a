#pragma once
// The machine for tests: the Windows folder, the program's path, the current folder and the
// free space of each drive are plain fields.
#include <map>
#include <string>

#include "platform/system.h"

namespace platform {

class FakeSystem : public System {
 public:
  std::wstring windowsDir = L"C:\\WINDOWS";
  std::wstring modulePath = L"D:\\Setup.exe";
  std::wstring currentDir = L"D:\\";
  // Free bytes by drive letter (upper case); a drive not listed reports -1.
  std::map<wchar_t, int64_t> freeSpace;

  std::wstring WindowsDir() override { return windowsDir; }
  std::wstring ModulePath() override { return modulePath; }
  std::wstring CurrentDir() override { return currentDir; }
  int64_t FreeSpace(const std::wstring& root) override;
};

}  // namespace platform
