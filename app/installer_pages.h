#pragma once
// The eight pages, created once at start after the background window, in the chain's order,
// each with its Win32 view; they show themselves for the chain.
#include <windows.h>

#include <memory>

#include "app/wizard_pages.h"
#include "pages/page_win.h"
#include "pages/pr_copy_file.h"

namespace setup { class TSetup; }

namespace app {

class TfmMainSetup;

class TInstallerPages : public WizardPages, public PageShower {
 public:
  TInstallerPages(setup::TSetup& model, TfmMainSetup& main);
  ~TInstallerPages() override;

  // FormCreate of every page (captions get the product name), then their windows, owned by the
  // background window; binds the archive component's events to the pages' handlers.
  void Create();

  int ShowPage(Step step) override;

 private:
  pages::PageWindow* ViewOf(Step step) const;

  static constexpr int kPageCount = static_cast<int>(Step::End);

  setup::TSetup& model_;
  TfmMainSetup& main_;
  // The window of each page, by its step (Step::FirstForm to Step::ExitWin).
  std::unique_ptr<pages::PageWindow> viewOfStep_[kPageCount];
};

}  // namespace app
