#pragma once
// Names of the next volume of a set: "name.part1.rar" -> "name.part2.rar" (width kept, widened
// when it overflows), and the old scheme "name.rar" -> "name.r00" ... "name.r99" -> "name.s00".
#include <string>

namespace unrar {

std::wstring NextVolumeName(const std::wstring& current, bool new_numbering);

}  // namespace unrar
