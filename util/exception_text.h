#pragma once
// The text of the exception being handled, for a message box or a log line.
#include <string>

namespace util {

// Called inside a catch block. Our exceptions carry UTF-8 text in what(); a byte that is not
// UTF-8 is taken for itself rather than lost.
std::wstring CurrentExceptionText();

}  // namespace util
