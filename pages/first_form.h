#pragma once
// The welcome page: it refuses to go on without administrator rights, tells whether AutoCAD was
// found, and on its first button tests every installation archive, storing each group's entry
// count and unpacked size. Any failure blocks the way on.
#include <cstdint>
#include <string>
#include <vector>

#include "acad/releases.h"
#include "archive/rar.h"
#include "pages/page.h"

namespace setup { class TSetup; }

namespace pages {

class TfmFirstForm : public Page {
 public:
  enum class State { Refused, Ready, Checking, Failed, Passed };

  // rar: the background window's archive component, which tests the archives; acadList: the
  // releases the background window found (FAcadList), kept by reference.
  TfmFirstForm(setup::TSetup& model, archive::TRAR& rar, const acad::TAutoCADReleaseList& acadList);

  ControlState lbComment;
  ControlState lbACAD;
  ControlState lbNameFile;
  ControlState pbar;
  ControlState lbNext;
  ControlState btFirst;   // "Далее>": starts the verification
  ControlState btNext;    // "Далее >": leaves the page, only after a clean verification
  ControlState btCancel;

  void FormShow() override;
  void FormActivate() override;
  bool FormClose(int modalResult) override;
  void btFirstClick();
  void CheckArchives();

  // The background window's handler of the archive component's OnTested; `owner` is the
  // background window, owner of the per-entry message.
  void RARTested(archive::TRAR& Sender, const RARHeaderData& eFile, bool Result, WindowRef owner);

  State state() const { return state_; }

 private:
  void ShowAcadNotice();

  setup::TSetup& model_;
  archive::TRAR& rar_;
  const acad::TAutoCADReleaseList& FAcadList;
  State state_ = State::Ready;
  // Entries tested in the current archive and the sum of their whole unpacked sizes (64-bit:
  // archives may unpack to 2 GiB and more): counted by RARTested, reset for every archive.
  int32_t ArchiveFileCount = 0;
  int64_t ArchiveSize = 0;
};

}  // namespace pages
