#include "platform/win32/registry_win.h"

#include <windows.h>

#include "platform/win32/scoped_win.h"

namespace platform {
namespace {

HKEY RootKey(RegRoot root) { return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// The access rights with the view of the root (Windows ignores the flag on 32-bit systems).
REGSAM InView(RegRoot root, REGSAM access) {
  return root == RegRoot::LocalMachineNative ? access | KEY_WOW64_64KEY : access;
}

RegStatus StatusOf(LSTATUS code) {
  switch (code) {
    case ERROR_SUCCESS: return RegStatus::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return RegStatus::NotFound;
    case ERROR_ACCESS_DENIED: return RegStatus::AccessDenied;
    default: return RegStatus::Failed;
  }
}

// An open key, closed when it goes out of scope.
class OpenedKey {
 public:
  OpenedKey(RegRoot root, const std::wstring& path, REGSAM access) {
    status_ = StatusOf(
        RegOpenKeyExW(RootKey(root), path.c_str(), 0, InView(root, access), key_.Receive()));
    if (status_ != RegStatus::Ok) key_.Release();  // nothing was opened
  }

  RegStatus Status() const { return status_; }
  HKEY Handle() const { return key_.Get(); }

 private:
  ScopedRegistryKey key_;
  RegStatus status_;
};

}  // namespace

RegStatus Win32Registry::OpenKey(RegRoot root, const std::wstring& path, RegAccess access) {
  return OpenedKey(root, path, access == RegAccess::Full ? KEY_ALL_ACCESS : KEY_READ).Status();
}

RegStatus Win32Registry::CreateKey(RegRoot root, const std::wstring& path) {
  ScopedRegistryKey key;
  LSTATUS code = RegCreateKeyExW(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 InView(root, KEY_WRITE), nullptr, key.Receive(), nullptr);
  if (code != ERROR_SUCCESS) key.Release();  // nothing was created
  return StatusOf(code);
}

RegStatus Win32Registry::DeleteTree(RegRoot root, const std::wstring& path) {
  // Open first, so a missing or refused key reports as such before anything is deleted; the
  // open key keeps its view, which RegDeleteTreeW on a path of the root would not.
  OpenedKey key(root, path, KEY_READ | KEY_WRITE | DELETE);
  if (key.Status() != RegStatus::Ok) return key.Status();
  LSTATUS code = RegDeleteTreeW(key.Handle(), nullptr);
  if (code != ERROR_SUCCESS || path.empty()) return StatusOf(code);
  return StatusOf(RegDeleteKeyExW(RootKey(root), path.c_str(), InView(root, 0), 0));
}

RegStatus Win32Registry::ReadValue(RegRoot root, const std::wstring& path, const std::wstring& name,
                                   RegValue* value) {
  OpenedKey key(root, path, KEY_QUERY_VALUE);
  if (key.Status() != RegStatus::Ok) return key.Status();
  DWORD type = 0, size = 0;
  LSTATUS code = RegQueryValueExW(key.Handle(), name.c_str(), nullptr, &type, nullptr, &size);
  // The value may grow between the two calls: ask again until the buffer holds it.
  for (int attempt = 0; code == ERROR_SUCCESS || code == ERROR_MORE_DATA; ++attempt) {
    value->data.assign(size, 0);
    code = RegQueryValueExW(key.Handle(), name.c_str(), nullptr, &type,
                            size ? value->data.data() : nullptr, &size);
    if (code == ERROR_SUCCESS) {
      value->data.resize(size);
      value->type = static_cast<RegType>(type);
      return RegStatus::Ok;
    }
    if (attempt == 8) break;
  }
  return StatusOf(code);
}

RegStatus Win32Registry::WriteValue(RegRoot root, const std::wstring& path, const std::wstring& name,
                                    const RegValue& value) {
  OpenedKey key(root, path, KEY_SET_VALUE);
  if (key.Status() != RegStatus::Ok) return key.Status();
  return StatusOf(RegSetValueExW(key.Handle(), name.c_str(), 0, static_cast<DWORD>(value.type),
                                 value.data.empty() ? nullptr : value.data.data(),
                                 static_cast<DWORD>(value.data.size())));
}

RegStatus Win32Registry::DeleteValue(RegRoot root, const std::wstring& path, const std::wstring& name) {
  OpenedKey key(root, path, KEY_SET_VALUE);
  if (key.Status() != RegStatus::Ok) return key.Status();
  return StatusOf(RegDeleteValueW(key.Handle(), name.c_str()));
}

RegStatus Win32Registry::ListSubkeys(RegRoot root, const std::wstring& path,
                                     std::vector<std::wstring>* names) {
  names->clear();
  OpenedKey key(root, path, KEY_READ);
  if (key.Status() != RegStatus::Ok) return key.Status();
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];  // key names are at most 255 characters
    DWORD length = 256;
    LSTATUS code = RegEnumKeyExW(key.Handle(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (code == ERROR_NO_MORE_ITEMS) return RegStatus::Ok;
    if (code != ERROR_SUCCESS) return StatusOf(code);
    names->emplace_back(name, length);
  }
}

RegStatus Win32Registry::ListValues(RegRoot root, const std::wstring& path,
                                    std::vector<std::wstring>* names) {
  names->clear();
  OpenedKey key(root, path, KEY_READ);
  if (key.Status() != RegStatus::Ok) return key.Status();
  std::wstring name(16384, L'\0');  // value names are at most 16383 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    LSTATUS code = RegEnumValueW(key.Handle(), index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
    if (code == ERROR_NO_MORE_ITEMS) return RegStatus::Ok;
    if (code != ERROR_SUCCESS) return StatusOf(code);
    names->push_back(name.substr(0, length));
  }
}

}  // namespace platform
