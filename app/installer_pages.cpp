#include "app/installer_pages.h"

#include "app/main_window.h"
#include "pages/views_win.h"
#include "platform/drives.h"
#include "setup/setup.h"

namespace app {

TInstallerPages::TInstallerPages(setup::TSetup& model, TfmMainSetup& main)
    : WizardPages(model, main.RAR, main.acAutoCAD, main.FAcadList, platform::RealDrives()),
      model_(model),
      main_(main) {}

TInstallerPages::~TInstallerPages() = default;

void TInstallerPages::Create() {
  FormCreate(model_.FNameApplication);
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
  BindArchiveEvents(main_.RAR, main_.hwnd());
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
