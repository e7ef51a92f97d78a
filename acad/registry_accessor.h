#pragma once
// Registry access for the AutoCAD component. Every call names its key, root and path; nothing
// stays open between calls. Failures the component does not expect are thrown as RegistryError
// with the texts "Invalid data type for '%s'", "Failed to create key %s", "Failed to set data
// for '%s'" and "Failed to get data for '%s'".
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace acad {

class RegistryError : public std::runtime_error {
 public:
  // what() holds the text as UTF-8 for handlers that know only std::exception.
  explicit RegistryError(const std::wstring& text);
  const std::wstring& Text() const { return text_; }

 private:
  std::wstring text_;
};

// A key as the component names it: a root and a path from it with a leading backslash
// ("\Software\Autodesk\AutoCAD\R16.0").
struct RegKey {
  platform::RegRoot root;
  std::wstring path;
};
inline RegKey MachineKey(const std::wstring& path) {
  return {platform::RegRoot::LocalMachine, path};
}
inline RegKey UserKey(const std::wstring& path) { return {platform::RegRoot::CurrentUser, path}; }
inline RegKey Subkey(const RegKey& key, const std::wstring& name) {
  return {key.root, key.path + L"\\" + name};
}

class RegistryAccessor {
 public:
  // `access` is what KeyOpens asks for: reading for detection, full access for the profile copy.
  RegistryAccessor(platform::Registry& registry, platform::RegAccess access);

  // Whether the key exists and opens with the accessor's access (it is closed again at once).
  bool KeyOpens(const RegKey& key) const;
  // Creates the key and its missing parents.
  void CreateKey(const RegKey& key) const;

  // A missing string reads as empty; strings are REG_SZ or REG_EXPAND_SZ, read raw (never
  // expanded).
  std::wstring ReadString(const RegKey& key, const std::wstring& name) const;
  int32_t ReadInteger(const RegKey& key, const std::wstring& name) const;
  // RegType::None for a missing value.
  platform::RegType GetDataType(const RegKey& key, const std::wstring& name) const;
  void WriteString(const RegKey& key, const std::wstring& name, const std::wstring& text) const;
  void WriteInteger(const RegKey& key, const std::wstring& name, int32_t number) const;

  // Empty when the key does not list.
  std::vector<std::wstring> GetValueNames(const RegKey& key) const;
  std::vector<std::wstring> GetKeyNames(const RegKey& key) const;

 private:
  // False for a missing value.
  bool ReadRaw(const RegKey& key, const std::wstring& name, platform::RegValue* value) const;
  void Write(const RegKey& key, const std::wstring& name, const platform::RegValue& value) const;

  platform::Registry& registry_;
  platform::RegAccess access_;
};

}  // namespace acad
