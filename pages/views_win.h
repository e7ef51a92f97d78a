#pragma once
// The Win32 views of the pages: one PageView each, made in its page's *_win.cpp.
#include <memory>
#include <string>

#include "pages/page_win.h"

namespace pages {

// The view of a page of type TPage: its window, with the page it shows as page_.
template <class TPage>
class PageView : public PageWindow {
 public:
  explicit PageView(TPage& page) : PageWindow(page), page_(page) {}

 protected:
  // Controls are made in the order a reader meets them, which is the order Tab follows and
  // where a screen reader finds each field's label (the label just before its field): the
  // frame, what is in it top to bottom and left to right, then the bottom row.
  // The bottom row, left to right: "< Назад", "Далее >", "Отмена".
  void BindButtonRow() {
    BindPrior(page_.btPrior);
    BindNext(page_.btNext);
    BindCancel(page_.btCancel);
  }
  // The archive pages' entry name over the progress of the pass, at the same place on both.
  void BindEntryProgress() {
    BindLabel(page_.lbNameFile, 24, 300, 584, 16);
    BindProgress(page_.pbar, 24, 320, 584, 18);
  }

  TPage& page_;
};

class TfmFirstForm;
class TfmLicense;
class TfmGetPath;
class TfmGetGroups;
class TfmGraphProfile;
class TfmPrCopyFile;
class TfmFileReadme;
class TfmExitWin;
class TfmDlgPath;

// Each page's view, made beside it in the page's *_win.cpp.
std::unique_ptr<PageWindow> CreateView(TfmFirstForm& page);
std::unique_ptr<PageWindow> CreateView(TfmLicense& page);
std::unique_ptr<PageWindow> CreateView(TfmGetPath& page);
std::unique_ptr<PageWindow> CreateView(TfmGetGroups& page);
std::unique_ptr<PageWindow> CreateView(TfmGraphProfile& page);
std::unique_ptr<PageWindow> CreateView(TfmPrCopyFile& page);
std::unique_ptr<PageWindow> CreateView(TfmFileReadme& page);
std::unique_ptr<PageWindow> CreateView(TfmExitWin& page);
// The folder chooser's view, its tree at the drives (ShowDlgPath shows it at a folder).
std::unique_ptr<PageWindow> CreateView(TfmDlgPath& page);

}  // namespace pages
