#include <vector>

#include "setup/setup.h"
#include "util/strings.h"

namespace setup {

TSetupGroupFile::TSetupGroupFile(TSetupListGroup* Owner, TSetupDescription* Setup) : FOwner(Owner), FSetup(Setup) {}

void TSetupGroupFile::LoadFromLine(const std::wstring& Line) {
  // The value after the first "="; a line without one is all value.
  size_t eq = Line.find(L'=');
  std::wstring value = eq == std::wstring::npos ? Line : Line.substr(eq + 1);
  FKey = eq == std::wstring::npos ? std::wstring() : Line.substr(0, eq);
  std::vector<std::wstring> fields;
  util::SplitToList(value, L'|', fields, true);

  // Exactly "1": " 1" and "01" leave the group unselected.
  FDefaultSelected = fields.size() >= 1 && fields[0] == L"1";
  FSelected = FDefaultSelected;
  FArchiveFile = fields.size() >= 2 ? FSetup->FSetupDir + fields[1] : L"NoneNameFile";
  FName = fields.size() >= 3 ? fields[2] : L"NoneName";
  FComment = fields.size() >= 4 ? fields[3] : L"";
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
