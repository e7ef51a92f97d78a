#pragma once
// The graphic editor page: the AutoCAD release and profile the schematic editor will use.
#include "pages/page.h"

namespace pages {

class TfmGraphProfile : public Page {
 public:
  TfmGraphProfile();

  ControlState lbCurGraphEditor{L"Список доступных графических редакторов :"};
  ControlState lbComment;
  ControlState lbCurProfile{L"Настраиваемый профиль  :"};
  ControlState lbTemplateProfile{L"Профиль, выступающий в качестве основы нового профиля "};
  ControlState lbNext{L"Для продолжения установки программы нажмите кнопку \"Далее >\""};
  ControlState btPrior{L"< Назад"};
  ControlState btNext{L"Далее >"};
  ControlState btCancel{L"Отмена"};
};

}  // namespace pages
