#include "app/wizard_pages.h"

#include "archive/installer_password.h"
#include "archive/rar.h"

namespace app {

WizardPages::WizardPages(setup::TSetup& model, archive::TRAR& rar, acad::TAutoCAD& acAutoCAD,
                         const acad::TAutoCADReleaseList& acadList, platform::Drives& drives)
    : fmFirstForm(model, rar, acadList),
      fmLicense(model),
      fmGetPath(model, drives),
      fmGetGroups(model),
      fmGraphProfile(model, acAutoCAD, acadList),
      fmPrCopyFile(model, rar),
      fmFileReadme(model),
      fmExitWin(model) {}

void WizardPages::FormCreate(const std::wstring& nameApplication) {
  for (Step step = Step::FirstForm; step != Step::End; step = static_cast<Step>(static_cast<int>(step) + 1))
    PageOf(step).FormCreate(nameApplication);
}

void WizardPages::BindArchiveEvents(archive::TRAR& rar, pages::WindowRef owner) {
  rar.OnTested = [this, owner](archive::TRAR& sender, RARHeaderData eFile, bool result) {
    fmFirstForm.RARTested(sender, eFile, result, owner);
  };
  rar.OnExtracting = [this](archive::TRAR& sender, RARHeaderData eFile) {
    fmPrCopyFile.RARExtracting(sender, eFile);
  };
  rar.OnExtract = [this](archive::TRAR& sender, RARHeaderData eFile, bool result) {
    fmPrCopyFile.RARExtract(sender, eFile, result);
  };
  rar.OnReqPassword = [](archive::TRAR&, RARHeaderData, std::string& password) {
    password = archive::InstallerPassword();
  };
}

pages::Page& WizardPages::PageOf(Step step) {
  switch (step) {
    case Step::License: return fmLicense;
    case Step::GetPath: return fmGetPath;
    case Step::GetGroups: return fmGetGroups;
    case Step::GraphProfile: return fmGraphProfile;
    case Step::PrCopyFile: return fmPrCopyFile;
    case Step::FileReadme: return fmFileReadme;
    case Step::ExitWin: return fmExitWin;
    case Step::FirstForm:
    case Step::End: break;
  }
  return fmFirstForm;
}

}  // namespace app
