#include "pages/get_groups.h"

#include "setup/setup.h"

namespace pages {

std::wstring BytesText(int64_t bytes) { return std::to_wstring(bytes) + L" байт"; }

TfmGetGroups::TfmGetGroups(setup::TSetup& model) : Page(L"Компоненты "), model_(model) {
  lbErrSize.visible = false;
  lbErrSize.color = kRed;
  lbErrSize.bold = true;
}

void TfmGetGroups::FormShow() {
  const setup::TSetupListGroup& groups = *model_.FGroups;
  clbGroup.items.clear();
  // The free space is written once per showing; the refresh measures the drive again.
  lbFreeMemory.text = BytesText(model_.GetDestFreeSpace());
  for (int i = 0; i < groups.Count(); ++i)
    clbGroup.items.push_back({groups.Items(i)->FName, groups.Items(i)->FSelected});
  // Without groups there is no current item, and nothing to install.
  clbGroup.itemIndex = clbGroup.items.empty() ? -1 : 0;
  clbGroupClick();
}

void TfmGetGroups::clbGroupClick() {
  const setup::TSetupListGroup& groups = *model_.FGroups;
  const int current = clbGroup.itemIndex;
  meComment.text = current >= 0 && current < groups.Count() ? groups.Items(current)->FComment
                                                            : std::wstring();
  // In 64 bits: groups of 2 GiB and more, and free space beyond 4 GiB, count in full.
  const int64_t required = model_.GetSelectedSize64();
  lbSize.text = BytesText(required);
  if (model_.GetDestFreeSpace() < required) {
    lbErrSize.visible = true;
    btNext.enabled = false;
  } else {
    lbErrSize.visible = false;
    btNext.enabled = groups.SelectedCount() > 0;
  }
}

void TfmGetGroups::clbGroupClickCheck() {
  const int current = clbGroup.itemIndex;
  if (current >= 0 && current < model_.FGroups->Count() &&
      current < static_cast<int>(clbGroup.items.size()))
    model_.FGroups->Items(current)->FSelected = clbGroup.items[static_cast<size_t>(current)].checked;
  clbGroupClick();
}

}  // namespace pages
