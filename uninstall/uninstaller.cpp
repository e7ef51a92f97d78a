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
#include "util/files.h"
#include "util/ini.h"
#include "util/paths.h"

namespace uninstall {
namespace {

constexpr wchar_t kCaption[] = L"Удаление программы";
constexpr size_t kMaxLogBytes = 64u << 20;
constexpr size_t kListedAtMost = 15;

std::wstring WithoutTrailingBackslash(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

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
  }
  return L"";
}

}  // namespace

Uninstaller::Uninstaller(const UninstallPlatform& platform, const std::wstring& destDir,
                         const std::wstring& selfPath)
    : p_(platform), dest_(WithoutTrailingBackslash(destDir)), self_(selfPath) {}

void Uninstaller::Show(void* owner, const std::wstring& text, int kind) {
  const platform::MsgIcon icon = kind == 0 ? platform::MsgIcon::Information : platform::MsgIcon::Warning;
  p_.messageBoxes->Show(owner, text, kCaption, platform::MsgButtons::Ok, icon);
}

bool Uninstaller::ReadRecord() {
  const std::wstring record = dest_ + L"\\UnInstall.ini";
  if (p_.files->Kind(record) != platform::PathKind::File) return false;
  const util::IniFile ini = util::IniFile::Load(*p_.files, record);
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
  std::string bytes;
  logReadable_ = util::ReadWholeFile(*p_.files, dest_ + L"\\" + setup::kInstallLogName, kMaxLogBytes, &bytes) ==
                     util::ReadResult::Ok &&
                 setup::ParseInstallLog(bytes, &log_);
  if (!logReadable_)
    Show(owner, L"Журнал установки " + dest_ + L"\\" + setup::kInstallLogName +
                    L" отсутствует или повреждён. Файлы программы не будут удалены: только её ярлыки, "
                    L"запись об установке и строка в списке установленных программ.", 1);
  if (p_.messageBoxes->Show(owner, L"Удалить " + name_ + L"?", kCaption, platform::MsgButtons::YesNo,
                            platform::MsgIcon::Question) != platform::MsgAnswer::Yes)
    return false;

  if (logReadable_) RemoveLoggedFiles(owner);
  RemoveShortcuts();
  RemoveFixed(dest_ + L"\\GraphEditor.ini");
  RemoveEntry();
  RemoveFixed(dest_ + L"\\UnInstall.ini");
  RemoveFixed(dest_ + L"\\" + setup::kInstallLogName);
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

void Uninstaller::RemoveLoggedFiles(void* owner) {
  std::vector<std::wstring> inUse;
  for (const setup::LogItem& item : log_) {
    if (item.kind != setup::LogItemKind::File) continue;
    if (!IsInside(item.path, dest_)) {
      Note(item.path, KeptReason::Outside);
      continue;
    }
    if (p_.files->Kind(item.path) != platform::PathKind::File) continue;  // gone already
    uint64_t size = 0;
    uint32_t crc = 0;
    if (!setup::FileCrc32(*p_.files, item.path, &size, &crc)) {
      // Unreadable now: it may be locked by a running program, so it earns the retry too.
      inUse.push_back(item.path);
      continue;
    }
    if (size != item.size || crc != item.crc) {
      Note(item.path, KeptReason::Changed);
      continue;
    }
    if (util::EqualsNoCase(item.path, self_)) {
      RemoveOwnFile(item.path);
      continue;
    }
    const RemoveOutcome outcome = p_.remover->RemoveFile(item.path);
    if (outcome == RemoveOutcome::InUse) inUse.push_back(item.path);
    else if (outcome == RemoveOutcome::Refused || outcome == RemoveOutcome::NotEmpty) Note(item.path, KeptReason::Refused);
  }
  if (inUse.empty()) return;

  std::wstring list;
  for (size_t i = 0; i < inUse.size() && i < kListedAtMost; ++i) list += inUse[i] + L"\n";
  if (inUse.size() > kListedAtMost) list += L"...\n";
  const platform::MsgAnswer answer = p_.messageBoxes->Show(
      owner, L"Эти файлы заняты другой программой:\n" + list +
                 L"Закройте её и нажмите «Повторить» или нажмите «Пропустить», чтобы оставить их.",
      kCaption, platform::MsgButtons::RetryCancel, platform::MsgIcon::Warning);
  for (const std::wstring& path : inUse) {
    if (answer != platform::MsgAnswer::Retry) {
      Note(path, KeptReason::InUse);
      continue;
    }
    // The one retry checks the file again: it may have changed while it was in use.
    const auto logged = std::find_if(log_.begin(), log_.end(), [&](const setup::LogItem& i) { return i.path == path; });
    uint64_t size = 0;
    uint32_t crc = 0;
    if (!setup::FileCrc32(*p_.files, path, &size, &crc)) {
      if (p_.files->Kind(path) == platform::PathKind::File) Note(path, KeptReason::InUse);
      continue;
    }
    if (size != logged->size || crc != logged->crc) {
      Note(path, KeptReason::Changed);
      continue;
    }
    const RemoveOutcome outcome = p_.remover->RemoveFile(path);
    if (outcome == RemoveOutcome::InUse) Note(path, KeptReason::InUse);
    else if (outcome == RemoveOutcome::Refused || outcome == RemoveOutcome::NotEmpty) Note(path, KeptReason::Refused);
  }
}

void Uninstaller::RemoveOwnFile(const std::wstring& path) {
  if (p_.remover->RemoveFile(path) == RemoveOutcome::Removed) return;
  Note(path, p_.remover->RemoveAtRestart(path) ? KeptReason::AtRestart : KeptReason::InUse);
}

void Uninstaller::RemoveShortcuts() {
  std::wstring desktop, programs;
  const bool hasDesktop = p_.shell && p_.shell->FolderPath(platform::ShellFolder::Desktop, &desktop);
  const bool hasPrograms = p_.shell && p_.shell->FolderPath(platform::ShellFolder::Programs, &programs);
  auto inShellFolder = [&](const std::wstring& path) {
    return (hasDesktop && IsInside(path, desktop)) || (hasPrograms && IsInside(path, programs));
  };
  std::vector<std::wstring> links = recordLinks_;
  std::vector<std::wstring> folders;
  for (const setup::LogItem& item : log_) {
    if (item.kind == setup::LogItemKind::Shortcut) links.push_back(item.path);
    if (item.kind == setup::LogItemKind::ShortcutFolder) {
      if (inShellFolder(item.path)) folders.push_back(item.path);
      else Note(item.path, KeptReason::Outside);
    }
  }
  std::vector<std::wstring> done;
  for (const std::wstring& link : links) {
    if (std::any_of(done.begin(), done.end(), [&](const std::wstring& d) { return util::EqualsNoCase(d, link); }))
      continue;
    done.push_back(link);
    // Only shortcut files: never another file on the user's desktop.
    if (!inShellFolder(link) || !EndsWithNoCase(link, L".lnk")) {
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

// Deepest first, so a folder is empty once its logged subfolders are gone; a folder still
// holding something stays without a word: it holds what the message lists, or the user's files.
void Uninstaller::RemoveFolders(std::vector<std::wstring> folders, bool logged) {
  std::stable_sort(folders.begin(), folders.end(),
                   [](const std::wstring& a, const std::wstring& b) { return Depth(a) > Depth(b); });
  const bool selfWaits = std::any_of(kept_.begin(), kept_.end(), [](const Kept& k) {
    return k.reason == KeptReason::AtRestart;
  });
  for (const std::wstring& folder : folders) {
    if (p_.files->Kind(folder) != platform::PathKind::Directory) continue;
    const RemoveOutcome outcome = p_.remover->RemoveFolder(folder);
    // The destination still holds the running uninstaller: it goes with it at the restart.
    if (outcome == RemoveOutcome::NotEmpty && logged && selfWaits && IsInside(self_, folder))
      p_.remover->RemoveAtRestart(folder);
    else if (outcome == RemoveOutcome::Refused || outcome == RemoveOutcome::InUse)
      Note(folder, KeptReason::Refused);
  }
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
  std::wstring text = L"Программа " + name_ + L" удалена, но осталось:\n";
  for (size_t i = 0; i < kept_.size() && i < kListedAtMost; ++i)
    text += kept_[i].path + L" — " + ReasonText(kept_[i].reason) + L"\n";
  if (kept_.size() > kListedAtMost) text += L"... и ещё " + std::to_wstring(kept_.size() - kListedAtMost) + L"\n";
  return text;
}

}  // namespace uninstall
