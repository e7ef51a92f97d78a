#pragma once
// The finish page: on "Готово" the last installation steps and, if chosen, a restart of Windows.
#include <functional>

#include "pages/page.h"

namespace setup { class TSetup; }

namespace pages {

class TfmExitWin : public Page {
 public:
  // EWX_REBOOT | EWX_FORCE: Windows restarts without waiting for other programs to agree.
  static constexpr unsigned kRestartFlags = 6;

  explicit TfmExitWin(setup::TSetup& model);

  // Restart choice reset to "Перезагрузить компьютер сейчас" on every showing.
  void FormShow() override;
  // "Готово": FinishInstallation, then the restart when chosen; the page then closes with next.
  void btNextClick();
  // The settings file of the graphic editor, when its page ran with AutoCAD present. The font
  // and the uninstall entry join here as the model's installation actions land.
  void FinishInstallation();

  // Restarts Windows with the shutdown privilege (set by the view); true when asked successfully.
  std::function<bool(unsigned flags)> RestartWindows;

  ControlState Label1{L"Работа с программой будет возможна после \r\nперезагрузки компьютера."};
  ControlState rgWinExit;                                         // the radio group's frame
  ControlState rbRestartNow{L"Перезагрузить компьютер сейчас"};  // index 0
  ControlState rbNoRestart{L"Отказаться от перезагрузки"};       // index 1
  ControlState btPrior{L"< Назад"};
  ControlState btNext{L"Готово"};

 private:
  setup::TSetup& model_;
};

}  // namespace pages
