#pragma once
// The full name of a TrueType font (name ID 4 of its "name" table, Windows platform, US English
// preferred), read from the file's bytes. Fonts come from a medium that may be damaged: every
// offset and length is checked against the data, and anything that does not check out gives no
// name.
#include <string>
#include <string_view>

namespace setup {

// The full name, or empty when the bytes are not a TrueType font (a single font with TrueType
// outlines: sfnt version 1.0 or "true") or hold no usable Windows full name.
std::wstring TrueTypeFullName(std::string_view font);

}  // namespace setup
