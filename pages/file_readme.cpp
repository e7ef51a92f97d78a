#include "pages/file_readme.h"

namespace pages {

TfmFileReadme::TfmFileReadme() : Page(L"Установка дополнительного программного обеспечения ") {
  Label3.color = kMaroon;
  btPrior.visible = false;  // there is no way back from this page
}

}  // namespace pages
