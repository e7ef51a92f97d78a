#include "formats/install_log.h"

#include <cstdio>
#include <memory>

#include "platform/file_system.h"
#include "util/codepage.h"
#include "util/crc32.h"
#include "util/paths.h"
#include "util/text.h"
#include "platform/file_io.h"

namespace formats {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kHeaderStem[] = "# UnInstall.log ";
constexpr int kVersion = 2;  // 1: shortcuts logged by their path alone
constexpr size_t kMaxPath = 32767;  // the longest path Windows knows

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF; no control characters,
// which no path holds.
bool PathFromUtf8(std::string_view bytes, std::wstring* out) {
  if (!util::FromUtf8(bytes, out, util::BadInput::kRefuse)) return false;
  for (wchar_t c : *out)
    if (c < 0x20 || c == 0x7F) return false;
  return !out->empty() && out->size() <= kMaxPath;
}

bool ParseSize(std::string_view text, uint64_t* size) {
  if (text.empty() || text.size() > 19) return false;  // below 10^19, no overflow
  uint64_t value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return false;
    value = value * 10 + static_cast<uint64_t>(ch - '0');
  }
  *size = value;
  return true;
}

bool ParseCrc(std::string_view text, uint32_t* crc) {
  if (text.size() != 8) return false;
  uint32_t value = 0;
  for (char ch : text) {
    uint32_t digit;
    if (ch >= '0' && ch <= '9') digit = static_cast<uint32_t>(ch - '0');
    else if (ch >= 'a' && ch <= 'f') digit = static_cast<uint32_t>(ch - 'a' + 10);
    else if (ch >= 'A' && ch <= 'F') digit = static_cast<uint32_t>(ch - 'A' + 10);
    else return false;
    value = (value << 4) | digit;
  }
  *crc = value;
  return true;
}

// Splits at tabs into exactly `count` fields.
bool SplitFields(std::string_view line, size_t count, std::vector<std::string_view>* fields) {
  fields->clear();
  size_t from = 0;
  while (fields->size() + 1 < count) {
    const size_t tab = line.find('\t', from);
    if (tab == std::string_view::npos) return false;
    fields->push_back(line.substr(from, tab - from));
    from = tab + 1;
  }
  fields->push_back(line.substr(from));
  return true;
}

// The version a header line names; 0 for any other line.
int HeaderVersion(std::string_view line) {
  const std::string_view stem(kHeaderStem);
  if (line.substr(0, stem.size()) != stem) return 0;
  const std::string_view number = line.substr(stem.size());
  return number == "1" ? 1 : number == "2" ? 2 : 0;
}

bool ParseLine(std::string_view line, int version, LogItem* item) {
  if (line.size() < 2 || line[1] != '\t') return false;
  const std::string_view rest = line.substr(2);
  switch (line[0]) {
    case 'F': item->kind = LogItemKind::File; break;
    case 'L':
      item->kind = LogItemKind::Shortcut;
      if (version > 1) break;
      item->crcKnown = false;
      return PathFromUtf8(rest, &item->path);
    case 'D': item->kind = LogItemKind::Folder; return PathFromUtf8(rest, &item->path);
    case 'S': item->kind = LogItemKind::ShortcutFolder; return PathFromUtf8(rest, &item->path);
    default: return false;
  }
  std::vector<std::string_view> fields;
  return SplitFields(rest, 3, &fields) && ParseSize(fields[0], &item->size) &&
         ParseCrc(fields[1], &item->crc) && PathFromUtf8(fields[2], &item->path);
}

char KindLetter(LogItemKind kind) {
  switch (kind) {
    case LogItemKind::File: return 'F';
    case LogItemKind::Folder: return 'D';
    case LogItemKind::Shortcut: return 'L';
    case LogItemKind::ShortcutFolder: return 'S';
  }
  return '?';
}

// One line of the current version; none for a shortcut whose CRC is not known.
std::string FormatLine(const LogItem& item) {
  const bool checked = item.kind == LogItemKind::File || item.kind == LogItemKind::Shortcut;
  if (checked && !item.crcKnown) return std::string();
  std::string out(1, KindLetter(item.kind));
  out += '\t';
  if (checked) {
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(item.crc));
    out += std::to_string(item.size) + '\t' + crc + '\t';
  }
  return out + util::ToUtf8(item.path) + "\r\n";
}

}  // namespace

std::string FormatInstallLog(const std::vector<LogItem>& items) {
  std::string out = std::string(kBom) + kHeaderStem + std::to_string(kVersion) + "\r\n";
  for (const LogItem& item : items) out += FormatLine(item);
  return out;
}

bool ParseInstallLog(std::string_view bytes, std::vector<LogItem>* items, int* version) {
  items->clear();
  const std::string_view bom(kBom);
  if (bytes.substr(0, bom.size()) != bom) return false;
  bytes.remove_prefix(bom.size());
  int found = 0;
  std::map<std::wstring, size_t> index;  // folded path -> item
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (found == 0) {
      found = HeaderVersion(line);
      if (found == 0) return false;
      continue;
    }
    // A log that is appended to may end in a line a failed write cut short.
    if (end == std::string_view::npos && found > 1) break;
    if (line.empty()) continue;
    LogItem item;
    if (!ParseLine(line, found, &item)) {
      items->clear();
      return false;
    }
    // The last line naming a path is what the path is.
    const auto at = index.emplace(util::FoldCase(item.path), items->size());
    if (at.second) items->push_back(std::move(item));
    else (*items)[at.first->second] = std::move(item);
  }
  if (found == 0) return false;
  if (version) *version = found;
  return true;
}

