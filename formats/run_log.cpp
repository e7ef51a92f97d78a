#include "formats/run_log.h"

#include <memory>
#include <utility>

#include "platform/file_io.h"
#include "platform/file_system.h"
#include "util/strings.h"
#include "util/text.h"

namespace formats {

RunLog::RunLog(platform::FileSystem& files, std::wstring path)
    : files_(files), path_(std::move(path)) {
  // Made at once, replacing an earlier run's log, so a file that cannot be made is known before
  // anything is done; each line is then added at its end.
  if (!path_.empty()) written_ = platform::WriteWholeFile(files_, path_, "\xEF\xBB\xBF");
}

void RunLog::ExitCodeLine(int code) { Line(L"Код завершения: " + std::to_wstring(code)); }

void RunLog::Line(const std::wstring& text) {
  // A text of several lines stays one line of the log.
  std::wstring line = util::ReplaceAll(util::ReplaceAll(text, L"\r\n", L" "), L"\n", L" ");
  while (!line.empty() && line.back() == L' ') line.pop_back();
  lines_.push_back(line);
  if (path_.empty() || !written_) return;
  const std::string bytes = util::ToUtf8(line) + "\r\n";
  std::unique_ptr<platform::WritableFile> file = files_.OpenAppend(path_);
  if (!file || !file->Write(bytes.data(), bytes.size()) || !file->Close()) written_ = false;
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

}  // namespace formats
