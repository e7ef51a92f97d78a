#pragma once
// The text of the general error box, which every program of the product shows for an error
// that no handler caught.
#include <string>

namespace winui {

// A full stop is appended when the text's last character sorts after "." (so "Disk full" and
// "Why?" get one, "Done." and "Stop!" do not).
std::wstring GeneralErrorText(const std::wstring& message);

}  // namespace winui
