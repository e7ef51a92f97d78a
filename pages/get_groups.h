#pragma once
// The component groups page: which groups of the setup description are installed. The check
// list stands for the groups in their order; next is possible while at least one group is
// ticked and the ticked groups fit into the free space of the destination drive.
#include <cstdint>
#include <string>
#include <vector>

#include "pages/page.h"

namespace setup { class TSetup; }

namespace pages {

// "%d байт": plain decimal digits, a minus sign for -1.
std::wstring BytesText(int64_t bytes);

class TfmGetGroups : public Page {
 public:
  explicit TfmGetGroups(setup::TSetup& model);

  ControlState Label1{
      L"Устанавливаемые компоненты программы.\r\nВыберите необходимые для установки компоненты "
      L"программы, руководствуясь \r\nприлагаемой документацией и комплектом поставки, нажмите "
      L"кнопку \"Далее >\"."};
  CheckListState clbGroup;
  ControlState meComment;
  ControlState Label2{L"Свободно на диске:"};
  ControlState lbFreeMemory;
  ControlState Label3{L"Требуется места для программы:"};
  ControlState lbSize;
  ControlState lbErrSize{L"Недостаточно места на диске!"};
  ControlState btPrior{L"< Назад"};
  ControlState btNext{L"Далее >"};
  ControlState btCancel{L"Отмена"};

  // Fills the list from the groups, writes the free space and runs the refresh.
  void FormShow() override;
  // The user made another item current (clbGroup.itemIndex holds it): the description, the
  // required space and the state of next follow.
  void clbGroupClick();
  // The user toggled the check box of the current item (its `checked` holds the new state):
  // the group takes it.
  void clbGroupClickCheck();

 private:
  setup::TSetup& model_;
};

}  // namespace pages
