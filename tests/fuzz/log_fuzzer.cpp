// libFuzzer target over the uninstaller's reading of UnInstall.log: the input is the log's bytes.
// A log that does not parse gives no items; one that does gives items the uninstaller can trust
// (one per path, no control characters), writes back to a log that reads the same, still reads
// when cut anywhere after its header (a write cut short), takes a line appended the way the
// recorder appends, and is kept whole by a recorder that opens its folder and logs one more item.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "formats/install_log.h"
#include "platform/fake/fake_file_system.h"
#include "tests/fuzz/fuzz_check.h"
#include "util/codepage.h"

namespace {

using formats::LogItem;
using formats::LogItemKind;

bool SameItems(const std::vector<LogItem>& a, const std::vector<LogItem>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].path != b[i].path || a[i].size != b[i].size || a[i].crc != b[i].crc ||
        a[i].crcKnown != b[i].crcKnown)
      return false;
  }
  return true;
}

bool Checked(LogItemKind kind) { return kind == LogItemKind::File || kind == LogItemKind::Shortcut; }

void CheckItems(const std::vector<LogItem>& items, int version) {
  FuzzRequire(version == 1 || version == 2, "a version other than 1 or 2");
  std::set<std::wstring> folded;
  for (const LogItem& item : items) {
    FuzzRequire(!item.path.empty(), "an empty path");
    for (wchar_t c : item.path) FuzzRequire(c >= 0x20 && c != 0x7F, "a control character in a path");
    FuzzRequire(folded.insert(util::FoldCase(item.path)).second, "a path listed twice");
    FuzzRequire(item.crcKnown || (version == 1 && item.kind == LogItemKind::Shortcut),
                "an unknown CRC outside a version-1 shortcut");
    FuzzRequire(Checked(item.kind) || (item.size == 0 && item.crc == 0), "a folder with a size or CRC");
  }
}

// What the recorder appends for these items: a whole log without its header line.
std::string LinesOf(const std::vector<LogItem>& items) {
  const std::string log = formats::FormatInstallLog(items);
  return log.substr(log.find('\n') + 1);
}

// The items after `added` is logged: it takes the place of an item of its path, else comes last.
std::vector<LogItem> WithAdded(std::vector<LogItem> items, const LogItem& added) {
  for (LogItem& item : items) {
    if (util::EqualsNoCase(item.path, added.path)) {
      item = added;
      return items;
    }
  }
  items.push_back(added);
  return items;
}

std::vector<LogItem> Parsed(std::string_view bytes, const char* what) {
  std::vector<LogItem> items;
  int version = 0;
  FuzzRequire(formats::ParseInstallLog(bytes, &items, &version), what);
  CheckItems(items, version);
  return items;
}

// A second installation into the folder that holds the log: the recorder keeps every item of it
// (version 1's shortcuts as they lie now, so none here) and logs one more.
void CheckRecorder(std::string_view bytes, const std::vector<LogItem>& known, int version) {
  platform::FakeFileSystem files;
  const std::wstring dest = L"C:\\Sketrion\\";
  files.PutFile(dest + formats::kInstallLogName, std::string(bytes));
  formats::InstallLog log(files);
  log.Open(dest);
  const LogItem added{LogItemKind::ShortcutFolder, L"C:\\Menu\\Sketrion"};
  log.AddShortcutFolder(added.path);
  if (version == 2) FuzzRequire(SameItems(log.Items(), WithAdded(known, added)), "the recorder lost items of the log");
  FuzzRequire(log.Flush(), "the recorder cannot write its log");
  const std::string* written = files.FileBytes(dest + formats::kInstallLogName);
  FuzzRequire(written && SameItems(Parsed(*written, "the recorder's log does not read"), log.Items()),
              "the recorder's log reads otherwise than it recorded");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<LogItem> items = {{LogItemKind::Folder, L"left over"}};
  int version = 0;
  if (!formats::ParseInstallLog(bytes, &items, &version)) {
    FuzzRequire(items.empty(), "a log that does not parse still gives items");
    return 0;
  }
  CheckItems(items, version);

  // Written back (version 2 keeps every item whose CRC is known), it reads the same.
  std::vector<LogItem> known;
  for (const LogItem& item : items)
    if (item.crcKnown) known.push_back(item);
  const std::string again = formats::FormatInstallLog(known);
  FuzzRequire(SameItems(Parsed(again, "a log written from what was read does not read"), known),
              "a log written from what was read reads otherwise");
  FuzzRequire(formats::FormatInstallLog(Parsed(again, "a rewritten log does not read")) == again,
              "writing a log twice gives other bytes");

  CheckRecorder(bytes, known, version);

  if (version != 2) return 0;  // version 1 was never appended to
  const size_t headerEnd = bytes.find('\n');
  if (headerEnd == std::string_view::npos) return 0;

  // Cut anywhere after its header, the log reads as its lines up to the cut's last line end.
  const size_t cut = headerEnd + 1 + (size - headerEnd - 1) / 2;
  const std::string_view prefix = bytes.substr(0, cut);
  const std::string_view whole = bytes.substr(0, prefix.rfind('\n') + 1);
  FuzzRequire(SameItems(Parsed(prefix, "a log cut short does not read"),
                        Parsed(whole, "the complete lines of a log do not read")),
              "a log cut short reads more than its complete lines");

  // A line appended by the recorder: the path it names takes it, in place when already there.
  if (bytes.back() != '\n') return 0;
  LogItem added{LogItemKind::File, items.empty() ? std::wstring(L"C:\\Sketrion\\Новый.txt") : util::FoldCase(items[0].path),
                7, 0xDEADBEEF};
  const std::string appended = std::string(bytes) + LinesOf({added});
  FuzzRequire(SameItems(Parsed(appended, "a log with a line appended does not read"), WithAdded(items, added)),
              "a log with a line appended reads otherwise");
  return 0;
}
