#pragma once
// The eight pages' behaviour, constructed in one place for both ways of running them: shown in
// windows (TInstallerPages) or answered from the command line (UnattendedRun).
#include <string>
#include <vector>

#include "app/chain.h"
#include "pages/exit_win.h"
#include "pages/file_readme.h"
#include "pages/first_form.h"
#include "pages/get_groups.h"
#include "pages/get_path.h"
#include "pages/graph_profile.h"
#include "pages/license.h"
#include "pages/pr_copy_file.h"

namespace acad { class TAutoCAD; }
namespace archive { class TRAR; }
namespace platform { class Drives; }
namespace setup { class TSetup; }

namespace app {

struct WizardPages {
  // rar: the archive component the welcome and copy pages run; acadList: the releases found
  // (FAcadList of the background window), kept by reference.
  WizardPages(setup::TSetup& model, archive::TRAR& rar, acad::TAutoCAD& acAutoCAD,
              const acad::TAutoCADReleaseList& acadList, platform::Drives& drives);

  // FormCreate of every page: the captions get the product name.
  void FormCreate(const std::wstring& nameApplication);
  // The archive component's events go to the welcome and copy pages' handlers; `owner` owns
  // the per-entry message of the test.
  void BindArchiveEvents(archive::TRAR& rar, pages::WindowRef owner);
  // The page of a step (the welcome page for Step::End, which has none).
  pages::Page& PageOf(Step step);

  pages::TfmFirstForm fmFirstForm;
  pages::TfmLicense fmLicense;
  pages::TfmGetPath fmGetPath;
  pages::TfmGetGroups fmGetGroups;
  pages::TfmGraphProfile fmGraphProfile;
  pages::TfmPrCopyFile fmPrCopyFile;
  pages::TfmFileReadme fmFileReadme;
  pages::TfmExitWin fmExitWin;
};

}  // namespace app
