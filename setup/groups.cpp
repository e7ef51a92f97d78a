#include "formats/setup_ini.h"
#include "setup/setup.h"

namespace setup {

TSetupGroupFile::TSetupGroupFile(TSetupListGroup* Owner, TSetupDescription* Setup) : FOwner(Owner), FSetup(Setup) {}

void TSetupGroupFile::LoadFromLine(const std::wstring& Line) {
  const formats::GroupLine line = formats::ParseGroupLine(Line);
  FKey = line.key;
  FDefaultSelected = line.defaultSelected;
  FSelected = FDefaultSelected;
  FArchiveFile = line.hasArchive ? FSetup->FSetupDir + line.archive : formats::kNoArchiveFile;
  FName = line.name;
  FComment = line.comment;
}

void TSetupGroupFile::SetSize(int64_t bytes) {
  FSize64 = bytes;
  FSize = ClampedSize(bytes);
}

void TSetupListGroup::Add(std::unique_ptr<TSetupGroupFile> Group) { FList.push_back(std::move(Group)); }

int TSetupListGroup::SelectedCount() const {
  int count = 0;
  for (const auto& group : FList)
    if (group->FSelected) ++count;
  return count;
}

}  // namespace setup
