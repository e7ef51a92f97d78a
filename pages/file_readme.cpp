#include "pages/file_readme.h"

#include "setup/setup.h"

namespace pages {

TfmFileReadme::TfmFileReadme(setup::TSetup& model)
    : Page(L"Установка дополнительного программного обеспечения "), model_(model) {
  Label3.color = kMaroon;
  btPrior.visible = false;  // there is no way back from this page
}

std::wstring TfmFileReadme::BdeCommandLine() const { return L"\"" + model_.FBDESetup + L"\""; }

void TfmFileReadme::Button2Click() {
  if (StartProgram) StartProgram(BdeCommandLine());
}

void TfmFileReadme::Label3MouseMove() { Label3.bold = true; }
void TfmFileReadme::GroupBox1MouseMove() { Label3.bold = false; }

}  // namespace pages
