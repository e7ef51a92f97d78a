#pragma once
// The uninstaller's work, over the platform interfaces: reads the record UnInstall.ini and the
// log UnInstall.log of a destination folder, asks the user, removes what the installation left
// and ends with one message saying what was kept and why.
//
// It removes only what the log names inside the destination folder and the shell folders,
// reached from there without passing a link (a junction, symbolic link or mount point, the
// thing's own place included): files and shortcuts that still have their logged size and CRC-32
// (shortcuts of an older log, logged by their path alone, go as the record's do), the folders
// the installer made once they are empty, each as itself; then GraphEditor.ini, the record, the log and the entry in the list of installed
// programs. Without a readable log it removes the record's shortcuts, the record and the entry,
// never guessing at files. The font, AutoCAD's profiles and the user's files stay. The final
// message says the program was removed only when nothing stayed.
#include <set>
#include <string>
#include <vector>

#include "formats/install_log.h"

namespace platform {
class FileSystem;
class MessageBoxes;
class Registry;
class Shell;
}  // namespace platform

namespace uninstall {

// The title of every box and window of the uninstaller.
constexpr wchar_t kCaption[] = L"Удаление программы";

class Remover;

struct UninstallPlatform {
  platform::FileSystem* files = nullptr;
  platform::Registry* registry = nullptr;
  platform::Shell* shell = nullptr;
  platform::MessageBoxes* messageBoxes = nullptr;
  Remover* remover = nullptr;
};

// What became of one thing the uninstaller set out to remove: gone, or why it stayed. Gone
// covers what was already gone and what is no longer the installation's (a folder where it
// logged a file); WithOwnFile, a folder holding nothing but the uninstaller's own file, which
// Windows removes with it at the restart. A folder that is not empty stays: HoldsUsersFiles when
// it holds anything the installation did not make, else HoldsKept (what stayed in it for a
// reason of its own). NoLog: the destination, whose files are not touched without a readable log.
// ThroughLink: a link (junction, symbolic link, mount point) lies on the way from the folder it
// belongs to, or in its place: neither the link nor what it leads to is touched.
enum class Outcome {
  Gone, WithOwnFile, Changed, InUse, Refused, Outside, ThroughLink, AtRestart, HoldsUsersFiles, HoldsKept,
  NoLog
};

// What the final message names: what stayed and why.
struct Kept {
  std::wstring path;
  Outcome reason;
};

// What the final message says of a thing kept for `reason`; null for one that did not stay.
const wchar_t* WhyKept(Outcome reason);

// True when all that is kept is what Windows removes at its next start: for the user the
// program is removed.
bool OnlyLeftToRestart(const std::vector<Kept>& kept);

class Uninstaller {
 public:
  // destDir: the installation's folder (with or without the trailing backslash); selfPath: the
  // running program's file, which cannot remove itself and is left to the next restart.
  Uninstaller(const UninstallPlatform& platform, const std::wstring& destDir, const std::wstring& selfPath);

  // The whole run. False when nothing was done: no record, or the user answered No.
  bool Run(void* owner);

  const std::vector<Kept>& KeptItems() const { return kept_; }

 private:
  bool ReadRecord();
  void FindShellFolders();
  bool InShellFolder(const std::wstring& path) const;
  // The shell folder `path` lies in; empty when none.
  std::wstring ShellFolderOf(const std::wstring& path) const;
  bool IsShortcutPlace(const std::wstring& path) const;
  bool InItsPlace(const formats::LogItem& item) const;
  std::wstring FolderItBelongsTo(const formats::LogItem& item) const;
  Outcome Remove(const formats::LogItem& item);
  Outcome WhyNotEmpty(const std::wstring& folder);
  void RemoveCheckedFiles(void* owner);
  void RemoveShortcuts();
  void RemoveFolders(std::vector<formats::LogItem> folders);
  void RemoveEntry();
  void Note(const std::wstring& path, Outcome outcome);
  std::wstring FinalText() const;
  void Show(void* owner, const std::wstring& text, int kind);

  UninstallPlatform p_;
  std::wstring dest_;  // without trailing backslash
  std::wstring self_;
  std::wstring name_;
  std::vector<std::wstring> recordLinks_;
  bool logReadable_ = false;
  std::vector<formats::LogItem> log_;
  std::set<std::wstring> named_;  // folded paths the installation made: logged, the record's, its files
  std::vector<std::wstring> shellFolders_;  // the desktops and Start menus found
  bool ownFileAtRestart_ = false;
  std::vector<Kept> kept_;
};

}  // namespace uninstall
