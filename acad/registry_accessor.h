#pragma once
// A registry object in the manner the AutoCAD component is written against: one root key in
// force, one current key, paths with a leading backslash taken from the root and others from the
// current key. Failures the component does not expect are thrown as RegistryError with the texts
// "Invalid data type for '%s'", "Failed to create key %s", "Failed to set data for '%s'" and
// "Failed to get data for '%s'".
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace acad {

class RegistryError : public std::runtime_error {
 public:
  explicit RegistryError(const std::wstring& text);
  const std::wstring& Text() const { return text_; }

 private:
  std::wstring text_;
};

class RegistryAccessor {
 public:
  RegistryAccessor(platform::Registry& registry, platform::RegAccess access);

  // Changing the root closes the current key.
  void SetRootKey(platform::RegRoot root);
  platform::RegRoot RootKey() const { return root_; }

  // Opens an existing key and makes it current; false when it does not open, and then the
  // current key stays as it was.
  bool OpenKey(const std::wstring& key);
  void CloseKey();
  // Creates the key and its missing parents; the current key stays as it was.
  void CreateKey(const std::wstring& key);

  // Values of the current key. A missing string reads as empty; strings are REG_SZ or
  // REG_EXPAND_SZ, read raw (never expanded).
  std::wstring ReadString(const std::wstring& name);
  int32_t ReadInteger(const std::wstring& name);
  // RegType::None for a missing value.
  platform::RegType GetDataType(const std::wstring& name);
  void WriteString(const std::wstring& name, const std::wstring& value);
  void WriteInteger(const std::wstring& name, int32_t value);

  std::vector<std::wstring> GetValueNames();
  std::vector<std::wstring> GetKeyNames();

 private:
  // Win32 form of a key path (no leading backslash), absolute or relative to the current key.
  std::wstring Resolve(const std::wstring& key) const;
  bool ReadRaw(const std::wstring& name, platform::RegValue* value);

  platform::Registry& registry_;
  platform::RegAccess access_;
  platform::RegRoot root_ = platform::RegRoot::CurrentUser;
  bool open_ = false;
  std::wstring current_;  // Win32 path of the current key
};

}  // namespace acad
