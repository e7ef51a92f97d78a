#include "pages/pr_copy_file.h"

#include <algorithm>
#include <utility>

#include "formats/install_log.h"
#include "setup/setup.h"
#include "util/scope_exit.h"
#include "util/strings.h"

namespace pages {

namespace {
constexpr size_t kShownNameLimit = 255;  // UTF-16 units

bool IsDirectoryEntry(const RARHeaderData& header) {
  return (header.Flags & RHDF_DIRECTORY) != 0 || (header.FileAttr & 0x10) != 0;
}
}  // namespace

TfmPrCopyFile::TfmPrCopyFile(setup::TSetup& model, archive::TRAR& rar, Clock clock)
    : Page(L"Копирование файлов "), model_(model), rar_(rar), clock_(std::move(clock)) {
  btPrior.visible = false;
  btNext.visible = false;
  btCancel.visible = false;
}

void TfmPrCopyFile::FormShow() { lbPath.text = model_.FDestDir; }

void TfmPrCopyFile::FormActivate() {
  // Busy until the follow-up step has run: Esc or Alt+F4 must not skip it.
  SetBusy(true);
  // The follow-up step comes after the copying, even when an error escaped it.
  const auto shown = clock_();
  util::ScopeExit followUp([this, shown] {
    if (Host()) Host()->StartTimer(kTimer1, FollowUpDelay(shown));
  });
  CopyFiles();
}

unsigned TfmPrCopyFile::FollowUpDelay(std::chrono::steady_clock::time_point shown) const {
  using std::chrono::milliseconds;
  // Windows runs no timer sooner than 10 ms; the final state is painted meanwhile.
  constexpr milliseconds kShortest{10};
  const auto left = kShownAtLeast - std::chrono::duration_cast<milliseconds>(clock_() - shown);
  return static_cast<unsigned>(std::max(kShortest, left).count());
}

void TfmPrCopyFile::CopyFiles() {
  pbar.visible = true;
  pbar.min = 0;
  pbar.max = model_.GetSelectedFileCount();
  pbar.position = 0;
  notCopied_ = 0;
  firstNotCopied_.clear();
  leftForRestart_.clear();

  // The log goes to disk after every archive: a copying that stops half way leaves it behind.
  formats::InstallLog& log = model_.Log();
  log.Open(model_.FDestDir);
  model_.MakeDestination();
  archive::TRAR& rar = rar_;
  archive::ScopedMessagePump pump(rar, [this] { ProcessMessages(); });
  // A program of the product still running (a workstation being updated) holds its files: they
  // wait for the restart the finish page proposes.
  rar.ReplaceInUseAtRestart = true;
  util::ScopeExit onlyWhileCopying([&rar] { rar.ReplaceInUseAtRestart = false; });
  setup::TSetupListGroup& groups = *model_.FGroups;
  for (int i = 0; i < groups.Count(); ++i) {
    setup::TSetupGroupFile& group = *groups.Items(i);
    if (group.FSelected) {
      rar.ArchiveName = group.FArchiveFile;
      rar.TargetDir = model_.FDestDir;
      processed_ = 0;
      failed_ = 0;
      const bool extracted = rar.Extract();
      log.Flush();
      if (failed_ > 0 || !extracted) {
        // Entries never reached (the archive is gone or ended early) were not copied either;
        // the welcome page's test counted how many there are.
        int32_t unreached = std::max<int32_t>(0, group.FFileCount - processed_);
        // Failed with every entry reached and none failing (a broken header after the last
        // one): the archive itself is what could not be copied.
        if (failed_ == 0 && unreached == 0) unreached = 1;
        NoteNotCopied(unreached, group.FArchiveFile);
      }
    }
    rar.ProcessMessagesDue();
  }
  lbNameFile.text.clear();
  lbPath.text.clear();
  pbar.visible = false;
  ProcessMessages();

  if (notCopied_ > 0 || !firstNotCopied_.empty()) {
    model_.ShowMsg(Host() ? Host()->Handle() : nullptr,
                   L"Не удалось скопировать файлов: " + std::to_wstring(notCopied_) +
                       L". Первый из них: " + firstNotCopied_);
  }
}

void TfmPrCopyFile::NoteNotCopied(int32_t count, const std::wstring& name) {
  if (count <= 0 && !firstNotCopied_.empty()) return;
  notCopied_ += count;
  if (firstNotCopied_.empty()) firstNotCopied_ = name;
}

void TfmPrCopyFile::Timer(int id) {
  if (id != kTimer1) return;
  if (Host()) Host()->StopTimer(kTimer1);
  // The page closes whatever the follow-up step does.
  util::ScopeExit close([this] {
    SetBusy(false);
    RequestClose(mrCancel);
  });
  model_.CreateLinks();
}

void TfmPrCopyFile::RARExtracting(archive::TRAR& Sender, const RARHeaderData& eFile) {
  const std::wstring& name = Sender.EntryNameW();
  model_.Log().EntryStarting(name, IsDirectoryEntry(eFile));
  // Shown when the component next lets messages run, at most 50 ms from now.
  lbNameFile.text = L"..." + util::LeftUtf16Units(name, kShownNameLimit);
}

void TfmPrCopyFile::RARExtract(archive::TRAR& Sender, const RARHeaderData& eFile, bool Result) {
  ++pbar.position;
  ++processed_;
  // An encrypted entry's header may hold a keyed checksum rather than the file's: 0 has the log
  // read the file back.
  const uint32_t crc = (eFile.Flags & RHDF_ENCRYPTED) ? 0 : eFile.FileCRC;
  const std::wstring& waiting = Sender.EntryWaitingFile();
  model_.Log().EntryDone(Sender.EntryNameW(), IsDirectoryEntry(eFile), Result, eFile.UnpSize, crc,
                         waiting);
  if (Result && !waiting.empty()) leftForRestart_.push_back(model_.Log().PathOf(Sender.EntryNameW()));
  if (!Result) {
    ++failed_;
    NoteNotCopied(1, Sender.EntryNameW());
  }
}

}  // namespace pages
