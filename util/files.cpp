#include "util/files.h"

#include <memory>
#include <vector>

#include "platform/file_system.h"
#include "platform/system.h"
#include "util/strings.h"

namespace util {
namespace {

constexpr size_t kChunk = 64 * 1024;

// The name a file is written under before it is moved over its destination.
std::wstring TempNameFor(const std::wstring& path) { return path + L".new~"; }

// Creates the temporary beside path, lets write() fill it, then moves it over path. Anything
// that fails removes the temporary. Returns an empty string on success, else what failed.
template <typename Writer>
std::string WriteThroughTemp(platform::FileSystem& files, const std::wstring& path, Writer write) {
  std::wstring temp = TempNameFor(path);
  files.Remove(temp);  // a leftover of an earlier, interrupted run
  std::unique_ptr<platform::WritableFile> out = files.CreateNew(temp);
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

ReadResult ReadWholeFile(platform::FileSystem& files, const std::wstring& path, size_t maxBytes,
                         std::string* bytes) {
  bytes->clear();
  platform::PathKind kind = files.Kind(path);
  if (kind == platform::PathKind::Missing) return ReadResult::Missing;
  if (kind != platform::PathKind::File) return ReadResult::Unreadable;
  std::unique_ptr<platform::ReadableFile> in = files.OpenRead(path);
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

bool WriteWholeFile(platform::FileSystem& files, const std::wstring& path, const std::string& bytes) {
  return WriteThroughTemp(files, path, [&](platform::WritableFile& out) -> std::string {
           return bytes.empty() || out.Write(bytes.data(), bytes.size()) ? "" : "Cannot write the file";
         }).empty();
}

void CopyFileByStream(platform::FileSystem& files, const std::wstring& source, const std::wstring& dest) {
  std::unique_ptr<platform::ReadableFile> in;
  if (files.Kind(source) == platform::PathKind::File) in = files.OpenRead(source);
  if (!in) throw FileError(source, "Cannot open the source file");
  uint64_t size = in->Size();
  std::string failure = WriteThroughTemp(files, dest, [&](platform::WritableFile& out) -> std::string {
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

std::wstring GetWinDir(platform::System& system) { return AddBackslash(system.WindowsDir()); }

std::wstring DefaultProgramFilesDir(platform::System& system) {
  return ExtractFileDrive(GetWinDir(system)) + L"\\Program files\\";
}

}  // namespace util
