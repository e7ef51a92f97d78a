#include "platform/fake/fake_file_system.h"

#include <cstring>
#include <functional>
#include <map>
#include <type_traits>

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
  bool Flush() override { return true; }
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

std::wstring FakeFileSystem::Where(const std::wstring& path, bool followLast) const {
  std::wstring key = Key(path);
  // A link leading to a link is followed again, a loop only so far.
  for (int hops = 0; hops < 40 && !links_.empty(); ++hops) {
    bool followed = false;
    for (size_t end = key.find(L'\\');; end = key.find(L'\\', end + 1)) {
      const bool last = end == std::wstring::npos;
      auto link = last && !followLast ? links_.end() : links_.find(key.substr(0, end));
      if (link != links_.end()) {
        key = link->second.target + (last ? std::wstring() : key.substr(end));
        followed = true;
        break;
      }
      if (last) break;
    }
    if (!followed) break;
  }
  return key;
}

bool FakeFileSystem::IsDirectory(const std::wstring& key) const {
  if (directories_.count(key)) return true;
  if (key.size() == 2 && key[1] == L':') return true;  // a drive's root
  std::wstring prefix = key + L"\\";
  auto it = files_.lower_bound(prefix);
  if (it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0) return true;
  auto link = links_.lower_bound(prefix);
  if (link != links_.end() && link->first.compare(0, prefix.size(), prefix) == 0) return true;
  auto dir = directories_.lower_bound(prefix);
  return dir != directories_.end() && dir->first.compare(0, prefix.size(), prefix) == 0;
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
  std::wstring key = Where(path, true);
  auto it = files_.find(key);
  if (it == files_.end() || deny_read_.count(key)) return nullptr;
  return std::unique_ptr<ReadableFile>(new MemoryReadable(it->second.bytes));
}

PathKind FakeFileSystem::Kind(const std::wstring& path) {
  std::wstring key = Where(path);
  if (links_.count(key)) return PathKind::Other;
  if (files_.count(key)) return PathKind::File;
  return IsDirectory(key) ? PathKind::Directory : PathKind::Missing;
}

bool FakeFileSystem::MakeDirectory(const std::wstring& path) {
  std::wstring key = Where(path);
  if (files_.count(key) || links_.count(key)) return false;
  Folder& folder = directories_[key];
  if (folder.path.empty()) folder.path = path;
  return true;
}

std::unique_ptr<WritableFile> FakeFileSystem::CreateNew(const std::wstring& path) {
  std::wstring key = Where(path);
  if (files_.count(key) || links_.count(key) || IsDirectory(key)) return nullptr;
  // Made through a link, it is named by where it landed.
  files_[key].path = key == Key(path) ? path : key;
  return WriterAtEnd(key);
}

std::unique_ptr<WritableFile> FakeFileSystem::OpenAppend(const std::wstring& path) {
  std::wstring key = Where(path);
  if (!files_.count(key)) return nullptr;
  return WriterAtEnd(key);
}

std::unique_ptr<WritableFile> FakeFileSystem::WriterAtEnd(const std::wstring& key) {
  return std::unique_ptr<WritableFile>(new FakeWritable([this, key](const void* data, size_t n) {
    auto it = files_.find(key);
    if (it == files_.end()) return false;
    it->second.bytes.append(static_cast<const char*>(data), n);
    return true;
  }));
}

bool FakeFileSystem::Replace(const std::wstring& from, const std::wstring& to) {
  std::wstring source = Where(from), target = Where(to);
  auto it = files_.find(source);
  if (it == files_.end() || IsDirectory(target)) return false;
  if (source == target) return true;
  links_.erase(target);  // a link in the place is replaced as itself
  File moved = it->second;
  moved.path = target == Key(to) ? to : target;
  files_.erase(it);
  files_[target] = moved;
  return true;
}

bool FakeFileSystem::Remove(const std::wstring& path) {
  const std::wstring key = Where(path);
  if (files_.erase(key) || links_.erase(key)) return true;
  // A folder goes only when empty, as on a disk.
  auto folder = directories_.find(key);
  if (folder == directories_.end()) return false;
  const Folder kept = folder->second;
  directories_.erase(folder);
  if (!IsDirectory(key)) return true;
  directories_[key] = kept;
  return false;
}

bool FakeFileSystem::MakeWritable(const std::wstring& path) {
  auto it = files_.find(Where(path, true));
  if (it == files_.end()) return false;
  it->second.attributes.read_only = false;
  return true;
}

bool FakeFileSystem::SetTimes(const std::wstring& path, uint64_t, uint64_t, uint64_t) {
  return files_.count(Where(path, true)) != 0;
}

bool FakeFileSystem::SetAttributes(const std::wstring& path, const FileAttributes& attributes) {
  auto it = files_.find(Where(path, true));
  if (it == files_.end()) return false;
  it->second.attributes = attributes;
  return true;
}

}  // namespace platform

