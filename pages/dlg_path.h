#pragma once
// The folder chooser the destination page's "Обзор" opens: a folder tree and a path field under
// it. Every selection in the tree writes its path into the field; the user may also type there.
// "Да" hands the field back, "Отмена" nothing. Made anew for each use.
#include <string>

#include "pages/page.h"

namespace pages {

class TfmDlgPath : public Page {
 public:
  TfmDlgPath();

  ControlState edPath;
  ControlState Button1{L"Да"};
  ControlState Button2{L"Отмена"};

  // The tree's selection changed; `directory` is its Directory. A node that is no folder of the
  // file system (the desktop, the computer: Directory is its shown name) leaves the field.
  void kpftvPathChange(const std::wstring& directory, bool isFolder);
  // Closing asks nothing: "Отмена" and the window's close mean only "no folder".
  bool FormClose(int modalResult) override;
};

// The chooser's window: 413 x 386 client pixels.
constexpr int kDlgPathClientWidth = 413;
constexpr int kDlgPathClientHeight = 386;

}  // namespace pages
