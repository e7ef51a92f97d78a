#include "platform/fake/fake_file_system.h"

#include <cstring>
#include <functional>

#include "util/codepage.h"

namespace platform {
namespace {

class MemoryReadable : public ReadableFile {
 public:
  explicit MemoryReadable(std::string bytes) : bytes_(std::move(bytes)) {}
  bool Read(void* buf, size_t n, size_t* got) override {
    size_t left = bytes_.size() - pos_;
    *got = n < left ? n : left;
    if (*got) std::memcpy(buf, bytes_.data() + pos_, *got);
    pos_ += *got;
    return true;
  }
  bool Seek(uint64_t offset) override {
    if (offset > bytes_.size()) return false;
    pos_ = static_cast<size_t>(offset);
    return true;
  }
  uint64_t Size() override { return bytes_.size(); }

 private:
  std::string bytes_;  // the content when the file was opened
  size_t pos_ = 0;
};

// Appends to the stored file for as long as it exists (a removed file fails the write).
class FakeWritable : public WritableFile {
 public:
  explicit FakeWritable(std::function<bool(const void*, size_t)> append) : append_(std::move(append)) {}
  bool Write(const void* data, size_t n) override { return append_(data, n); }
  bool Close() override { return true; }

 private:
  std::function<bool(const void*, size_t)> append_;
};

}  // namespace

std::wstring FakeFileSystem::Key(const std::wstring& path) {
  std::wstring key = util::FoldCase(path);
  for (wchar_t& c : key)
    if (c == L'/') c = L'\\';
  while (key.size() > 2 && key.back() == L'\\') key.pop_back();
  return key;
}

bool FakeFileSystem::IsDirectory(const std::wstring& key) const {
  if (directories_.count(key)) return true;
  if (key.size() == 2 && key[1] == L':') return true;  // a drive's root
  std::wstring prefix = key + L"\\";
  auto it = files_.lower_bound(prefix);
  return it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

void FakeFileSystem::PutFile(const std::wstring& path, const std::string& bytes) {
  File& file = files_[Key(path)];
  if (file.path.empty()) file.path = path;
  file.bytes = bytes;
}

const std::string* FakeFileSystem::FileBytes(const std::wstring& path) const {
  auto it = files_.find(Key(path));
  return it == files_.end() ? nullptr : &it->second.bytes;
}

void FakeFileSystem::DenyRead(const std::wstring& path) { deny_read_.insert(Key(path)); }

std::set<std::wstring> FakeFileSystem::FilePaths() const {
  std::set<std::wstring> paths;
  for (const auto& file : files_) paths.insert(file.second.path);
  return paths;
}

std::unique_ptr<ReadableFile> FakeFileSystem::OpenRead(const std::wstring& path) {
  std::wstring key = Key(path);
  auto it = files_.find(key);
  if (it == files_.end() || deny_read_.count(key)) return nullptr;
  return std::unique_ptr<ReadableFile>(new MemoryReadable(it->second.bytes));
}

PathKind FakeFileSystem::Kind(const std::wstring& path) {
  std::wstring key = Key(path);
  if (files_.count(key)) return PathKind::File;
  return IsDirectory(key) ? PathKind::Directory : PathKind::Missing;
}

bool FakeFileSystem::MakeDirectory(const std::wstring& path) {
  std::wstring key = Key(path);
  if (files_.count(key)) return false;
  directories_.insert(key);
  return true;
}

std::unique_ptr<WritableFile> FakeFileSystem::CreateNew(const std::wstring& path) {
  std::wstring key = Key(path);
  if (files_.count(key) || IsDirectory(key)) return nullptr;
  files_[key].path = path;
  return std::unique_ptr<WritableFile>(new FakeWritable([this, key](const void* data, size_t n) {
    auto it = files_.find(key);
    if (it == files_.end()) return false;
    it->second.bytes.append(static_cast<const char*>(data), n);
    return true;
  }));
}

bool FakeFileSystem::Replace(const std::wstring& from, const std::wstring& to) {
  std::wstring source = Key(from), target = Key(to);
  auto it = files_.find(source);
  if (it == files_.end() || IsDirectory(target)) return false;
  if (source == target) return true;
  File moved = it->second;
  moved.path = to;
  files_.erase(it);
  files_[target] = moved;
  return true;
}

bool FakeFileSystem::Remove(const std::wstring& path) { return files_.erase(Key(path)) != 0; }

bool FakeFileSystem::MakeWritable(const std::wstring& path) {
  auto it = files_.find(Key(path));
  if (it == files_.end()) return false;
  it->second.attributes.read_only = false;
  return true;
}

bool FakeFileSystem::SetTimes(const std::wstring& path, uint64_t, uint64_t, uint64_t) {
  return files_.count(Key(path)) != 0;
}

bool FakeFileSystem::SetAttributes(const std::wstring& path, const FileAttributes& attributes) {
  auto it = files_.find(Key(path));
  if (it == files_.end()) return false;
  it->second.attributes = attributes;
  return true;
}

}  // namespace platform
