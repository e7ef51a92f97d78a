#pragma once
// The graphic editor page: the AutoCAD release that will host the schematic editor and the
// AutoCAD profile it will use. A profile name that does not exist yet is created, on leaving the
// page, as a copy of the chosen template profile.
#include <functional>
#include <string>
#include <vector>

#include "acad/releases.h"
#include "pages/page.h"

namespace acad { class TAutoCAD; }
namespace setup { class TSetup; }

namespace pages {

class TfmGraphProfile : public Page {
 public:
  // acadList: the releases the background window found (FAcadList), kept by reference.
  TfmGraphProfile(setup::TSetup& model, acad::TAutoCAD& acAutoCAD,
                  const acad::TAutoCADReleaseList& acadList);

  ControlState GroupBox1;
  ControlState lbCurGraphEditor{L"Список доступных графических редакторов :"};
  ComboState cbCurGraphEditor;   // choose-only
  ControlState lbComment;
  ControlState lbCurProfile{L"Настраиваемый профиль  :"};
  ComboState cbCurProfile;       // editable
  ControlState lbTemplateProfile{L"Профиль, выступающий в качестве основы нового профиля "};
  ComboState cbTemplateProfile;  // choose-only
  // Shown when the installer runs under another account than the desktop's owner: the profile
  // is made in the registry of the installer's account.
  ControlState lbProfileOwner;
  ControlState lbNext{L"Для продолжения установки программы нажмите кнопку \"Далее >\""};
  ControlState btPrior{L"< Назад"};
  ControlState btNext{L"Далее >"};
  ControlState btCancel{L"Отмена"};

  // The default system beep; the view sets it, tests count it.
  std::function<void()> Beep;

  void FormShow() override;
  bool FormClose(int modalResult) override;
  // A release was chosen in cbCurGraphEditor.
  void cbCurGraphEditorChange();
  // The profile name was edited or chosen in cbCurProfile: checked trimmed, left as typed.
  void cbCurProfileChange();

 private:
  // Trims the profile text, writing it back only when that changes it; returns it.
  const std::wstring& TrimProfileText();
  bool IsTemplateItem(const std::wstring& name) const;
  void ShowMsg(const std::wstring& text);

  setup::TSetup& model_;
  acad::TAutoCAD& acAutoCAD;
  const acad::TAutoCADReleaseList& FAcadList;
};

}  // namespace pages
