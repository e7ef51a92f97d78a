#pragma once
// The entry name a header record holds in code page 866, as the events hand it over: FileName up
// to its first NUL, all 260 bytes when there is none.
#include <cstring>
#include <string>

#include "unrar/unrar.h"

inline std::string HeaderName(const RARHeaderData& header) {
  return std::string(header.FileName, strnlen(header.FileName, sizeof header.FileName));
}
