#include "uninstall/uninstaller.h"

#include <algorithm>

#include "formats/uninstall_record.h"
#include "platform/dialogs.h"
#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "setup/uninstall_key.h"
#include "uninstall/remover.h"
#include "util/codepage.h"
#include "util/paths.h"

namespace uninstall {
namespace {

constexpr size_t kMaxLogBytes = 64u << 20;
constexpr size_t kListedAtMost = 15;

bool EndsWithNoCase(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && util::EqualsNoCase(text.substr(text.size() - end.size()), end);
}

size_t Depth(const std::wstring& path) { return static_cast<size_t>(std::count(path.begin(), path.end(), L'\\')); }

// Each outcome with what the final message says of the thing that stayed; null: nothing stays
// to name (its own file names the uninstaller's folder).
struct OutcomeRow {
  Outcome outcome;
  const wchar_t* reason;
};
constexpr OutcomeRow kOutcomes[] = {
    {Outcome::Gone, nullptr},
    {Outcome::WithOwnFile, nullptr},
    {Outcome::Changed, L"изменён после установки"},
    {Outcome::InUse, L"используется другой программой"},
    {Outcome::Refused, L"доступ запрещён"},
    {Outcome::Outside, L"вне папок программы, не тронут"},
    {Outcome::ThroughLink, L"на пути ссылка, не тронут"},
    {Outcome::AtRestart, L"будет удалён при перезапуске Windows"},
    {Outcome::HoldsUsersFiles, L"в ней ваши файлы"},
    {Outcome::HoldsKept, L"в ней осталось названное выше"},
    {Outcome::NoLog, L"журнала установки нет, файлы программы не тронуты"},
};

// What goes by its name and place alone: the record's shortcuts and the installation's own
// files beside the log.
formats::LogItem ByName(formats::LogItemKind kind, const std::wstring& path) {
  formats::LogItem item;
  item.kind = kind;
  item.path = path;
  item.crcKnown = false;
  return item;
}

bool IsFolder(const formats::LogItem& item) {
  return item.kind == formats::LogItemKind::Folder ||
         item.kind == formats::LogItemKind::ShortcutFolder;
}

}  // namespace

Uninstaller::Uninstaller(const UninstallPlatform& platform, const std::wstring& destDir,
                         const std::wstring& selfPath)
    : p_(platform), dest_(util::WithoutTrailingBackslash(destDir)), self_(selfPath) {}

void Uninstaller::Show(void* owner, const std::wstring& text, int kind) {
  const platform::MsgIcon icon = kind == 0 ? platform::MsgIcon::Information : platform::MsgIcon::Warning;
  p_.messageBoxes->Show(owner, text, kCaption, platform::MsgButtons::Ok, icon);
}

bool Uninstaller::ReadRecord() {
  formats::UninstallRecord record;
  if (!formats::LoadUninstallRecord(*p_.files, dest_ + L"\\" + formats::kUninstallRecordName,
                                    &record))
    return false;
  name_ = record.productName;
  recordLinks_ = record.shortcuts;
  return !name_.empty();
}

bool Uninstaller::Run(void* owner) {
  if (!util::IsPlainFullPath(dest_) || !ReadRecord()) {
    Show(owner, L"В папке " + dest_ + L" нет записи об установке программы (UnInstall.ini): удалять нечего.", 1);
    return false;
  }
  const std::wstring logPath = dest_ + L"\\" + formats::kInstallLogName;
  std::string bytes;
  logReadable_ = platform::ReadWholeFile(*p_.files, logPath, kMaxLogBytes, &bytes) ==
                     platform::ReadResult::Ok &&
                 formats::ParseInstallLog(bytes, &log_);
  if (!logReadable_)
    Show(owner, L"Журнал установки " + logPath +
                    L" отсутствует или повреждён. Файлы программы не будут удалены: только её ярлыки, "
                    L"запись об установке и строка в списке установленных программ.", 1);
  if (p_.messageBoxes->Show(owner, L"Удалить " + name_ + L"?", kCaption, platform::MsgButtons::YesNo,
                            platform::MsgIcon::Question) != platform::MsgAnswer::Yes)
    return false;

  const std::wstring graphEditor = dest_ + L"\\GraphEditor.ini";
  const std::wstring record = dest_ + L"\\" + formats::kUninstallRecordName;
  for (const std::wstring& path : {graphEditor, record, logPath}) named_.insert(util::FoldCase(path));
  for (const std::wstring& link : recordLinks_) named_.insert(util::FoldCase(link));
  for (const formats::LogItem& item : log_) named_.insert(util::FoldCase(item.path));

  FindShellFolders();
  if (logReadable_) RemoveCheckedFiles(owner);
  else Note(dest_, Outcome::NoLog);
  RemoveShortcuts();
  Note(graphEditor, Remove(ByName(formats::LogItemKind::File, graphEditor)));
  RemoveEntry();
  Note(record, Remove(ByName(formats::LogItemKind::File, record)));
  Note(logPath, Remove(ByName(formats::LogItemKind::File, logPath)));
  if (logReadable_) {
    std::vector<formats::LogItem> folders;
    for (const formats::LogItem& item : log_)
      if (item.kind == formats::LogItemKind::Folder) folders.push_back(item);
    RemoveFolders(folders);
  }
  Show(owner, FinalText(), OnlyLeftToRestart(kept_) ? 0 : 1);
  return true;
}

// The user's desktop and Start menu, and every user's (where an installation for all users put
// its shortcuts).
void Uninstaller::FindShellFolders() {
  if (!p_.shell) return;
  for (platform::ShellFolder kind : {platform::ShellFolder::Desktop, platform::ShellFolder::Programs,
                                     platform::ShellFolder::CommonDesktop, platform::ShellFolder::CommonPrograms}) {
    std::wstring folder;
    if (p_.shell->FolderPath(kind, &folder) && !folder.empty()) shellFolders_.push_back(folder);
  }
}

bool Uninstaller::InShellFolder(const std::wstring& path) const { return !ShellFolderOf(path).empty(); }

std::wstring Uninstaller::ShellFolderOf(const std::wstring& path) const {
  for (const std::wstring& folder : shellFolders_)
    if (util::IsInside(path, folder)) return folder;
  return L"";
}

// Only shortcut files in the shell folders: never another file on the user's desktop.
bool Uninstaller::IsShortcutPlace(const std::wstring& path) const {
  return InShellFolder(path) && EndsWithNoCase(path, L".lnk");
}

// Files inside the destination; shortcut files and the folders made for them in the shell
// folders; the destination, the folders below it and those above it that the installation made
// (the company's), never a drive's root.
bool Uninstaller::InItsPlace(const formats::LogItem& item) const {
  switch (item.kind) {
    case formats::LogItemKind::File:
      return util::IsInside(item.path, dest_);
    case formats::LogItemKind::Shortcut:
      return IsShortcutPlace(item.path);
    case formats::LogItemKind::ShortcutFolder:
      return InShellFolder(item.path);
    case formats::LogItemKind::Folder:
      return util::IsInsideOrSame(item.path, dest_) || (item.path.size() > 3 && util::IsInside(dest_, item.path));
  }
  return false;
}

// Where the walk for links starts: the destination, the shell folder of a shortcut, or a folder
// above the destination itself (one the installation made there).
std::wstring Uninstaller::FolderItBelongsTo(const formats::LogItem& item) const {
  if (item.kind == formats::LogItemKind::Folder && !util::IsInsideOrSame(item.path, dest_))
    return item.path;
  if (item.kind == formats::LogItemKind::File || item.kind == formats::LogItemKind::Folder)
    return dest_;
  return ShellFolderOf(item.path);
}

// The one way anything goes: from its place, reached without passing a link, while it is as the
// installation left it (a file or shortcut logged with its size and CRC-32 still has them, a
// folder is still a folder), and only once the remover says it is gone.
Outcome Uninstaller::Remove(const formats::LogItem& item) {
  if (!InItsPlace(item)) return Outcome::Outside;
  if (platform::LinkOnTheWay(*p_.files, FolderItBelongsTo(item), item.path)) return Outcome::ThroughLink;
  const bool folder = IsFolder(item);
  // Gone already, or no longer what the installation made there.
  if (p_.files->Kind(item.path) != (folder ? platform::PathKind::Directory : platform::PathKind::File))
    return Outcome::Gone;
  if (!folder && item.crcKnown) {
    uint64_t size = 0;
    uint32_t crc = 0;
    // Unreadable now: it may be locked by a running program.
    if (!formats::FileCrc32(*p_.files, item.path, &size, &crc)) return Outcome::InUse;
    if (size != item.size || crc != item.crc) return Outcome::Changed;
  }
  const RemoveOutcome removed = folder ? p_.remover->RemoveFolder(item.path) : p_.remover->RemoveFile(item.path);
  if (removed == RemoveOutcome::Removed || removed == RemoveOutcome::Missing) return Outcome::Gone;
  if (removed == RemoveOutcome::NotEmpty) return WhyNotEmpty(item.path);
  // The running uninstaller cannot remove its own file: Windows does at the restart.
  if (!folder && util::EqualsNoCase(item.path, self_)) {
    if (!p_.remover->RemoveAtRestart(item.path)) return Outcome::Refused;
    ownFileAtRestart_ = true;
    return Outcome::AtRestart;
  }
  return removed == RemoveOutcome::InUse ? Outcome::InUse : Outcome::Refused;
}

// A folder still holding something stays: with the user's own files or folders when it holds
// anything the installation did not make, else with what stayed in it for a reason of its own.
// Holding the running uninstaller's file that way, it goes with it at the restart.
Outcome Uninstaller::WhyNotEmpty(const std::wstring& folder) {
  bool usersFiles = false;
  const bool listed = p_.files->List(folder, [&](const platform::DirectoryEntry& entry) {
    usersFiles = !named_.count(util::FoldCase(folder + L"\\" + entry.name));
    return !usersFiles;
  });
  if (!listed) return Outcome::Refused;
  if (usersFiles) return Outcome::HoldsUsersFiles;
  if (ownFileAtRestart_ && util::IsInside(self_, folder) && p_.remover->RemoveAtRestart(folder))
    return Outcome::WithOwnFile;
  return Outcome::HoldsKept;
}

// The logged files and the shortcuts logged with their CRC. Those a program holds are offered
// one retry.
void Uninstaller::RemoveCheckedFiles(void* owner) {
  std::vector<const formats::LogItem*> inUse;
  for (const formats::LogItem& item : log_) {
    const bool file = item.kind == formats::LogItemKind::File;
    if (!file && !(item.kind == formats::LogItemKind::Shortcut && item.crcKnown)) continue;
    const Outcome outcome = Remove(item);
    if (outcome == Outcome::InUse) inUse.push_back(&item);
    else Note(item.path, outcome);
  }
  if (inUse.empty()) return;

  std::wstring list;
  for (size_t i = 0; i < inUse.size() && i < kListedAtMost; ++i) list += inUse[i]->path + L"\n";
  if (inUse.size() > kListedAtMost) list += L"...\n";
  const platform::MsgAnswer answer = p_.messageBoxes->Show(
      owner, L"Эти файлы заняты другой программой:\n" + list +
                 L"Закройте её и нажмите «Повторить» или нажмите «Пропустить», чтобы оставить их.",
      kCaption, platform::MsgButtons::RetryCancel, platform::MsgIcon::Warning);
  // The one retry checks each file again: it may have changed while it was in use.
  for (const formats::LogItem* item : inUse)
    Note(item->path, answer == platform::MsgAnswer::Retry ? Remove(*item) : Outcome::InUse);
}

// The record's shortcuts and those an older log names by their path alone go by their place;
// the log's checked ones went with the files. Then the shortcut folders the installation made.
void Uninstaller::RemoveShortcuts() {
  std::set<std::wstring> done;
  std::vector<formats::LogItem> links, folders;
  for (const std::wstring& link : recordLinks_)
    links.push_back(ByName(formats::LogItemKind::Shortcut, link));
  for (const formats::LogItem& item : log_) {
    if (item.kind == formats::LogItemKind::Shortcut) {
      if (item.crcKnown) done.insert(util::FoldCase(item.path));
      else links.push_back(item);
    }
    if (item.kind == formats::LogItemKind::ShortcutFolder) folders.push_back(item);
  }
  for (const formats::LogItem& link : links)
    if (done.insert(util::FoldCase(link.path)).second) Note(link.path, Remove(link));
  RemoveFolders(folders);
}

// Deepest first, so a folder is empty once its logged subfolders are gone.
void Uninstaller::RemoveFolders(std::vector<formats::LogItem> folders) {
  std::stable_sort(folders.begin(), folders.end(),
                   [](const formats::LogItem& a, const formats::LogItem& b) {
                     return Depth(a.path) > Depth(b.path);
                   });
  for (const formats::LogItem& folder : folders) Note(folder.path, Remove(folder));
}

void Uninstaller::Note(const std::wstring& path, Outcome outcome) {
  if (WhyKept(outcome)) kept_.push_back({path, outcome});
}

void Uninstaller::RemoveEntry() {
  // The entry is one subkey of the list: an empty name or one with a backslash would reach the
  // list's own key or another program's entry.
  if (name_.find(L'\\') != std::wstring::npos) return;
  const std::wstring key = platform::RegistryPath(setup::kUninstallKey + name_);
  platform::RegValue command;
  if (p_.registry->ReadValue(platform::RegRoot::LocalMachine, key, L"UninstallString", &command) !=
      platform::RegStatus::Ok)
    return;
  // An entry that starts another folder's uninstaller belongs to another installation.
  std::wstring text = platform::ValueText(command);
  text.erase(std::remove(text.begin(), text.end(), L'"'), text.end());
  if (!util::EqualsNoCase(text, dest_ + L"\\UnInstall.exe /UNINSTALL")) return;
  if (p_.registry->DeleteTree(platform::RegRoot::LocalMachine, key) != platform::RegStatus::Ok)
    Note(L"HKEY_LOCAL_MACHINE\\" + key, Outcome::Refused);
}

const wchar_t* WhyKept(Outcome outcome) {
  for (const OutcomeRow& row : kOutcomes)
    if (row.outcome == outcome) return row.reason;
  return nullptr;
}

bool OnlyLeftToRestart(const std::vector<Kept>& kept) {
  return std::all_of(kept.begin(), kept.end(),
                     [](const Kept& k) { return k.reason == Outcome::AtRestart; });
}

std::wstring Uninstaller::FinalText() const {
  const std::wstring removed = L"Программа " + name_ + L" удалена.";
  if (kept_.empty()) return removed;
  std::wstring text = OnlyLeftToRestart(kept_)
                          ? removed + L"\n"
                          : L"Удалить " + name_ + L" полностью не удалось. Осталось:\n";
  for (size_t i = 0; i < kept_.size() && i < kListedAtMost; ++i)
    text += kept_[i].path + L" — " + WhyKept(kept_[i].reason) + L"\n";
  if (kept_.size() > kListedAtMost) text += L"... и ещё " + std::to_wstring(kept_.size() - kListedAtMost) + L"\n";
  return text;
}

}  // namespace uninstall
