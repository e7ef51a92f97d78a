#include "app/pages_set.h"

#include "app/main_window.h"
#include "archive/installer_password.h"
#include "pages/views_win.h"
#include "setup/setup.h"

namespace app {

TInstallerPages::TInstallerPages(setup::TSetup& model, TfmMainSetup& main)
    : fmFirstForm(model, main.FAcadNames),
      fmLicense(model),
      fmGetPath(model),
      fmGetGroups(model),
      fmGraphProfile(model, main.acAutoCAD, main.FAcadNames),
      fmPrCopyFile(model),
      fmFileReadme(model),
      fmExitWin(model),
      model_(model),
      main_(main) {}

TInstallerPages::~TInstallerPages() = default;

void TInstallerPages::Create() {
  pages::Page* all[] = {&fmFirstForm, &fmLicense,    &fmGetPath,    &fmGetGroups,
                        &fmGraphProfile, &fmPrCopyFile, &fmFileReadme, &fmExitWin};
  for (pages::Page* page : all) page->FormCreate(model_.FNameApplication);
  views_[0] = pages::CreateView(fmFirstForm);
  views_[1] = pages::CreateView(fmLicense);
  views_[2] = pages::CreateView(fmGetPath);
  views_[3] = pages::CreateView(fmGetGroups);
  views_[4] = pages::CreateView(fmGraphProfile);
  views_[5] = pages::CreateView(fmPrCopyFile);
  views_[6] = pages::CreateView(fmFileReadme);
  views_[7] = pages::CreateView(fmExitWin);
  for (auto& view : views_) {
    view->SetCancelQuestion([this](pages::WindowRef owner) { return model_.QueryCancel(owner); });
    view->Create(main_.hwnd());
  }

  // The background window's handlers of the archive component.
  HWND owner = main_.hwnd();
  main_.RAR.OnTested = [this, owner](archive::TRAR& sender, RARHeaderData eFile, bool result) {
    fmFirstForm.RARTested(sender, eFile, result, owner);
  };
  main_.RAR.OnExtracting = [this](archive::TRAR& sender, RARHeaderData eFile) {
    fmPrCopyFile.RARExtracting(sender, eFile);
  };
  main_.RAR.OnExtract = [this](archive::TRAR& sender, RARHeaderData eFile, bool result) {
    fmPrCopyFile.RARExtract(sender, eFile, result);
  };
  main_.RAR.OnReqPassword = [](archive::TRAR&, RARHeaderData, std::string& password) {
    password = archive::InstallerPassword();
  };
}

pages::PageWindow* TInstallerPages::ViewOf(Step step) const {
  int index = static_cast<int>(step);
  return index >= 0 && index < 8 ? views_[index].get() : nullptr;
}

int TInstallerPages::ShowPage(Step step) {
  pages::PageWindow* view = ViewOf(step);
  return view ? view->ShowModal() : pages::mrCancel;
}

}  // namespace app
