#pragma once
#include <string>

namespace util {

// Path followed by a backslash unless it already ends with one; the empty path gives "\".
std::wstring AddBackslash(const std::wstring& path);

}  // namespace util
