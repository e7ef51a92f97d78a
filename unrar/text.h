#pragma once
// Text conversions of the library. Entry names reach RARHeaderData.FileName through a fixed
// code page 866 table (never the machine's); char arguments of the API are UTF-8, or 1251 when
// they are not valid UTF-8. Wide strings are UTF-16 on Windows and code points elsewhere.
#include <cstddef>
#include <cstdint>
#include <string>

namespace unrar {

void AppendCodePoint(std::wstring* out, uint32_t c);
// Decodes UTF-8; *valid (when given) tells whether every sequence was well formed.
std::wstring Utf8ToWide(const std::string& s, bool* valid = nullptr);
std::string WideToUtf8(const std::wstring& s);
std::wstring Utf16ToWide(const uint16_t* units, size_t n);
std::u16string WideToUtf16(const std::wstring& s);

std::wstring Oem866ToWide(const std::string& s);
std::string WideToOem866(const std::wstring& s);  // '?' for what 866 lacks
std::wstring Cp1251ToWide(const std::string& s);

// A char argument of the C API (archive name, destination, password).
std::wstring ArgumentToWide(const char* s);

// RAR4 file name field: OEM bytes, or OEM bytes, a 0 byte and the compressed UTF-16 form.
// host_is_unix lets a Unix-made name without the Unicode form be read as UTF-8.
std::wstring DecodeRar4Name(const uint8_t* field, size_t size, bool unicode_flag, bool host_is_unix);

}  // namespace unrar
