#pragma once
// The Windows registry, as the installer uses it: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER,
// keys addressed by path. Implemented over Win32 (platform/win32) and in memory (FakeRegistry)
// for native tests; one test suite runs against both.
//
// Paths here are Win32 subkey paths: no leading backslash ("Software\\Autodesk"). The model
// writes AutoCAD's keys with a leading backslash; RegistryPath strips it before a call, and both
// implementations refuse a path that still starts with one (as RegOpenKeyExW does).
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// LocalMachine is the view this 32-bit program sees (on 64-bit Windows, HKLM\Software is its
// 32-bit branch); LocalMachineNative is the machine's own view, for the few keys Windows itself
// reads there (the registered fonts). On 32-bit Windows the two are one.
enum class RegRoot { CurrentUser, LocalMachine, LocalMachineNative };

enum class RegAccess { Read, Full };

// The stored type of a value, numbered as Win32's REG_* constants.
enum class RegType : uint32_t {
  None = 0, String = 1, ExpandString = 2, Binary = 3, Dword = 4, DwordBigEndian = 5,
  Link = 6, MultiString = 7, Qword = 11,
};

enum class RegStatus { Ok, NotFound, AccessDenied, Failed };

// Raw value: strings are UTF-16 with their terminating NUL, as RegQueryValueExW returns them.
// REG_EXPAND_SZ is never expanded.
struct RegValue {
  RegType type = RegType::None;
  std::vector<uint8_t> data;
};

// The Win32 form of a model's key path: the leading backslashes removed
// ("\Software\Autodesk" -> "Software\Autodesk").
inline std::wstring RegistryPath(const std::wstring& modelPath) {
  size_t start = modelPath.find_first_not_of(L'\\');
  return start == std::wstring::npos ? std::wstring() : modelPath.substr(start);
}

// A REG_SZ (or REG_EXPAND_SZ) value holding text, with its terminating NUL.
RegValue StringValue(const std::wstring& text, RegType type = RegType::String);
// A REG_DWORD value.
RegValue DwordValue(uint32_t number);
// The text of a REG_SZ/REG_EXPAND_SZ value, up to its first NUL (raw, never expanded); empty for
// other types.
std::wstring ValueText(const RegValue& value);

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens the key with the given access without creating it (RegOpenKeyExW).
  virtual RegStatus OpenKey(RegRoot root, const std::wstring& path, RegAccess access) = 0;
  // Creates the key and any missing parents (RegCreateKeyExW).
  virtual RegStatus CreateKey(RegRoot root, const std::wstring& path) = 0;
  // Deletes the key with all its subkeys.
  virtual RegStatus DeleteTree(RegRoot root, const std::wstring& path) = 0;

  // An empty name is the key's default (unnamed) value.
  virtual RegStatus ReadValue(RegRoot root, const std::wstring& path, const std::wstring& name,
                              RegValue* value) = 0;
  virtual RegStatus WriteValue(RegRoot root, const std::wstring& path, const std::wstring& name,
                               const RegValue& value) = 0;
  virtual RegStatus DeleteValue(RegRoot root, const std::wstring& path,
                                const std::wstring& name) = 0;

  // Names in the order the real registry enumerates them: subkeys sorted case-blind;
  // values in the order they were created.
  virtual RegStatus ListSubkeys(RegRoot root, const std::wstring& path,
                                std::vector<std::wstring>* names) = 0;
  virtual RegStatus ListValues(RegRoot root, const std::wstring& path,
                               std::vector<std::wstring>* names) = 0;
};

}  // namespace platform
