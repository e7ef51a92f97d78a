#pragma once
// The installation log UnInstall.log: what the installation wrote, so the uninstaller removes
// that and nothing else. UTF-8 with a byte-order mark, a header line, then one line per item,
// fields separated by tabs (a character no Windows path holds):
//   F <tab> size <tab> CRC-32 in 8 hex digits <tab> full path   an extracted file
//   D <tab> full path                                           a folder the installer created
//   L <tab> full path                                           a shortcut file
//   S <tab> full path                                           a shortcut folder it created
// The recorder rewrites the whole log after every archive and after the shortcuts (beside it,
// then moved over it), so an installation that stops half way leaves a complete log of what was
// written up to its last archive.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform { class FileSystem; }

namespace setup {

constexpr wchar_t kInstallLogName[] = L"UnInstall.log";

enum class LogItemKind { File, Folder, Shortcut, ShortcutFolder };

struct LogItem {
  LogItemKind kind = LogItemKind::File;
  std::wstring path;
  uint64_t size = 0;   // files only
  uint32_t crc = 0;    // files only
};

// The log's bytes for these items.
std::string FormatInstallLog(const std::vector<LogItem>& items);
// Reads a log. False when it is damaged in any way (no mark or header, a line that does not
// parse, text that is not UTF-8, a control character in a path): a damaged log is trusted for
// nothing, so *items is then empty.
bool ParseInstallLog(std::string_view bytes, std::vector<LogItem>* items);

// CRC-32 and size of a file as it lies on disk; false when it cannot be read through.
bool FileCrc32(platform::FileSystem& files, const std::wstring& path, uint64_t* size, uint32_t* crc);

// Records what one installation writes into a destination folder, fed by the copy page's
// per-entry events and by the shortcut work, and keeps the log file up to date.
class InstallLog {
 public:
  explicit InstallLog(platform::FileSystem& files) : files_(files) {}

  // Starts recording for destDir (ending with "\"); a no-op when already recording there. The
  // items of a log already in that folder are kept, so installing twice into one folder loses
  // nothing the first installation wrote.
  void Open(const std::wstring& destDir);
  bool IsOpen() const { return !dest_.empty(); }

  // An archive entry (its name relative to the destination, either separator) is about to be
  // extracted: notes which of its folders do not exist yet.
  void EntryStarting(const std::wstring& name, bool directory);
  // The entry has been extracted (or failed): the folders that appeared and, for an extracted
  // file, its size and CRC-32 (the archive's when they match the file, else read back).
  void EntryDone(const std::wstring& name, bool directory, bool extracted, uint32_t archiveSize,
                 uint32_t archiveCrc);
  // A folder made for shortcuts, and a shortcut file saved.
  void AddShortcutFolder(const std::wstring& path) { Add({LogItemKind::ShortcutFolder, path}); }
  void AddShortcut(const std::wstring& path) { Add({LogItemKind::Shortcut, path}); }

  // Writes the whole log into the destination folder; false when it cannot be written.
  bool Save();
  const std::vector<LogItem>& Items() const { return items_; }

 private:
  void Add(const LogItem& item);
  std::wstring PathOf(const std::wstring& name) const;
  void NoteFolder(const std::wstring& folder);

  platform::FileSystem& files_;
  std::wstring dest_;                     // with trailing "\"
  std::vector<LogItem> items_;
  std::map<std::wstring, size_t> index_;  // folded path -> item, one item per path
  std::map<std::wstring, bool> known_;    // folded folder -> existed when first seen
  std::vector<std::wstring> pending_;     // folders missing when seen, in order top-down
};

}  // namespace setup
