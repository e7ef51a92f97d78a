#include "tests/e2e/medium.h"

#include <windows.h>

#include <cstdio>
#include <set>

namespace e2e {

std::wstring BuiltSetupExe() { return L"T:\\app\\Setup.exe"; }

std::wstring ScreenshotFolder(const std::wstring& scenario) {
  std::wstring folder = L"T:\\e2e-screenshots\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  folder += scenario + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void RemoveTree(const std::wstring& folder) {
  std::wstring base = folder;
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((base + L"\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = base + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  RemoveDirectoryW(base.c_str());
}

bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ToCp1251(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(1251, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(1251, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

namespace {
void MakeFolders(const std::wstring& path) {
  for (size_t i = 3; i < path.size(); ++i)
    if (path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
}
}  // namespace

Medium::Medium(const std::wstring& folder) : folder_(folder) {
  if (folder_.empty() || folder_.back() != L'\\') folder_ += L'\\';
  RemoveTree(folder_);
  MakeFolders(folder_);
  ok_ = CopyFileW(BuiltSetupExe().c_str(), SetupExe().c_str(), FALSE) != FALSE;
}

void Medium::WriteFile(const std::wstring& relativePath, const std::string& bytes) {
  std::wstring path = folder_ + relativePath;
  MakeFolders(path);
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) {
    ok_ = false;
    return;
  }
  if (fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) ok_ = false;
  if (fclose(f) != 0) ok_ = false;
}

void Medium::WriteSetupIni(const std::wstring& text) {
  std::wstring crlf;
  for (wchar_t c : text) {
    if (c == L'\n') crlf += L'\r';
    crlf += c;
  }
  WriteFile(L"Setup.ini", ToCp1251(crlf));
}

void Medium::WriteArchive(const std::wstring& relativePath,
                          const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<ArchiveFile> plain;
  for (const auto& file : files) plain.push_back({file.first, file.second});
  WriteFile(relativePath, ArchiveBytes(rarwriter::Format::Rar5, plain));
}

std::string ArchiveBytes(rarwriter::Format format, const std::vector<ArchiveFile>& files,
                         const std::string& password) {
  rarwriter::Archive archive;
  archive.format = format;
  archive.password = password;
  std::set<std::string> folders;
  for (const ArchiveFile& file : files) {
    for (size_t slash = file.name.find('/'); slash != std::string::npos;
         slash = file.name.find('/', slash + 1)) {
      std::string folder = file.name.substr(0, slash);
      if (folders.insert(folder).second)
        archive.entries.push_back(rarwriter::MakeDirectory(format, folder));
    }
    rarwriter::Entry entry = rarwriter::MakeFile(format, file.name, file.data);
    entry.encrypted = file.encrypted;
    entry.bad_data_crc = file.damaged;
    archive.entries.push_back(std::move(entry));
  }
  return rarwriter::Write(archive).bytes;
}

}  // namespace e2e
