#include "pages/dlg_path.h"

namespace pages {

TfmDlgPath::TfmDlgPath() : Page(L"Выбор пути для установки") {}

void TfmDlgPath::kpftvPathChange(const std::wstring& directory, bool isFolder) {
  if (isFolder) edPath.text = directory;
}

bool TfmDlgPath::FormClose(int) { return true; }

}  // namespace pages
