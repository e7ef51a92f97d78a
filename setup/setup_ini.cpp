// Reading Setup.ini into the model.
#include <algorithm>
#include <cwchar>

#include "formats/setup_ini.h"
#include "formats/uninstall_record.h"
#include "platform/file_io.h"
#include "platform/file_system.h"
#include "platform/system.h"
#include "setup/setup.h"
#include "util/paths.h"
#include "util/strings.h"

namespace setup {
void TSetupDescription::ReadSetupIni() {
  const formats::SetupIni ini = formats::LoadSetupIni(*files_, FSetupDir + formats::kSetupIniName);

  FCaption = ini.caption;
  FNameApplication = ini.nameApplication;
  FNameCompany = ini.nameCompany;
  FLicenseFile = FSetupDir + ini.licenseFile;
  FGraphProfile = ini.graphProfile;
  FBDESetup = FSetupDir + ini.bdeSetup;
  FVersion = formats::IsVersion(ini.version) ? ini.version : L"";

  // One group per line, in file order. Reading again replaces the groups.
  FGroups->Clear();
  for (const std::wstring& line : ini.groupLines) {
    std::unique_ptr<TSetupGroupFile> group(new TSetupGroupFile(FGroups.get(), this));
    TSetupGroupFile* added = group.get();
    FGroups->Add(std::move(group));
    added->LoadFromLine(line);
  }

  FDestDir = platform::DefaultProgramFilesDir(system_) + util::ReplaceAll(FNameCompany, L"\\\\", L"\\") +
             L"\\" + util::ReplaceAll(FNameApplication, L".", L"_") + L"\\";

  FindApplicationIcon(ini.icon);

  longest_started_name_ = std::wcslen(formats::kUninstallerName);
  for (const formats::LinkSection& link : ini.links)
    longest_started_name_ = std::max(longest_started_name_, link.filename.size());
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
