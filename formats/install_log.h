#pragma once
// The installation log UnInstall.log: what the installation wrote, so the uninstaller removes
// that and nothing else. UTF-8 with a byte-order mark, the header line "# UnInstall.log 2", then
// one line per item, fields separated by tabs (a character no Windows path holds):
//   F <tab> size <tab> CRC-32 in 8 hex digits <tab> full path   an extracted file
//   D <tab> full path                                           a folder the installer created
//   L <tab> size <tab> CRC-32 in 8 hex digits <tab> full path   a shortcut file
//   S <tab> full path                                           a shortcut folder it created
// Logs of version 1, which earlier installations wrote, are read too: their L lines hold the
// path alone. The recorder appends each archive's lines and flushes them to disk, so an
// installation that stops half way leaves a log of what was written up to its last archive.
// Reading it, a path named twice is what its last line says, and a last line without its line
// end (a write cut short) is left out.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform { class FileSystem; }

namespace formats {

constexpr wchar_t kInstallLogName[] = L"UnInstall.log";

enum class LogItemKind { File, Folder, Shortcut, ShortcutFolder };

struct LogItem {
  LogItemKind kind = LogItemKind::File;
  std::wstring path;
  uint64_t size = 0;      // files and shortcuts
  uint32_t crc = 0;       // files and shortcuts
  bool crcKnown = true;   // false for a shortcut of a version-1 log, logged by its path alone
};

// The bytes of a whole log of the current version for these items (shortcuts with their size
// and CRC).
std::string FormatInstallLog(const std::vector<LogItem>& items);
// Reads a log of either version, one item per path, in the order the paths first appear.
// False when it is damaged in any way (no mark or header, a line that does not parse, text that
// is not UTF-8, a control character in a path): a damaged log is trusted for nothing, so *items
// is then empty. *version, when given, gets the header's version.
bool ParseInstallLog(std::string_view bytes, std::vector<LogItem>* items, int* version = nullptr);

// CRC-32 and size of a file as it lies on disk; false when it cannot be read through.
bool FileCrc32(platform::FileSystem& files, const std::wstring& path, uint64_t* size, uint32_t* crc);

// Records what one installation writes into a destination folder, fed by the copy page's
// per-entry events and by the shortcut work, and keeps the log file up to date.
class InstallLog {
 public:
  explicit InstallLog(platform::FileSystem& files) : files_(files) {}

  // Starts recording for destDir (ending with "\"); a no-op when already recording there. The
  // items of a log already in that folder are kept, so installing twice into one folder loses
  // nothing the first installation wrote; a log of version 1 is written anew at the first flush
  // (its shortcuts with the size and CRC they have now; one that is gone is left out).
  void Open(const std::wstring& destDir);
  bool IsOpen() const { return !dest_.empty(); }

  // An archive entry (its name relative to the destination, either separator) is about to be
  // extracted: notes which of its folders do not exist yet.
  void EntryStarting(const std::wstring& name, bool directory);
  // The entry has been extracted (or failed): the folders that appeared and, for an extracted
  // file, its size and CRC-32 (the archive's when they match the file, else read back). A file
  // left for the restart (`waitingFile` replaces it then) is logged with the waiting one's.
  void EntryDone(const std::wstring& name, bool directory, bool extracted, uint32_t archiveSize,
                 uint32_t archiveCrc, const std::wstring& waitingFile = {});
  // A folder made for shortcuts, and a shortcut file saved (logged with its size and CRC; one
  // that cannot be read back is not logged).
  void AddShortcutFolder(const std::wstring& path) { Add({LogItemKind::ShortcutFolder, path}); }
  // A folder of the destination's path made before the copying.
  void AddFolder(const std::wstring& path) { Add({LogItemKind::Folder, path}); }
  void AddShortcut(const std::wstring& path);

  // Puts what was logged since the last flush on disk: appended to the log and flushed. The log
  // is written whole instead when there is none yet, when the one found was of version 1, ended
  // in a cut line or did not parse, or after an append failed. False when it cannot be written
  // or a link lies on its way from the destination (platform::LinkOnTheWay).
  bool Flush();
  const std::vector<LogItem>& Items() const { return items_; }
  // Where an entry's name (either separator) lands under the destination.
  std::wstring PathOf(const std::wstring& name) const;

 private:
  void Add(const LogItem& item);
  bool Append(const std::string& lines);
  void NoteFolder(const std::wstring& folder);

  platform::FileSystem& files_;
  std::wstring dest_;                     // with trailing "\"
  std::vector<LogItem> items_;
  std::map<std::wstring, size_t> index_;  // folded path -> item, one item per path
  std::map<std::wstring, bool> known_;    // folded folder -> existed when first seen
  std::vector<std::wstring> pending_;     // folders missing when seen, in order top-down
  std::string unflushed_;                 // lines logged since the last flush
  bool rewrite_ = true;                   // the log on disk is to be written whole
};

}  // namespace formats
