#include "platform/file_io.h"

#include <memory>
#include <vector>

#include "platform/file_system.h"
#include "platform/system.h"
#include "util/paths.h"
#include "util/strings.h"

namespace platform {
namespace {

constexpr size_t kChunk = 64 * 1024;

// The name a file is written under before it is moved over its destination.
std::wstring TempNameFor(const std::wstring& path) { return path + L".new~"; }

// Creates the temporary beside path, lets write() fill it, then moves it over path. Anything
// that fails removes the temporary. Returns an empty string on success, else what failed.
template <typename Writer>
std::string WriteThroughTemp(FileSystem& files, const std::wstring& path, Writer write) {
  std::wstring temp = TempNameFor(path);
  files.Remove(temp);  // a leftover of an earlier, interrupted run
  std::unique_ptr<WritableFile> out = files.CreateNew(temp);
  if (!out) return "Cannot create the file";
  std::string failure = write(*out);
  // On the disk before it replaces the old file: a power cut leaves one or the other, whole.
  if (failure.empty() && !out->Flush()) failure = "Cannot write the file";
  if (!out->Close() && failure.empty()) failure = "Cannot write the file";
  out.reset();
  if (failure.empty() && !files.Replace(temp, path)) failure = "Cannot replace the file";
  if (!failure.empty()) files.Remove(temp);
  return failure;
}

}  // namespace

ReadResult ReadWholeFile(FileSystem& files, const std::wstring& path, size_t maxBytes,
                         std::string* bytes) {
  bytes->clear();
  PathKind kind = files.Kind(path);
  if (kind == PathKind::Missing) return ReadResult::Missing;
  if (kind != PathKind::File) return ReadResult::Unreadable;
  std::unique_ptr<ReadableFile> in = files.OpenRead(path);
  if (!in) return ReadResult::Unreadable;
  if (in->Size() > maxBytes) return ReadResult::TooLarge;
  std::vector<char> buffer(kChunk);
  for (;;) {
    size_t got = 0;
    if (!in->Read(buffer.data(), buffer.size(), &got)) {
      bytes->clear();
      return ReadResult::Unreadable;
    }
    if (got == 0) return ReadResult::Ok;
    if (bytes->size() + got > maxBytes) {  // the file grew while it was read
      bytes->clear();
      return ReadResult::TooLarge;
    }
    bytes->append(buffer.data(), got);
  }
}

bool WriteWholeFile(FileSystem& files, const std::wstring& path, const std::string& bytes) {
  return WriteThroughTemp(files, path, [&](WritableFile& out) -> std::string {
           return bytes.empty() || out.Write(bytes.data(), bytes.size()) ? "" : "Cannot write the file";
         }).empty();
}

void CopyFileByStream(FileSystem& files, const std::wstring& source, const std::wstring& dest) {
  std::unique_ptr<ReadableFile> in;
  if (files.Kind(source) == PathKind::File) in = files.OpenRead(source);
  if (!in) throw FileError(source, "Cannot open the source file");
  uint64_t size = in->Size();
  std::string failure = WriteThroughTemp(files, dest, [&](WritableFile& out) -> std::string {
    std::vector<char> buffer(kChunk);
    for (uint64_t left = size; left > 0;) {
      size_t want = left < buffer.size() ? static_cast<size_t>(left) : buffer.size();
      size_t got = 0;
      if (!in->Read(buffer.data(), want, &got)) return "Cannot read the source file";
      if (got == 0) return "The source file is shorter than when it was opened";
      if (!out.Write(buffer.data(), got)) return "Cannot write the destination file";
      left -= got;
    }
    return "";
  });
  if (!failure.empty()) throw FileError(dest, failure);
}

std::wstring GetWinDir(System& system) { return util::AddBackslash(system.WindowsDir()); }

std::wstring DefaultProgramFilesDir(System& system) {
  return util::DriveOf(GetWinDir(system)) + L"\\Program files\\";
}

util::IniFile LoadIniFile(FileSystem& files, const std::wstring& path) {
  util::IniFile ini;
  OpenIniFile(files, path, &ini);
  return ini;
}

bool OpenIniFile(FileSystem& files, const std::wstring& path, util::IniFile* ini) {
  *ini = util::IniFile();
  std::string bytes;
  const ReadResult result = ReadWholeFile(files, path, util::kIniFileMax, &bytes);
  if (result == ReadResult::Missing) return true;
  if (result != ReadResult::Ok) return false;
  *ini = util::IniFile::FromBytes(bytes);
  return true;
}

bool SaveIniFile(FileSystem& files, const std::wstring& path, const util::IniFile& ini) {
  return WriteWholeFile(files, path, ini.ToBytes());
}

std::wstring ReadIniString(FileSystem& files, const std::wstring& path, const std::wstring& section,
                           const std::wstring& key, const std::wstring& defaultValue) {
  return LoadIniFile(files, path).ReadString(section, key, defaultValue);
}

bool WriteIniString(FileSystem& files, const std::wstring& path, const std::wstring& section,
                    const std::wstring& key, const std::wstring& value) {
  util::IniFile ini;
  if (!OpenIniFile(files, path, &ini)) return false;
  ini.WriteString(section, key, value);
  return SaveIniFile(files, path, ini);
}

}  // namespace platform
