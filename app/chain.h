#pragma once
// The page chain: the order of the pages, the one page that is skipped (the graphic editor page,
// when no AutoCAD release was found), and where each page's answer leads. Portable, so its table
// is tested natively; the application shows the pages.
#include <functional>

#include "pages/page.h"

namespace app {

enum class Step {
  FirstForm,     // welcome
  License,       // agreement
  GetPath,       // destination
  GetGroups,     // component groups
  GraphProfile,  // graphic editor, only with an AutoCAD release
  PrCopyFile,    // copying
  FileReadme,    // additional software
  ExitWin,       // finish
  End,           // the background window closes and the installer ends
};

// Shows one page modally and returns its modal result.
class PageShower {
 public:
  virtual ~PageShower() = default;
  virtual int ShowPage(Step step) = 0;
};

// The page's answer: the copy page maps only 6 to back (it closes itself with 2 when done);
// every other page 2 to cancel, 6 to back, the rest to next.
pages::PageResult AnswerOf(Step step, int modalResult);

// Where the answer leads. An answer the page cannot give (back where there is no back button,
// cancel on the copy page) shows the same page again.
Step NextStep(Step step, pages::PageResult answer);

// Runs the chain from the welcome page to its end. `hasAcad` is asked each time the graphic
// editor page's turn comes; when it is false that page is passed over to the copy page.
void RunChain(PageShower& shower, const std::function<bool()>& hasAcad);

}  // namespace app
