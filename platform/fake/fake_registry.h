#pragma once
// An in-memory registry for tests. Like Win32 it refuses a path with a leading backslash,
// enumerates subkeys sorted case-blind and values in the order they were created. Both roots
// start with an empty "Software" key, as on any machine; the native view of HKLM is a tree of its
// own, as on 64-bit Windows. A test can refuse access to a key and
// everything under it.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace platform {

class FakeRegistry : public Registry {
 public:
  FakeRegistry();
  ~FakeRegistry() override;

  // Refuses access to the key and its subtree: `Full` refuses opening for full access and every
  // change (reading still works), `Read` refuses everything.
  void DenyAccess(RegRoot root, const std::wstring& path, RegAccess denied);
  // Makes every call fail with RegStatus::Failed (a registry that cannot be reached).
  void FailEverything(bool fail) { fail_all_ = fail; }

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

 private:
  struct Key;
  struct Denial {
    RegRoot root;
    std::vector<std::wstring> path;  // folded components
    RegAccess denied;
  };
  enum class Need { Read, Write };

  // Splits a path into folded components; false for a malformed path (leading backslash, empty
  // component).
  static bool SplitPath(const std::wstring& path, std::vector<std::wstring>* parts,
                        std::vector<std::wstring>* names);
  RegStatus Check(RegRoot root, const std::vector<std::wstring>& folded, Need need) const;
  Key* RootOf(RegRoot root) const;
  Key* Find(RegRoot root, const std::vector<std::wstring>& folded) const;
  // Resolves path for an operation needing `need`; sets *key (null when missing).
  RegStatus Resolve(RegRoot root, const std::wstring& path, Need need, Key** key) const;

  std::unique_ptr<Key> hkcu_;
  std::unique_ptr<Key> hklm_;
  std::unique_ptr<Key> hklm_native_;
  std::vector<Denial> denials_;
  bool fail_all_ = false;
};

}  // namespace platform
