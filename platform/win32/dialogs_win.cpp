#include "platform/win32/dialogs_win.h"

#include <windows.h>

namespace platform {
namespace {

UINT IconFlags(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Error: return MB_ICONERROR;
    case MsgIcon::Question: return MB_ICONQUESTION;
    case MsgIcon::Warning: return MB_ICONWARNING;
    case MsgIcon::Information: return MB_ICONINFORMATION;
    case MsgIcon::None: break;
  }
  return 0;
}

}  // namespace

MsgAnswer Win32MessageBoxes::Show(void* owner, const std::wstring& text, const std::wstring& caption,
                                  MsgButtons buttons, MsgIcon icon) {
  UINT style = static_cast<UINT>(buttons) | IconFlags(icon);
  // A box without an owner still stays above the installer's windows.
  if (!owner) style |= MB_TASKMODAL;
  int answer = MessageBoxW(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
  return static_cast<MsgAnswer>(answer);
}

}  // namespace platform
