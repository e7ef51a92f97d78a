#pragma once
// A message-box answerer for tests: records every box asked and answers from a script. With
// the script used up it answers MsgAnswer::None, which no button gives, so a test sees it.
#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace platform {

struct AskedMessageBox {
  void* owner;
  std::wstring text;
  std::wstring caption;
  MsgButtons buttons;
  MsgIcon icon;
};

class ScriptedMessageBoxes : public MessageBoxes {
 public:
  void Answer(MsgAnswer answer) { script_.push_back(answer); }
  const std::vector<AskedMessageBox>& Asked() const { return asked_; }
  size_t Unanswered() const { return unanswered_; }
  void Clear() { asked_.clear(); script_.clear(); unanswered_ = 0; }

  MsgAnswer Show(void* owner, const std::wstring& text, const std::wstring& caption,
                 MsgButtons buttons, MsgIcon icon) override;

 private:
  std::deque<MsgAnswer> script_;
  std::vector<AskedMessageBox> asked_;
  size_t unanswered_ = 0;
};

}  // namespace platform
