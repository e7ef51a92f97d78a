// Reading Setup.ini into the model.
#include <set>

#include "platform/file_system.h"
#include "platform/system.h"
#include "setup/setup.h"
#include "util/codepage.h"
#include "platform/file_io.h"
#include "util/ini.h"
#include "util/paths.h"
#include "util/strings.h"

namespace setup {
void TSetupDescription::ReadSetupIni() {
  util::IniFile ini = platform::LoadIniFile(*files_, FSetupDir + L"Setup.ini");

  FCaption = ini.ReadString(L"GENERAL", L"Caption", L"");
  FNameApplication = ini.ReadString(L"GENERAL", L"NameApplication", L"NameApplication");
  if (FCaption.empty()) FCaption = L"Установка " + FNameApplication;
  FNameCompany = ini.ReadString(L"GENERAL", L"NameCompany", L"NameCompany");
  FLicenseFile = FSetupDir + ini.ReadString(L"GENERAL", L"FileLicension", L"Licension.rtf");
  FGraphProfile = ini.ReadString(L"GENERAL", L"NameProfileGraphEditor", L"");
  FBDESetup = FSetupDir + ini.ReadString(L"Execute", L"BDE", L"");

  // One group per entry in file order; equal keys (in any case) count once, with the first
  // one's value, and an empty value adds nothing. Reading again replaces the groups.
  FGroups->Clear();
  std::set<std::wstring> seen;
  for (const util::IniEntry& entry : ini.ReadSection(L"GROUPS")) {
    if (!seen.insert(util::FoldCase(entry.name)).second) continue;
    if (entry.value.empty()) continue;
    std::unique_ptr<TSetupGroupFile> group(new TSetupGroupFile(FGroups.get(), this));
    TSetupGroupFile* added = group.get();
    FGroups->Add(std::move(group));
    added->LoadFromLine(entry.name + L"=" + entry.value);
  }

  FDestDir = platform::DefaultProgramFilesDir(system_) + util::ReplaceAll(FNameCompany, L"\\\\", L"\\") +
             L"\\" + util::ReplaceAll(FNameApplication, L".", L"_") + L"\\";

  FindApplicationIcon(ini.ReadString(L"GENERAL", L"Icon", L""));
}

void TSetupDescription::FindApplicationIcon(const std::wstring& iconValue) {
  icon_file_.clear();
  if (iconValue.empty()) return;
  // Not joined to the setup folder: a relative value means the current folder.
  std::wstring path = util::ChangeFileExt(iconValue, L".ico");
  try {
    const size_t root = util::RootLength(path);
    if (root == 0)
      path = util::AddBackslash(system_.CurrentDir()) + path;
    else if (root == 1)
      path = util::DriveOf(system_.CurrentDir()) + path;  // "\x": this drive
    if (files_->Kind(path) != platform::PathKind::File) return;
    icon_file_ = path;
  } catch (...) {
    // A failing lookup leaves the standard icon.
  }
}

void TSetup::ReadSetupIni() {
  TSetupDescription::ReadSetupIni();
  if (IconFile().empty() || !platform_.iconLoader) return;
  try {
    platform_.iconLoader->LoadApplicationIcon(IconFile());
  } catch (...) {
    // A failing icon leaves the standard one.
  }
}

}  // namespace setup
