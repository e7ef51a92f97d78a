#pragma once
// The real registry, in the view a 32-bit program sees (no KEY_WOW64_64KEY): on 64-bit Windows
// HKLM\Software is the 32-bit branch, where 32-bit AutoCAD releases and uninstall entries live.
// RegRoot::LocalMachineNative alone opens HKLM with KEY_WOW64_64KEY.
#include "platform/registry.h"

namespace platform {

class Win32Registry : public Registry {
 public:
  RegStatus OpenKey(RegRoot root, const std::wstring& path, RegAccess access) override;
  RegStatus CreateKey(RegRoot root, const std::wstring& path) override;
  RegStatus DeleteTree(RegRoot root, const std::wstring& path) override;
  RegStatus ReadValue(RegRoot root, const std::wstring& path, const std::wstring& name,
                      RegValue* value) override;
  RegStatus WriteValue(RegRoot root, const std::wstring& path, const std::wstring& name,
                       const RegValue& value) override;
  RegStatus DeleteValue(RegRoot root, const std::wstring& path, const std::wstring& name) override;
  RegStatus ListSubkeys(RegRoot root, const std::wstring& path,
                        std::vector<std::wstring>* names) override;
  RegStatus ListValues(RegRoot root, const std::wstring& path,
                       std::vector<std::wstring>* names) override;
};

}  // namespace platform
