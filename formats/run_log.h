#pragma once
// The log of a run without windows (Setup.exe's and UnInstall.exe's): UTF-8 with a byte-order
// mark, one line per step and per message the program would have shown, each line on disk
// before the run goes on (a run that stops half way leaves what it did). Without a file the
// lines are only kept.
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace platform { class FileSystem; }

namespace formats {

class RunLog {
 public:
  // `path` empty: no file.
  RunLog(platform::FileSystem& files, std::wstring path);

  void Line(const std::wstring& text);
  // The run's last line: its exit code.
  void ExitCodeLine(int code);
  const std::vector<std::wstring>& Lines() const { return lines_; }
  // False when the file could not be made, or once a line could not be added to it.
  bool Written() const { return written_; }

 private:
  platform::FileSystem& files_;
  std::wstring path_;
  std::vector<std::wstring> lines_;
  bool written_ = true;
};

// The message boxes of a run without windows: each text goes to the log, and the answer is the
// one that lets the run go on without deciding anything: OK; "Пропустить" (Cancel) where a box
// offers a retry; to a question, `answerToQuestions` (No unless the command line already said
// Yes, as UnInstall.exe /SILENT does to "Удалить ...?").
class LoggingMessageBoxes : public platform::MessageBoxes {
 public:
  explicit LoggingMessageBoxes(RunLog& log, platform::MsgAnswer answerToQuestions = platform::MsgAnswer::No)
      : log_(log), answerToQuestions_(answerToQuestions) {}
  platform::MsgAnswer Show(void* owner, const std::wstring& text, const std::wstring& caption,
                           platform::MsgButtons buttons, platform::MsgIcon icon) override;
  // Boxes shown so far.
  int Shown() const { return shown_; }

 private:
  RunLog& log_;
  platform::MsgAnswer answerToQuestions_;
  int shown_ = 0;
};

}  // namespace formats
