#include "setup/run_log.h"

#include <utility>

#include "platform/file_io.h"
#include "util/strings.h"
#include "util/text.h"

namespace setup {

RunLog::RunLog(platform::FileSystem& files, std::wstring path)
    : files_(files), path_(std::move(path)), bytes_("\xEF\xBB\xBF") {}

void RunLog::Line(const std::wstring& text) {
  // A text of several lines stays one line of the log.
  std::wstring line = util::ReplaceAll(util::ReplaceAll(text, L"\r\n", L" "), L"\n", L" ");
  while (!line.empty() && line.back() == L' ') line.pop_back();
  lines_.push_back(line);
  bytes_ += util::ToUtf8(line) + "\r\n";
  if (!path_.empty() && !platform::WriteWholeFile(files_, path_, bytes_)) written_ = false;
}

platform::MsgAnswer LoggingMessageBoxes::Show(void*, const std::wstring& text,
                                              const std::wstring&, platform::MsgButtons buttons,
                                              platform::MsgIcon) {
  ++shown_;
  log_.Line(text);
  switch (buttons) {
    case platform::MsgButtons::Ok:
    case platform::MsgButtons::OkCancel:
      return platform::MsgAnswer::Ok;
    case platform::MsgButtons::YesNo:
    case platform::MsgButtons::YesNoCancel:
      return answerToQuestions_;
    case platform::MsgButtons::AbortRetryIgnore:
      return platform::MsgAnswer::Ignore;
    case platform::MsgButtons::RetryCancel:
      return platform::MsgAnswer::Cancel;  // retrying unattended could go on for ever
  }
  return platform::MsgAnswer::None;
}

}  // namespace setup
