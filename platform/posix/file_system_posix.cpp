// The file layer over POSIX calls. Wide paths hold code points; the file system gets UTF-8.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/file_system.h"
#include "util/text.h"

namespace platform {
namespace {

using util::ToUtf8;

// Names the file system gives back; a byte that is not UTF-8 stands for itself.
std::wstring FromUtf8(const std::string& s) {
  std::wstring name;
  util::FromUtf8(s, &name, util::BadInput::kAsLatin1);
  return name;
}

class PosixReadable : public ReadableFile {
 public:
  explicit PosixReadable(int fd) : fd_(fd) {}
  ~PosixReadable() override { close(fd_); }
  bool Read(void* buf, size_t n, size_t* got) override {
    for (;;) {
      ssize_t r = read(fd_, buf, n);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) return false;
      *got = static_cast<size_t>(r);
      return true;
    }
  }
  bool Seek(uint64_t offset) override {
    return offset <= static_cast<uint64_t>(INT64_MAX) && lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
  }
  uint64_t Size() override {
    struct stat st;
    return fstat(fd_, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
  }

 private:
  int fd_;
};

class PosixWritable : public WritableFile {
 public:
  explicit PosixWritable(int fd) : fd_(fd) {}
  ~PosixWritable() override {
    if (fd_ >= 0) close(fd_);
  }
  bool Write(const void* data, size_t n) override {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
      ssize_t w = write(fd_, p, n);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      p += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }
  bool Flush() override { return fd_ >= 0 && fsync(fd_) == 0; }
  bool Close() override {
    int fd = fd_;
    fd_ = -1;
    return fd >= 0 && close(fd) == 0;
  }

 private:
  int fd_;
};

struct timespec ToTimespec(uint64_t filetime) {
  struct timespec ts;
  const uint64_t kEpochDiff = 116444736000000000ULL;  // 1601 to 1970 in 100 ns
  if (filetime == 0) {
    ts.tv_sec = 0;
    ts.tv_nsec = UTIME_OMIT;
  } else if (filetime < kEpochDiff) {
    ts.tv_sec = 0;
    ts.tv_nsec = 0;
  } else {
    uint64_t t = filetime - kEpochDiff;
    ts.tv_sec = static_cast<time_t>(t / 10000000);
    ts.tv_nsec = static_cast<long>((t % 10000000) * 100);
  }
  return ts;
}

// An existing regular file opened with `flags`; -1 for anything else.
int OpenRegular(const std::wstring& path, int flags) {
  int fd = open(ToUtf8(path).c_str(), flags | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> OpenRead(const std::wstring& path) override {
    int fd = OpenRegular(path, O_RDONLY);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixReadable>(fd);
  }
  PathKind Kind(const std::wstring& path) override {
    struct stat st;
    if (lstat(ToUtf8(path).c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISREG(st.st_mode)) return PathKind::File;
    if (S_ISDIR(st.st_mode)) return PathKind::Directory;
    return PathKind::Other;
  }
  bool MakeDirectory(const std::wstring& path) override {
    if (mkdir(ToUtf8(path).c_str(), 0777) == 0) return true;
    return errno == EEXIST && Kind(path) == PathKind::Directory;
  }
  std::unique_ptr<WritableFile> CreateNew(const std::wstring& path) override {
    int fd = open(ToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixWritable>(fd);
  }
  std::unique_ptr<WritableFile> OpenAppend(const std::wstring& path) override {
    int fd = OpenRegular(path, O_WRONLY | O_APPEND | O_NOFOLLOW);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixWritable>(fd);
  }
  bool Replace(const std::wstring& from, const std::wstring& to) override {
    if (Kind(to) == PathKind::Directory) return false;
    return rename(ToUtf8(from).c_str(), ToUtf8(to).c_str()) == 0;
  }
  bool Remove(const std::wstring& path) override {
    std::string p = ToUtf8(path);
    return unlink(p.c_str()) == 0 || rmdir(p.c_str()) == 0;
  }
  bool MakeWritable(const std::wstring& path) override {
    struct stat st;
    std::string p = ToUtf8(path);
    if (lstat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return chmod(p.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
  }
  bool SetTimes(const std::wstring& path, uint64_t modified, uint64_t created, uint64_t accessed) override {
    struct timespec ts[2] = {ToTimespec(accessed), ToTimespec(modified)};
    return utimensat(AT_FDCWD, ToUtf8(path).c_str(), ts, AT_SYMLINK_NOFOLLOW) == 0;
  }
  bool SetAttributes(const std::wstring& path, const FileAttributes& a) override {
    std::string p = ToUtf8(path);
    struct stat st;
    if (lstat(p.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return false;
    mode_t mode;
    if (a.unix_mode != 0) {
      mode = a.unix_mode & 0777;  // never set-id bits from an archive
      if (S_ISDIR(st.st_mode)) mode |= S_IRWXU;
    } else {
      mode = st.st_mode & 0777;
      if (a.read_only && !S_ISDIR(st.st_mode)) mode &= ~static_cast<mode_t>(0222);
    }
    return chmod(p.c_str(), mode) == 0;
  }
  bool List(const std::wstring& folder,
            const std::function<bool(const DirectoryEntry&)>& visit) override {
    std::string base = ToUtf8(folder);
    DIR* dir = opendir(base.c_str());
    if (!dir) return false;
    if (base.empty() || base.back() != '/') base += '/';
    while (struct dirent* d = readdir(dir)) {
      std::string name = d->d_name;
      if (name == "." || name == "..") continue;
      struct stat st;
      if (lstat((base + name).c_str(), &st) != 0) continue;
      DirectoryEntry entry;
      entry.name = FromUtf8(name);
      entry.directory = S_ISDIR(st.st_mode);
      entry.attributes = entry.directory ? 0x10u : 0x80u;
      if (!visit(entry)) break;
    }
    closedir(dir);
    return true;
  }
  bool Rename(const std::wstring& from, const std::wstring& to) override {
    std::string target = ToUtf8(to);
    struct stat st;
    if (lstat(target.c_str(), &st) == 0) return false;
    return rename(ToUtf8(from).c_str(), target.c_str()) == 0;
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

uint64_t LocalFileTimeToUtc(uint64_t local) {
  const uint64_t kEpochDiff = 116444736000000000ULL;
  if (local < kEpochDiff) return local;
  uint64_t ticks = local - kEpochDiff;
  time_t as_if_utc = static_cast<time_t>(ticks / 10000000);
  struct tm fields;
  if (!gmtime_r(&as_if_utc, &fields)) return local;
  fields.tm_isdst = -1;  // the zone's rules say whether summer time applied
  time_t utc = mktime(&fields);
  if (utc == static_cast<time_t>(-1)) return local;
  return static_cast<uint64_t>(utc) * 10000000 + ticks % 10000000 + kEpochDiff;
}

}  // namespace platform
