#pragma once
// The finish page: on "Готово" the last installation steps and, if chosen, a restart of Windows.
#include <cstdint>

#include "pages/page.h"

namespace setup { class TSetup; }

namespace pages {

class TfmExitWin : public Page {
 public:
  // EWX_REBOOT | EWX_FORCEIFHUNG: other programs may still save their work; only a hung one is
  // closed by force. The reason names a planned restart for an installation.
  static const uint32_t kRestartFlags;
  static const uint32_t kRestartReason;

  explicit TfmExitWin(setup::TSetup& model);

  // Restart choice reset to "Перезагрузить компьютер сейчас" on every showing.
  void FormShow() override;
  // "Готово": FinishInstallation, then the restart when chosen; the page then closes with next.
  // A failed uninstall entry escapes to the general error box: no restart follows it.
  void btNextClick();
  // The font, the settings file of the graphic editor (when its page ran with AutoCAD present)
  // and, last, the uninstall entry.
  void FinishInstallation();

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
