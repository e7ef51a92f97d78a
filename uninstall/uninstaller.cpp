#include "uninstall/uninstaller.h"

#include <algorithm>

#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "setup/setup.h"
#include "uninstall/path_rules.h"
#include "uninstall/remover.h"
#include "util/codepage.h"
#include "platform/file_io.h"
#include "util/ini.h"
#include "util/paths.h"

namespace uninstall {
namespace {

constexpr wchar_t kCaption[] = L"Удаление программы";
constexpr size_t kMaxLogBytes = 64u << 20;
constexpr size_t kListedAtMost = 15;

bool EndsWithNoCase(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && util::EqualsNoCase(text.substr(text.size() - end.size()), end);
}

size_t Depth(const std::wstring& path) { return static_cast<size_t>(std::count(path.begin(), path.end(), L'\\')); }

const wchar_t* ReasonText(KeptReason reason) {
  switch (reason) {
    case KeptReason::Changed: return L"изменён после установки";
    case KeptReason::InUse: return L"используется другой программой";
    case KeptReason::Refused: return L"доступ запрещён";
    case KeptReason::Outside: return L"вне папок программы, не тронут";
    case KeptReason::AtRestart: return L"будет удалён при перезапуске Windows";
    case KeptReason::HoldsUsersFiles: return L"в ней ваши файлы";
    case KeptReason::HoldsKept: return L"в ней осталось названное выше";
    case KeptReason::NoLog: return L"журнала установки нет, файлы программы не тронуты";
  }
  return L"";
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
  const std::wstring record = dest_ + L"\\UnInstall.ini";
  if (p_.files->Kind(record) != platform::PathKind::File) return false;
  const util::IniFile ini = platform::LoadIniFile(*p_.files, record);
  name_ = ini.ReadString(L"GENERAL", L"NameApplication", L"");
  for (const util::IniEntry& entry : ini.ReadSection(L"GENERAL"))
    if (entry.name.size() > 4 && util::EqualsNoCase(entry.name.substr(0, 4), L"Link")) recordLinks_.push_back(entry.value);
  return !name_.empty();
}

bool Uninstaller::Run(void* owner) {
  if (!util::IsPlainFullPath(dest_) || !ReadRecord()) {
    Show(owner, L"В папке " + dest_ + L" нет записи об установке программы (UnInstall.ini): удалять нечего.", 1);
    return false;
  }
  const std::wstring logPath = dest_ + L"\\" + setup::kInstallLogName;
  std::string bytes;
  logReadable_ = platform::ReadWholeFile(*p_.files, logPath, kMaxLogBytes, &bytes) == platform::ReadResult::Ok &&
                 setup::ParseInstallLog(bytes, &log_);
  if (!logReadable_)
    Show(owner, L"Журнал установки " + logPath +
                    L" отсутствует или повреждён. Файлы программы не будут удалены: только её ярлыки, "
                    L"запись об установке и строка в списке установленных программ.", 1);
  if (p_.messageBoxes->Show(owner, L"Удалить " + name_ + L"?", kCaption, platform::MsgButtons::YesNo,
                            platform::MsgIcon::Question) != platform::MsgAnswer::Yes)
    return false;

  const std::wstring graphEditor = dest_ + L"\\GraphEditor.ini", record = dest_ + L"\\UnInstall.ini";
  for (const std::wstring& path : {graphEditor, record, logPath}) named_.insert(util::FoldCase(path));
  for (const std::wstring& link : recordLinks_) named_.insert(util::FoldCase(link));
  for (const setup::LogItem& item : log_) named_.insert(util::FoldCase(item.path));

  FindShellFolders();
  if (logReadable_) RemoveCheckedFiles(owner);
  else Note(dest_, KeptReason::NoLog);
  RemoveShortcuts();
  RemoveFixed(graphEditor);
  RemoveEntry();
  RemoveFixed(record);
  RemoveFixed(logPath);
  if (logReadable_) {
    std::vector<std::wstring> folders;
    for (const setup::LogItem& item : log_)
      if (item.kind == setup::LogItemKind::Folder) {
        // The folders above the destination that the installation made (the company's) go
        // too once empty; never a drive's root.
        const bool above = item.path.size() > 3 && IsInside(dest_, item.path);
        if (IsInsideOrSame(item.path, dest_) || above) folders.push_back(item.path);
        else Note(item.path, KeptReason::Outside);
      }
    RemoveFolders(folders, true);
  }
  Show(owner, FinalText(), kept_.empty() ? 0 : 1);
  return true;
}

void Uninstaller::FindShellFolders() {
  if (!p_.shell) return;
  if (!p_.shell->FolderPath(platform::ShellFolder::Desktop, &desktop_)) desktop_.clear();
  if (!p_.shell->FolderPath(platform::ShellFolder::Programs, &programs_)) programs_.clear();
}

bool Uninstaller::InShellFolder(const std::wstring& path) const {
  return (!desktop_.empty() && IsInside(path, desktop_)) || (!programs_.empty() && IsInside(path, programs_));
}

// Only shortcut files in the two shell folders: never another file on the user's desktop.
bool Uninstaller::IsShortcutPlace(const std::wstring& path) const {
  return InShellFolder(path) && EndsWithNoCase(path, L".lnk");
}

// The logged files and the shortcuts logged with their CRC, each removed only while it is as
// logged. Those a program holds are offered one retry.
void Uninstaller::RemoveCheckedFiles(void* owner) {
  std::vector<const setup::LogItem*> inUse;
  for (const setup::LogItem& item : log_) {
    const bool file = item.kind == setup::LogItemKind::File;
    if (!file && !(item.kind == setup::LogItemKind::Shortcut && item.crcKnown)) continue;
    if (file ? !IsInside(item.path, dest_) : !IsShortcutPlace(item.path)) {
      Note(item.path, KeptReason::Outside);
      continue;
    }
    if (RemoveUnchanged(item, false)) inUse.push_back(&item);
  }
  if (inUse.empty()) return;

  std::wstring list;
  for (size_t i = 0; i < inUse.size() && i < kListedAtMost; ++i) list += inUse[i]->path + L"\n";
  if (inUse.size() > kListedAtMost) list += L"...\n";
  const platform::MsgAnswer answer = p_.messageBoxes->Show(
      owner, L"Эти файлы заняты другой программой:\n" + list +
                 L"Закройте её и нажмите «Повторить» или нажмите «Пропустить», чтобы оставить их.",
      kCaption, platform::MsgButtons::RetryCancel, platform::MsgIcon::Warning);
  for (const setup::LogItem* item : inUse) {
    // The one retry checks the file again: it may have changed while it was in use.
    if (answer == platform::MsgAnswer::Retry) RemoveUnchanged(*item, true);
    else Note(item->path, KeptReason::InUse);
  }
}

// True when the file is held by a program and this was not the last try; otherwise it is
// removed or noted as kept. A file already gone is no matter.
bool Uninstaller::RemoveUnchanged(const setup::LogItem& item, bool lastTry) {
  if (p_.files->Kind(item.path) != platform::PathKind::File) return false;
  uint64_t size = 0;
  uint32_t crc = 0;
  RemoveOutcome outcome;
  if (!setup::FileCrc32(*p_.files, item.path, &size, &crc)) {
    outcome = RemoveOutcome::InUse;  // unreadable now: it may be locked by a running program
  } else if (size != item.size || crc != item.crc) {
    Note(item.path, KeptReason::Changed);
    return false;
  } else if (util::EqualsNoCase(item.path, self_)) {
    RemoveOwnFile(item.path);
    return false;
  } else {
    outcome = p_.remover->RemoveFile(item.path);
  }
  if (outcome == RemoveOutcome::InUse) {
    if (!lastTry) return true;
    Note(item.path, KeptReason::InUse);
  } else if (outcome == RemoveOutcome::Refused || outcome == RemoveOutcome::NotEmpty) {
    Note(item.path, KeptReason::Refused);
  }
  return false;
}

void Uninstaller::RemoveOwnFile(const std::wstring& path) {
  if (p_.remover->RemoveFile(path) == RemoveOutcome::Removed) return;
  Note(path, p_.remover->RemoveAtRestart(path) ? KeptReason::AtRestart : KeptReason::InUse);
}

// The record's shortcuts and those an older log names by their path alone go by their place;
// the log's checked ones went with the files. Then the shortcut folders the installation made.
void Uninstaller::RemoveShortcuts() {
  std::set<std::wstring> done;
  std::vector<std::wstring> links;
  std::vector<std::wstring> folders;
  for (const setup::LogItem& item : log_) {
    if (item.kind == setup::LogItemKind::Shortcut) {
      if (item.crcKnown) done.insert(util::FoldCase(item.path));
      else links.push_back(item.path);
    }
    if (item.kind == setup::LogItemKind::ShortcutFolder) {
      if (InShellFolder(item.path)) folders.push_back(item.path);
      else Note(item.path, KeptReason::Outside);
    }
  }
  links.insert(links.begin(), recordLinks_.begin(), recordLinks_.end());
  for (const std::wstring& link : links) {
    if (!done.insert(util::FoldCase(link)).second) continue;
    if (!IsShortcutPlace(link)) {
      Note(link, KeptReason::Outside);
      continue;
    }
    if (p_.files->Kind(link) != platform::PathKind::File) continue;
    const RemoveOutcome outcome = p_.remover->RemoveFile(link);
    if (outcome == RemoveOutcome::InUse) Note(link, KeptReason::InUse);
    else if (outcome == RemoveOutcome::Refused) Note(link, KeptReason::Refused);
  }
  RemoveFolders(folders, false);
}

// Deepest first, so a folder is empty once its logged subfolders are gone. A folder still
// holding something stays and is named with what holds it.
void Uninstaller::RemoveFolders(std::vector<std::wstring> folders, bool logged) {
  std::stable_sort(folders.begin(), folders.end(),
                   [](const std::wstring& a, const std::wstring& b) { return Depth(a) > Depth(b); });
  const bool selfWaits = std::any_of(kept_.begin(), kept_.end(), [](const Kept& k) {
    return k.reason == KeptReason::AtRestart;
  });
  for (const std::wstring& folder : folders) {
    if (p_.files->Kind(folder) != platform::PathKind::Directory) continue;
    const RemoveOutcome outcome = p_.remover->RemoveFolder(folder);
    if (outcome == RemoveOutcome::Refused || outcome == RemoveOutcome::InUse) {
      Note(folder, KeptReason::Refused);
    } else if (outcome == RemoveOutcome::NotEmpty) {
      const KeptReason why = WhyNotEmpty(folder);
      // The destination still holds the running uninstaller: it goes with it at the restart.
      if (why == KeptReason::HoldsKept && logged && selfWaits && IsInside(self_, folder))
        p_.remover->RemoveAtRestart(folder);
      else
        Note(folder, why);
    }
  }
}

// The user's own files or folders, when the folder holds anything the installation did not make.
KeptReason Uninstaller::WhyNotEmpty(const std::wstring& folder) {
  bool usersFiles = false;
  const bool listed = p_.files->List(folder, [&](const platform::DirectoryEntry& entry) {
    usersFiles = !named_.count(util::FoldCase(folder + L"\\" + entry.name));
    return !usersFiles;
  });
  if (!listed) return KeptReason::Refused;
  return usersFiles ? KeptReason::HoldsUsersFiles : KeptReason::HoldsKept;
}

void Uninstaller::RemoveFixed(const std::wstring& path) {
  if (p_.files->Kind(path) != platform::PathKind::File) return;
  const RemoveOutcome outcome = p_.remover->RemoveFile(path);
  if (outcome == RemoveOutcome::InUse) Note(path, KeptReason::InUse);
  else if (outcome == RemoveOutcome::Refused) Note(path, KeptReason::Refused);
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
    Note(L"HKEY_LOCAL_MACHINE\\" + key, KeptReason::Refused);
}

std::wstring Uninstaller::FinalText() const {
  if (kept_.empty()) return L"Программа " + name_ + L" удалена.";
  std::wstring text = L"Удалить " + name_ + L" полностью не удалось. Осталось:\n";
  for (size_t i = 0; i < kept_.size() && i < kListedAtMost; ++i)
    text += kept_[i].path + L" — " + ReasonText(kept_[i].reason) + L"\n";
  if (kept_.size() > kListedAtMost) text += L"... и ещё " + std::to_wstring(kept_.size() - kListedAtMost) + L"\n";
  return text;
}

}  // namespace uninstall
