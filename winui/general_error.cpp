#include "winui/general_error.h"

namespace winui {

std::wstring GeneralErrorText(const std::wstring& message) {
  if (!message.empty() && message.back() > L'.') return message + L'.';
  return message;
}

}  // namespace winui
