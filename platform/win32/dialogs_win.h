#pragma once
// Message boxes over MessageBoxW.
#include "platform/dialogs.h"

namespace platform {

class Win32MessageBoxes : public MessageBoxes {
 public:
  MsgAnswer Show(void* owner, const std::wstring& text, const std::wstring& caption,
                 MsgButtons buttons, MsgIcon icon) override;
};

}  // namespace platform
