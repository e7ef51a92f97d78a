#pragma once
// The finish page: the last installation steps on "Готово" and, if chosen, a restart.
#include "pages/page.h"

namespace pages {

class TfmExitWin : public Page {
 public:
  TfmExitWin();

  void FormShow() override;

  ControlState Label1{L"Работа с программой будет возможна после \r\nперезагрузки компьютера."};
  ControlState rgWinExit;  // the radio group's frame
  ControlState rbRestartNow{L"Перезагрузить компьютер сейчас"};    // index 0
  ControlState rbNoRestart{L"Отказаться от перезагрузки"};         // index 1
  ControlState btPrior{L"< Назад"};
  ControlState btNext{L"Готово"};
};

}  // namespace pages
