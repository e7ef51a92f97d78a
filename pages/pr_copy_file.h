#pragma once
// The copy page: extracts the selected groups into the destination folder, one progress step
// per entry, tells the user when something could not be copied, then has the shortcuts and the
// uninstall record made and closes itself. The user cannot leave it.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/rar.h"
#include "pages/page.h"

namespace setup { class TSetup; }

namespace pages {

class TfmPrCopyFile : public Page {
 public:
  static constexpr int kTimer1 = 1;
  // The page stays up at least this long, so that a short copying does not flash by; after a
  // longer one the follow-up step comes at once.
  static constexpr std::chrono::milliseconds kShownAtLeast{500};

  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // rar: the background window's archive component, which unpacks the groups.
  TfmPrCopyFile(setup::TSetup& model, archive::TRAR& rar, Clock clock = std::chrono::steady_clock::now);

  void FormShow() override;
  void FormActivate() override;
  void Timer(int id) override;
  // The page closes itself when it is done; nothing is asked, and nothing closes it before.
  bool FormClose(int modalResult) override { return !Busy(); }

  // The background window's handlers of the archive component's OnExtracting and OnExtract.
  void RARExtracting(archive::TRAR& Sender, const RARHeaderData& eFile);
  void RARExtract(archive::TRAR& Sender, const RARHeaderData& eFile, bool Result);

  ControlState lbComment{
      L"Пожалуйста подождите, программа установки \r\nкопирует файлы программы на жесткий диск "
      L"\r\nвашего компьютера.\r\nФайлы устанавливаются в папку:"};
  ControlState lbPath;
  ControlState lbNameFile;
  ControlState pbar;
  ControlState btPrior{L"< Назад"};
  ControlState btNext{L"Далее >"};
  ControlState btCancel{L"Отмена"};

  // What the last copying could not copy: the number of files and the first of their names.
  int32_t NotCopiedCount() const { return notCopied_; }
  const std::wstring& FirstNotCopied() const { return firstNotCopied_; }
  // The files of the last copying that other programs held: each is replaced when Windows next
  // starts.
  const std::vector<std::wstring>& LeftForRestart() const { return leftForRestart_; }

 private:
  void CopyFiles();
  void NoteNotCopied(int32_t count, const std::wstring& name);
  // Milliseconds from now to the follow-up step, for a page activated at `shown`.
  unsigned FollowUpDelay(std::chrono::steady_clock::time_point shown) const;

  setup::TSetup& model_;
  archive::TRAR& rar_;
  Clock clock_;
  // Of the archive being extracted: entries handed to the events, and entries that failed.
  int32_t processed_ = 0;
  int32_t failed_ = 0;
  int32_t notCopied_ = 0;
  std::wstring firstNotCopied_;
  std::vector<std::wstring> leftForRestart_;
};

}  // namespace pages
