// The file layer over Win32. Every path goes through the \\?\ form, so names longer than
// MAX_PATH work and no name is reinterpreted (trailing dots, device names).
#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32/scoped_win.h"
#include "util/codepage.h"
#include "util/paths.h"
#include "util/strings.h"

namespace platform {
namespace {

std::wstring Win32Path(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  std::wstring normal = path;
  for (wchar_t& c : normal) {
    if (c == L'/') c = L'\\';
  }
  DWORD need = GetFullPathNameW(normal.c_str(), 0, nullptr, nullptr);
  if (need == 0) return normal;
  std::wstring full(need, L'\0');
  DWORD got = GetFullPathNameW(normal.c_str(), need, &full[0], nullptr);
  if (got == 0 || got >= need) return normal;
  full.resize(got);
  return util::LongForm(full);
}

// An existing file or folder opened for its name alone (no access asked, every sharing allowed),
// a link on the way followed.
ScopedFile OpenForName(const std::wstring& win32Path) {
  return ScopedFile(CreateFileW(win32Path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Where an open file or folder really is, in the normalized long form (8.3 names and SUBST
// drives resolved); empty when the system cannot say.
std::wstring FinalPath(HANDLE h) {
  const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  const DWORD need = GetFinalPathNameByHandleW(h, nullptr, 0, flags);
  if (need == 0) return std::wstring();
  std::wstring path(need, L'\0');
  const DWORD got = GetFinalPathNameByHandleW(h, &path[0], need, flags);
  if (got == 0 || got >= need) return std::wstring();
  path.resize(got);
  return path;
}

class WinReadable : public ReadableFile {
 public:
  explicit WinReadable(ScopedFile h) : h_(std::move(h)) {}
  bool Read(void* buf, size_t n, size_t* got) override {
    DWORD read = 0;
    DWORD want = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
    if (!ReadFile(h_.Get(), buf, want, &read, nullptr)) return false;
    *got = read;
    return true;
  }
  bool Seek(uint64_t offset) override {
    LARGE_INTEGER li;
    li.QuadPart = static_cast<LONGLONG>(offset);
    return offset <= static_cast<uint64_t>(INT64_MAX) && SetFilePointerEx(h_.Get(), li, nullptr, FILE_BEGIN);
  }
  uint64_t Size() override {
    LARGE_INTEGER li;
    return GetFileSizeEx(h_.Get(), &li) ? static_cast<uint64_t>(li.QuadPart) : 0;
  }

 private:
  ScopedFile h_;
};

class WinWritable : public WritableFile {
 public:
  explicit WinWritable(ScopedFile h) : h_(std::move(h)) {}
  bool Write(const void* data, size_t n) override {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
      DWORD chunk = n > 0x100000 ? 0x100000 : static_cast<DWORD>(n);
      DWORD written = 0;
      if (!WriteFile(h_.Get(), p, chunk, &written, nullptr) || written == 0) return false;
      p += written;
      n -= written;
    }
    return true;
  }
  bool Flush() override { return FlushFileBuffers(h_.Get()) != 0; }
  // Closing may fail (data the disk could not take): the caller hears of it.
  bool Close() override { return h_.Close(); }

 private:
  ScopedFile h_;
};

class WinFileSystem : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> OpenRead(const std::wstring& path) override {
    ScopedFile h(CreateFileW(Win32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h || GetFileType(h.Get()) != FILE_TYPE_DISK) return nullptr;
    return std::make_unique<WinReadable>(std::move(h));
  }
  PathKind Kind(const std::wstring& path) override {
    DWORD a = GetFileAttributesW(Win32Path(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Other;
    if (a & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Directory;
    if (a & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
    return PathKind::File;
  }
  // The attributes show junctions, symbolic links and mount points, and Wine's folder symlinks.
  // A file is also checked by its handle (Wine shows a file symlink as a plain file): it is in
  // its place when the path its handle resolves to is its folder's resolved path and its own
  // long name. Folders are not: opening handles for every folder of every entry would cost the
  // copying most of its speed, and a link above a folder is seen on the way to it.
  PathKind KindInPlace(const std::wstring& path) override {
    const PathKind kind = Kind(path);
    if (kind != PathKind::File) return kind;
    const std::wstring full = Win32Path(path);
    const size_t cut = full.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut + 1 >= full.size()) return kind;  // a drive's root
    std::wstring parent = full.substr(0, cut);
    if (parent.back() == L':') parent += L'\\';
    WIN32_FIND_DATAW data;
    ScopedFind listed(FindFirstFileW(full.c_str(), &data));
    ScopedFile entry = OpenForName(full), folder = OpenForName(parent);
    // Where no handle opens, the attributes are all there is to go by.
    if (!listed || !entry || !folder) return kind;
    const std::wstring reached = FinalPath(entry.Get()), folderReached = FinalPath(folder.Get());
    if (reached.empty() || folderReached.empty()) return kind;
    return util::EqualsNoCase(reached, util::AddBackslash(folderReached) + data.cFileName) ? kind : PathKind::Other;
  }
  bool MakeDirectory(const std::wstring& path) override {
    if (CreateDirectoryW(Win32Path(path).c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && Kind(path) == PathKind::Directory;
  }
  std::unique_ptr<WritableFile> CreateNew(const std::wstring& path) override {
    ScopedFile h(CreateFileW(Win32Path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return nullptr;
    return std::make_unique<WinWritable>(std::move(h));
  }
  std::unique_ptr<WritableFile> OpenAppend(const std::wstring& path) override {
    // Opened alone (no sharing), so the end found now stays the end while it is written.
    ScopedFile h(CreateFileW(Win32Path(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h || GetFileType(h.Get()) != FILE_TYPE_DISK) return nullptr;
    // A link or junction is opened as itself here: it is not a file to write into.
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h.Get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
      return nullptr;
    LARGE_INTEGER none = {};
    if (!SetFilePointerEx(h.Get(), none, nullptr, FILE_END)) return nullptr;
    return std::make_unique<WinWritable>(std::move(h));
  }
  bool Replace(const std::wstring& from, const std::wstring& to) override {
    if (Kind(to) == PathKind::Directory) return false;
    return MoveFileExW(Win32Path(from).c_str(), Win32Path(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  bool InUse(const std::wstring& path) override {
    // Asking for what a replacement needs (writing, deleting) while sharing everything: only a
    // holder that shares less refuses, and then with a sharing or lock violation.
    ScopedFile h(CreateFileW(Win32Path(path).c_str(), GENERIC_WRITE | DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (h) return false;
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_USER_MAPPED_FILE;
  }
  bool ReplaceAtRestart(const std::wstring& from, const std::wstring& to) override {
    return MoveFileExW(Win32Path(from).c_str(), Win32Path(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  }
  bool Remove(const std::wstring& path) override {
    std::wstring p = Win32Path(path);
    if (Kind(path) == PathKind::Directory) return RemoveDirectoryW(p.c_str()) != 0;
    return DeleteFileW(p.c_str()) != 0;
  }
  bool MakeWritable(const std::wstring& path) override {
    std::wstring p = Win32Path(path);
    DWORD a = GetFileAttributesW(p.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    if (!(a & FILE_ATTRIBUTE_READONLY)) return true;
    return SetFileAttributesW(p.c_str(), a & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
  }
  bool SetTimes(const std::wstring& path, uint64_t modified, uint64_t created, uint64_t accessed) override {
    ScopedFile h(CreateFileW(Win32Path(path).c_str(), FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h) return false;
    FILETIME m, c, a;
    auto put = [](uint64_t t, FILETIME* ft) {
      ft->dwLowDateTime = static_cast<DWORD>(t);
      ft->dwHighDateTime = static_cast<DWORD>(t >> 32);
      return t != 0 ? ft : nullptr;
    };
    return SetFileTime(h.Get(), put(created, &c), put(accessed, &a), put(modified, &m)) != 0;
  }
  bool SetAttributes(const std::wstring& path, const FileAttributes& attributes) override {
    std::wstring p = Win32Path(path);
    DWORD a = GetFileAttributesW(p.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    DWORD keep = a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
    if (attributes.read_only && !(a & FILE_ATTRIBUTE_DIRECTORY)) keep |= FILE_ATTRIBUTE_READONLY;
    if (attributes.hidden) keep |= FILE_ATTRIBUTE_HIDDEN;
    if (attributes.system) keep |= FILE_ATTRIBUTE_SYSTEM;
    keep &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
    if (keep == 0) keep = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesW(p.c_str(), keep) != 0;
  }
  bool List(const std::wstring& folder,
            const std::function<bool(const DirectoryEntry&)>& visit) override {
    const std::wstring pattern = util::AddBackslash(Win32Path(folder)) + L'*';
    // No "insert a disc" box for an empty drive: the caller reports it in its own words.
    WIN32_FIND_DATAW data;
    ScopedFind find;
    DWORD error = 0;
    {
      ThreadErrorMode quiet;
      find.Reset(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                  nullptr, FIND_FIRST_EX_LARGE_FETCH));
      error = GetLastError();
    }
    if (!find) return error == ERROR_FILE_NOT_FOUND;
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      DirectoryEntry entry;
      entry.name = name;
      entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.attributes = data.dwFileAttributes;
      entry.modified = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                       data.ftLastWriteTime.dwLowDateTime;
      if (!visit(entry)) break;
    } while (FindNextFileW(find.Get(), &data));
    return true;
  }
  bool Rename(const std::wstring& from, const std::wstring& to) override {
    return MoveFileExW(Win32Path(from).c_str(), Win32Path(to).c_str(), 0) != 0;
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static WinFileSystem fs;
  return fs;
}

uint64_t LocalFileTimeToUtc(uint64_t local) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(local);
  ft.dwHighDateTime = static_cast<DWORD>(local >> 32);
  SYSTEMTIME local_fields, utc_fields;
  FILETIME utc;
  // The zone's rules for that date, summer time included.
  if (!FileTimeToSystemTime(&ft, &local_fields) ||
      !TzSpecificLocalTimeToSystemTime(nullptr, &local_fields, &utc_fields) ||
      !SystemTimeToFileTime(&utc_fields, &utc))
    return local;
  uint64_t whole = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  return whole - whole % 10000000 + local % 10000000;
}

}  // namespace platform