bool FileCrc32(platform::FileSystem& files, const std::wstring& path, uint64_t* size, uint32_t* crc) {
  std::unique_ptr<platform::ReadableFile> file = files.OpenRead(path);
  if (!file) return false;
  std::vector<unsigned char> buffer(1 << 16);
  uint32_t value = 0;
  uint64_t total = 0;
  for (;;) {
    size_t got = 0;
    if (!file->Read(buffer.data(), buffer.size(), &got)) return false;
    if (got == 0) break;
    value = util::Crc32(value, buffer.data(), got);
    total += got;
  }
  *size = total;
  *crc = value;
  return true;
}

void InstallLog::Open(const std::wstring& destDir) {
  if (destDir.empty()) return;
  const std::wstring dest = util::WithoutTrailingBackslash(destDir) + L"\\";
  if (dest == dest_) return;
  dest_ = dest;
  items_.clear();
  index_.clear();
  known_.clear();
  pending_.clear();
  rewrite_ = true;
  std::string bytes;
  std::vector<LogItem> earlier;
  int version = 0;
  if (platform::ReadWholeFile(files_, dest_ + kInstallLogName, 64u << 20, &bytes) != platform::ReadResult::Ok ||
      !ParseInstallLog(bytes, &earlier, &version))
    return;
  for (LogItem& item : earlier) {
    // A version-1 shortcut is taken as it lies now: that log's uninstaller removed it wherever
    // it lay, changed or not.
    if (!item.crcKnown && !FileCrc32(files_, item.path, &item.size, &item.crc)) continue;
    item.crcKnown = true;
    Add(item);
  }
  unflushed_.clear();
  // Appending goes on only after whole lines of this version.
  rewrite_ = version != kVersion || bytes.back() != '\n';
}

std::wstring InstallLog::PathOf(const std::wstring& name) const {
  std::wstring path = dest_ + name;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return util::WithoutTrailingBackslash(path);
}

void InstallLog::NoteFolder(const std::wstring& folder) {
  const std::wstring key = util::FoldCase(folder);
  if (known_.count(key)) return;
  const bool existed = files_.Kind(folder) == platform::PathKind::Directory;
  known_[key] = existed;
  if (!existed) pending_.push_back(folder);
}

void InstallLog::EntryStarting(const std::wstring& name, bool directory) {
  if (!IsOpen()) return;
  const std::wstring path = PathOf(name);
  // The folders the destination lies in (the installation may make the company's folder
  // too), the destination itself, then every folder of the entry below it, top-down.
  for (size_t at = dest_.find(L'\\', util::RootLength(dest_)); at != std::wstring::npos;
       at = dest_.find(L'\\', at + 1))
    NoteFolder(dest_.substr(0, at));
  for (size_t at = path.find(L'\\', dest_.size()); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    NoteFolder(path.substr(0, at));
  if (directory) NoteFolder(path);
}

void InstallLog::EntryDone(const std::wstring& name, bool directory, bool extracted,
                           uint32_t archiveSize, uint32_t archiveCrc,
                           const std::wstring& waitingFile) {
  if (!IsOpen()) return;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (files_.Kind(*it) == platform::PathKind::Directory) {
      Add({LogItemKind::Folder, *it});
      it = pending_.erase(it);
    } else {
      // Not made after all: look again when a later entry needs it.
      known_.erase(util::FoldCase(*it));
      it = pending_.erase(it);
    }
  }
  if (directory || !extracted) return;
  const std::wstring path = PathOf(name);
  if (files_.Kind(path) != platform::PathKind::File) return;
  LogItem item{LogItemKind::File, path};
  // What stands at the path after the restart.
  const std::wstring& data = waitingFile.empty() ? path : waitingFile;
  std::unique_ptr<platform::ReadableFile> file = files_.OpenRead(data);
  // The library checked the data against the archive's CRC: when the sizes agree, that CRC is
  // the file's. Entries without one (BLAKE2 hashes, 4 GB and over) are read back.
  if (file && archiveCrc != 0 && file->Size() == archiveSize) {
    item.size = archiveSize;
    item.crc = archiveCrc;
  } else {
    file.reset();
    if (!FileCrc32(files_, data, &item.size, &item.crc)) return;
  }
  Add(item);
}

void InstallLog::AddShortcut(const std::wstring& path) {
  LogItem item{LogItemKind::Shortcut, path};
  if (FileCrc32(files_, path, &item.size, &item.crc)) Add(item);
}

void InstallLog::Add(const LogItem& item) {
  const auto found = index_.emplace(util::FoldCase(item.path), items_.size());
  if (found.second) {
    items_.push_back(item);
  } else {
    // A path logged again (a file written again) is what it is now; the same line twice is
    // not worth a line.
    LogItem& logged = items_[found.first->second];
    if (logged.kind == item.kind && logged.path == item.path && logged.size == item.size &&
        logged.crc == item.crc)
      return;
    logged = item;
  }
  unflushed_ += FormatLine(item);
}

bool InstallLog::Flush() {
  if (!IsOpen()) return false;
  // Never written through a link in the destination, its own place included.
  if (platform::LinkOnTheWay(files_, dest_, dest_ + kInstallLogName)) return false;
  if (!rewrite_) {
    if (unflushed_.empty() || Append(unflushed_)) {
      unflushed_.clear();
      return true;
    }
    rewrite_ = true;  // the failed write may have left a cut line at the end
  }
  unflushed_.clear();  // the whole log holds them
  if (!platform::WriteWholeFile(files_, dest_ + kInstallLogName, FormatInstallLog(items_))) return false;
  rewrite_ = false;
  return true;
}

bool InstallLog::Append(const std::string& lines) {
  std::unique_ptr<platform::WritableFile> out = files_.OpenAppend(dest_ + kInstallLogName);
  if (!out) return false;
  const bool written = out->Write(lines.data(), lines.size()) && out->Flush();
  return out->Close() && written;
}

}  // namespace formats
