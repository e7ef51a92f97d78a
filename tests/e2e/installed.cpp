#include "tests/e2e/installed.h"

#include <shlobj.h>

#include <cstdio>

#include "platform/win32/shell_win.h"

namespace e2e {
namespace {

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return std::wstring();
  return std::wstring(path) + L"\\";
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() &&
         CompareStringOrdinal(text.c_str() + text.size() - end.size(), static_cast<int>(end.size()),
                              end.c_str(), static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

// An open key, closed with the object.
class Key {
 public:
  Key(const wchar_t* path, REGSAM view) {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::wstring ProgramsFolder() { return Folder(CSIDL_PROGRAMS); }
std::wstring DesktopFolder() { return Folder(CSIDL_DESKTOPDIRECTORY); }

std::vector<std::wstring> ShortcutsUnder(const std::wstring& folder) {
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      for (const std::wstring& inner : ShortcutsUnder(folder + name + L"\\")) found.push_back(inner);
    } else if (EndsWithNoCase(name, L".lnk")) {
      found.push_back(folder + name);
    }
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  return found;
}

bool ReadShortcut(const std::wstring& file, platform::ShellLinkData* data) {
  platform::Win32Shell shell;
  auto link = shell.NewLink();
  if (!link || !link->Load(file)) return false;
  *data = link->Data();
  return true;
}

std::wstring UninstallValue(const std::wstring& product, const std::wstring& name) {
  std::wstring path = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product;
  Key key(path.c_str(), KEY_WOW64_32KEY);
  wchar_t text[2048] = {};
  DWORD size = sizeof text - sizeof(wchar_t), type = 0;
  if (!key.get() || RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text),
                                     &size) != ERROR_SUCCESS || type != REG_SZ)
    return L"<none>";
  return text;
}

int64_t UninstallNumber(const std::wstring& product, const std::wstring& name) {
  std::wstring path = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product;
  Key key(path.c_str(), KEY_WOW64_32KEY);
  DWORD number = 0, size = sizeof number, type = 0;
  if (!key.get() ||
      RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number),
                       &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return -1;
  return number;
}

std::vector<std::wstring> FontRegistrations(const std::wstring& fileName) {
  std::vector<std::wstring> found;
  Key key(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", KEY_WOW64_64KEY);
  if (!key.get()) return found;
  for (DWORD index = 0;; ++index) {
    wchar_t name[1024], data[1024] = {};
    DWORD nameLength = 1024, size = sizeof data - sizeof(wchar_t), type = 0;
    LSTATUS code = RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type,
                                 reinterpret_cast<BYTE*>(data), &size);
    if (code == ERROR_NO_MORE_ITEMS) break;
    if (code != ERROR_SUCCESS || type != REG_SZ) continue;
    std::wstring file = data;
    file = file.substr(file.find_last_of(L'\\') + 1);  // a full path names the file too
    if (file.size() == fileName.size() && EndsWithNoCase(file, fileName)) found.push_back(std::wstring(name) + L" = " + data);
  }
  return found;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return "<missing>";
  char buf[65536];
  for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
  fclose(f);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && written;
}

}  // namespace e2e
