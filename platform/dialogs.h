#pragma once
// Message boxes: the owner window is opaque (an HWND on Windows), the answer is the button the
// user pressed. Implemented over MessageBoxW (platform/win32) and by a scripted answerer for
// tests (platform/fake/scripted_message_boxes.h).
#include <string>

namespace platform {

// Numbered as Win32's MB_* button sets.
enum class MsgButtons { Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4,
                        RetryCancel = 5 };
enum class MsgIcon { None, Error, Question, Warning, Information };
// Numbered as Win32's ID* answers; None when no box could be shown (or nobody answered).
enum class MsgAnswer { None = 0, Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6,
                       No = 7 };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a modal box owned by `owner` (may be null) and returns the answer.
  virtual MsgAnswer Show(void* owner, const std::wstring& text, const std::wstring& caption,
                         MsgButtons buttons, MsgIcon icon) = 0;
};

}  // namespace platform
