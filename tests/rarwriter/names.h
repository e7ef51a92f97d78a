#pragma once
#include <string>
#include <string_view>

namespace rarwriter {

// The compressed UTF-16 form that follows the OEM name and a 0 byte in a RAR4 name field.
std::string EncodeRar4UnicodeName(std::u16string_view name);

}  // namespace rarwriter
