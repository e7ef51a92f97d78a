#include "platform/fake/scripted_message_boxes.h"

namespace platform {

MsgAnswer ScriptedMessageBoxes::Show(void* owner, const std::wstring& text,
                                     const std::wstring& caption, MsgButtons buttons, MsgIcon icon) {
  asked_.push_back({owner, text, caption, buttons, icon});
  if (script_.empty()) {
    ++unanswered_;
    return MsgAnswer::None;
  }
  MsgAnswer answer = script_.front();
  script_.pop_front();
  return answer;
}

}  // namespace platform
