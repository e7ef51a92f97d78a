#include "pages/get_path.h"

#include "setup/setup.h"
#include "util/strings.h"

namespace pages {

const wchar_t AllowedPathChars[] =
    L"qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM_\\:-0123456789 ";

TfmGetPath::TfmGetPath(setup::TSetup& model) : Page(L"Размещение "), model_(model) {}

void TfmGetPath::FormShow() {
  edPath.text = model_.FDestDir;
  edPathChange();
}

bool TfmGetPath::FormClose(int modalResult) {
  if (modalResult == mrCancel) return Page::FormClose(modalResult);
  model_.FDestDir = util::AddBackslash(edPath.text);
  return true;
}

void TfmGetPath::Button1Click() {
  std::wstring chosen;
  if (!ChooseFolder || !ChooseFolder(edPath.text, &chosen)) return;
  edPath.text = chosen;
  edPathChange();
}

void TfmGetPath::edPathChange() {
  btNext.enabled = util::ConsistsOf(edPath.text, AllowedPathChars);
}

}  // namespace pages
