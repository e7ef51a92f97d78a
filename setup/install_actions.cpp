// The shortcuts of Setup.ini and the uninstall record, made once the files are in place; the size
// of the entry is brought up to date.
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "formats/install_log.h"
#include "formats/setup_ini.h"
#include "formats/uninstall_record.h"
#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "setup/setup.h"
#include "setup/setup_error.h"
#include "util/codepage.h"
#include "util/paths.h"
#include "util/text.h"

namespace setup {
namespace {

// Creates every missing folder of `relative` (backslash-separated) under the existing `base`;
// the log learns each one made.
void MakeFolders(platform::FileSystem& files, formats::InstallLog& log, const std::wstring& base,
                 const std::wstring& relative) {
  std::wstring path = base;
  size_t from = 0;
  while (from < relative.size()) {
    size_t at = relative.find(L'\\', from);
    if (at == std::wstring::npos) at = relative.size();
    if (at > from) {
      path += L'\\' + relative.substr(from, at - from);
      if (files.Kind(path) != platform::PathKind::Directory && files.MakeDirectory(path))
        log.AddShortcutFolder(path);
    }
    from = at + 1;
  }
}

}  // namespace

bool TSetup::WriteDestIniString(const std::wstring& fileName, const std::wstring& section, const std::wstring& key,
                                const std::wstring& value) {
  const std::wstring file = FDestDir + fileName;
  return !platform::LinkOnTheWay(Files(), FDestDir, file) && platform::WriteIniString(Files(), file, section, key, value);
}

// Writes one key of the record straight to the file, as the private-profile functions do.
void TSetup::WriteRecordKey(const formats::RecordKey& key, const std::wstring& value) {
  if (!WriteDestIniString(formats::kUninstallRecordName, key.section, key.key, value))
    throw SetupError(L"Unable to write to " + FDestDir + formats::kUninstallRecordName);
}

void TSetup::CreateLinks() {
  // The shortcuts are read now, from the file as it is when the files are in place.
  const formats::SetupIni setupIni =
      formats::LoadSetupIni(Files(), FSetupDir + formats::kSetupIniName);
  Log().Open(FDestDir);
  std::wstring failure;
  try {
    WriteRecordKey(formats::ProductNameKey(), FNameApplication);
    for (const formats::LinkSection& link : setupIni.links) {
      std::wstring path =
          CreateShortcut(link.filename, link.workDir, link.fileIcon, link.fileLink, link.dirLink);
      if (!path.empty()) WriteRecordKey(formats::ShortcutKey(link.number), path);
    }
    UpdateEstimatedSize();
  } catch (const SetupError& e) {
    failure = e.Text();
  } catch (const std::bad_alloc&) {
    failure = L"Out of memory";
  } catch (const std::exception& e) {
    // Our other errors (the registry's) carry UTF-8.
    util::FromUtf8(e.what(), &failure, util::BadInput::kAsLatin1);
  }
  if (!Log().Flush() && failure.empty())
    failure = L"Unable to write to " + FDestDir + formats::kInstallLogName;
  if (!failure.empty()) ShowMsg(ApplicationWindow(), failure);
}

std::wstring TSetup::CreateShortcut(const std::wstring& Filename, const std::wstring& WorkDir,
                                    const std::wstring& FileIcon, const std::wstring& FileLink,
                                    const std::wstring& DirLink) {
  std::unique_ptr<platform::ShellLink> link = Shell() ? Shell()->NewLink() : nullptr;
  if (!link) throw SetupError(L"Cannot create a shell link object");
  link->SetPath(FDestDir + Filename);
  link->SetWorkingDirectory(FDestDir + WorkDir);
  if (!FileIcon.empty()) link->SetIconLocation(FDestDir + FileIcon, 0);

  const bool programs = util::EqualsNoCase(DirLink, formats::kProgramsDirLink);
  const platform::ShellFolder shellFolder =
      shortcuts_for_all_users_ ? (programs ? platform::ShellFolder::CommonPrograms : platform::ShellFolder::CommonDesktop)
                               : (programs ? platform::ShellFolder::Programs : platform::ShellFolder::Desktop);
  std::wstring folder;
  // Only plain names below the shell folder, so that the uninstaller may remove what is made.
  if (!Shell()->FolderPath(shellFolder, &folder) || !util::IsPlainRelativePath(FileLink))
    return std::wstring();
  MakeFolders(Files(), Log(), folder, util::FolderOf(FileLink));
  const std::wstring file = folder + L"\\" + FileLink;
  // A shortcut that was not saved gets no record key: the uninstaller would look for nothing.
  if (!link->Save(file)) return std::wstring();
  Log().AddShortcut(file);
  return file;
}

}  // namespace setup
