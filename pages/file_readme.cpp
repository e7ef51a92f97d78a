#include "pages/file_readme.h"

#include "platform/system.h"
#include "setup/setup.h"
#include "util/paths.h"

namespace pages {

TfmFileReadme::TfmFileReadme(setup::TSetup& model)
    : Page(L"Установка дополнительного программного обеспечения "), model_(model) {
  Label3.color = kMaroon;
  btPrior.visible = false;  // there is no way back from this page
}

bool TfmFileReadme::Button2Click() {
  const bool started =
      model_.System().StartProgram(model_.FBDESetup, L"", util::FolderOf(model_.FBDESetup));
  bdeStarted_ = bdeStarted_ || started;
  return started;
}

void TfmFileReadme::Label3MouseMove() { Label3.bold = true; }
void TfmFileReadme::GroupBox1MouseMove() { Label3.bold = false; }

}  // namespace pages
