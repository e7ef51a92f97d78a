#pragma once
// The destination page: the folder the product is installed into. Next is possible only while
// the typed folder is one the installation and its uninstaller can work in: permitted
// characters, a plain full path below a drive's root (util::CheckDestinationFolder, the medium
// checker's rule too), on a fixed or removable disk. A refused
// folder says why in one line under the field. Leaving by next or back stores the folder in the
// model with a trailing backslash.
#include <functional>
#include <string>

#include "pages/page.h"

namespace platform { class Drives; }
namespace setup { class TSetup; }

namespace pages {

class TfmGetPath : public Page {
 public:
  TfmGetPath(setup::TSetup& model, platform::Drives& drives);

  ControlState Label1{
      L"Укажите каталог для установки программы.\r\nДля указания пути можно воспользоваться\r\n"
      L"кнопкой \"Обзор\".\r\nЕсли каталог отсутствует, то программа \r\nустановки создаст его."};
  ControlState edPath;
  ControlState Button1{L"Обзор"};
  // Why next is off (red); or, for an accepted folder that ordinary users may change, a warning
  // (maroon) that leaves next on; hidden otherwise.
  ControlState lbPathError;
  ControlState Label2{L"Для продолжения установки нажмите кнопку \"Далее\""};
  ControlState btPrior{L"< Назад"};
  ControlState btNext{L"Далее >"};
  ControlState btCancel{L"Отмена"};

  void FormShow() override;
  // Cancel asks the cancel question; next and back store the folder.
  bool FormClose(int modalResult) override;
  // Runs on every change of edPath's text: next and the reason line follow it.
  void edPathChange();
  // "Обзор": the folder chooser opens at the field's folder; a confirmed choice replaces it.
  void Button1Click();

  // Shows the folder chooser opened at `start`; true with `chosen` filled when it is confirmed.
  // The view gives the real dialog, tests their own.
  std::function<bool(const std::wstring& start, std::wstring* chosen)> ChooseFolder;

 private:
  // Why the folder cannot be the destination, in one line; empty when it can.
  std::wstring RefusalOf(const std::wstring& folder) const;
  // The reason when a file stands where the folder or one above it would be; empty otherwise.
  std::wstring FileInTheWay(const std::wstring& folder) const;
  // For an existing folder whose files ordinary users may change (an elevated program installed
  // there could be replaced by any of them), the warning; empty otherwise.
  std::wstring WarningOf(const std::wstring& folder) const;

  setup::TSetup& model_;
  platform::Drives& drives_;
};

}  // namespace pages
