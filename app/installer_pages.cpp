#include "app/installer_pages.h"

#include "app/main_window.h"
#include "archive/installer_password.h"
#include "pages/views_win.h"
#include "platform/drives.h"
#include "setup/setup.h"

namespace app {

TInstallerPages::TInstallerPages(setup::TSetup& model, TfmMainSetup& main)
    : fmFirstForm(model, main.RAR, main.FAcadNames),
      fmLicense(model),
      fmGetPath(model, platform::RealDrives()),
      fmGetGroups(model),
      fmGraphProfile(model, main.acAutoCAD, main.FAcadNames),
      fmPrCopyFile(model, main.RAR),
      fmFileReadme(model),
      fmExitWin(model),
      model_(model),
      main_(main) {}

TInstallerPages::~TInstallerPages() = default;

void TInstallerPages::Create() {
  pages::Page* all[] = {&fmFirstForm, &fmLicense,    &fmGetPath,    &fmGetGroups,
                        &fmGraphProfile, &fmPrCopyFile, &fmFileReadme, &fmExitWin};
  for (pages::Page* page : all) page->FormCreate(model_.FNameApplication);
  auto view = [this](Step step) -> auto& { return viewOfStep_[static_cast<int>(step)]; };
  view(Step::FirstForm) = pages::CreateView(fmFirstForm);
  view(Step::License) = pages::CreateView(fmLicense);
  view(Step::GetPath) = pages::CreateView(fmGetPath);
  view(Step::GetGroups) = pages::CreateView(fmGetGroups);
  view(Step::GraphProfile) = pages::CreateView(fmGraphProfile);
  view(Step::PrCopyFile) = pages::CreateView(fmPrCopyFile);
  view(Step::FileReadme) = pages::CreateView(fmFileReadme);
  view(Step::ExitWin) = pages::CreateView(fmExitWin);
  for (auto& shown : viewOfStep_) {
    shown->SetCancelQuestion([this](pages::WindowRef owner) { return model_.QueryCancel(owner); });
    shown->Create(main_.hwnd());
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
  return index >= 0 && index < kPageCount ? viewOfStep_[index].get() : nullptr;
}

int TInstallerPages::ShowPage(Step step) {
  pages::PageWindow* view = ViewOf(step);
  return view ? view->ShowModal() : pages::mrCancel;
}

}  // namespace app
