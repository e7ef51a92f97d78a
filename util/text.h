#pragma once
// UTF-8 and UTF-16 to and from wide strings, with what to do about bad input as a parameter.
// Wide strings are UTF-16 on Windows and code points elsewhere; a conversion joins or splits
// surrogate pairs as the host's wchar_t needs.
#include <cstdint>
#include <string>
#include <string_view>

namespace util {

// What a conversion does with input that is not well formed: a byte that starts no valid UTF-8
// sequence (overlong forms, surrogates and values past U+10FFFF included), or an unpaired
// surrogate.
enum class BadInput {
  kReplace,   // each bad byte or unit becomes U+FFFD
  kRefuse,    // the conversion fails and gives nothing
  kAsLatin1,  // a bad byte stands for the character of its value (names from foreign systems)
};

// True when the input was well formed; under kRefuse a false result leaves `text` empty.
bool FromUtf8(std::string_view bytes, std::wstring* text, BadInput bad);
std::wstring FromUtf8(std::string_view bytes);  // bad input replaced
bool ToUtf8(std::wstring_view text, std::string* bytes, BadInput bad);
std::string ToUtf8(std::wstring_view text);  // unpaired surrogates replaced

std::wstring FromUtf16(std::u16string_view units);  // unpaired surrogates replaced
std::u16string ToUtf16(std::wstring_view text);
// Little-endian UTF-16 bytes (an odd last byte is dropped), as Windows' "Unicode" files hold.
std::wstring FromUtf16le(std::string_view bytes);
std::string ToUtf16le(std::wstring_view text);

// One code point onto a wide string: a pair of units on Windows past U+FFFF.
void AppendCodePoint(std::wstring* text, uint32_t c);

}  // namespace util