namespace platform {
namespace {
// A path as first written, with the separators and the end of a key (Key() without folding).
std::wstring Shown(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  while (path.size() > 2 && path.back() == L'\\') path.pop_back();
  return path;
}
}  // namespace

void FakeFileSystem::DenyList(const std::wstring& path) { deny_list_.insert(Key(path)); }

void FakeFileSystem::SetFolderAttributes(const std::wstring& path, uint32_t attributes) {
  MakeDirectory(path);
  directories_[Key(path)].attributes = attributes | 0x10u;
}

void FakeFileSystem::PutLink(const std::wstring& path, const std::wstring& target) {
  links_[Key(path)] = Link{path, Key(target)};
}

void FakeFileSystem::RemoveTree(const std::wstring& path) {
  std::wstring key = Where(path), prefix = key + L"\\";
  auto under = [&](const std::wstring& k) {
    return k == key || k.compare(0, prefix.size(), prefix) == 0;
  };
  for (auto it = files_.begin(); it != files_.end();) it = under(it->first) ? files_.erase(it) : std::next(it);
  for (auto it = directories_.begin(); it != directories_.end();)
    it = under(it->first) ? directories_.erase(it) : std::next(it);
  for (auto it = links_.begin(); it != links_.end();) it = under(it->first) ? links_.erase(it) : std::next(it);
}

bool FakeFileSystem::List(const std::wstring& folder,
                          const std::function<bool(const DirectoryEntry&)>& visit) {
  std::wstring key = Where(folder, true);
  if (!IsDirectory(key) || deny_list_.count(key)) return false;
  const std::wstring prefix = key + L"\\";
  // The next component below the folder, in the case it was first written, by folded name.
  std::map<std::wstring, DirectoryEntry> entries;
  auto add = [&](const std::wstring& k, const std::wstring& original, bool isFile, uint32_t attributes) {
    size_t end = k.find(L'\\', prefix.size());
    bool direct = end == std::wstring::npos;
    std::wstring folded = k.substr(prefix.size(), direct ? std::wstring::npos : end - prefix.size());
    // The original path has the same separators, so the component sits at the same place.
    std::wstring name = original.substr(prefix.size(), folded.size());
    DirectoryEntry& entry = entries[folded];
    if (entry.name.empty()) entry.name = name;
    if (direct) {
      entry.directory = !isFile;
      entry.attributes = attributes;
    } else if (entry.attributes == 0) {
      entry.directory = true;
      entry.attributes = 0x10;
    }
  };
  for (auto it = files_.lower_bound(prefix); it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    add(it->first, Shown(it->second.path), true, 0x80);
  }
  for (auto it = directories_.lower_bound(prefix);
       it != directories_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    add(it->first, Shown(it->second.path), false, it->second.attributes);
  }
  // A link is listed as the reparse point it is (FILE_ATTRIBUTE_REPARSE_POINT, with the folder
  // attribute when it leads to one).
  for (auto it = links_.lower_bound(prefix); it != links_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    const bool toFolder = IsDirectory(Where(it->second.target, true));
    add(it->first, Shown(it->second.path), !toFolder, toFolder ? 0x410u : 0x400u);
  }
  for (const auto& entry : entries)
    if (!visit(entry.second)) break;
  return true;
}

bool FakeFileSystem::Rename(const std::wstring& from, const std::wstring& to) {
  std::wstring source = Where(from), target = Where(to);
  // Links are not moved here: no caller renames one.
  if (source == target || links_.count(source) || Kind(from) == PathKind::Missing || Kind(to) != PathKind::Missing)
    return false;
  const std::wstring prefix = source + L"\\";
  const std::wstring shown = Shown(to);
  auto moved = [&](const std::wstring& k, const std::wstring& path) {
    // The part below the renamed entry keeps its own case.
    std::wstring original = Shown(path);
    return std::make_pair(target + k.substr(source.size()),
                          shown + original.substr(original.size() - (k.size() - source.size())));
  };
  // Files and folders move alike: every key at or below the source gets the target's path.
  auto renamed = [&](const auto& entries) {
    std::decay_t<decltype(entries)> out;
    for (auto& e : entries) {
      if (e.first == source || e.first.compare(0, prefix.size(), prefix) == 0) {
        auto m = moved(e.first, e.second.path);
        auto entry = e.second;
        entry.path = m.second;
        out[m.first] = entry;
      } else {
        out[e.first] = e.second;
      }
    }
    return out;
  };
  std::map<std::wstring, File> files = renamed(files_);
  std::map<std::wstring, Folder> folders = renamed(directories_);
  if (!directories_.count(source) && !files_.count(source)) {
    // A folder that existed only above its files: it is made explicit under the new name.
    Folder& folder = folders[target];
    if (folder.path.empty()) folder.path = shown;
  }
  files_ = std::move(files);
  directories_ = std::move(folders);
  return true;
}

}  // namespace platform
