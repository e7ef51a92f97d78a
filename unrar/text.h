#pragma once
// Names and arguments as the RAR library reads them. Entry names reach RARHeaderData.FileName
// through code page 866 (never the machine's); char arguments of the API are UTF-8, or 1251 when
// they are not valid UTF-8. Wide strings are UTF-16 on Windows and code points elsewhere.
#include <cstddef>
#include <cstdint>
#include <string>

namespace unrar {

// A char argument of the C API (archive name, destination, password).
std::wstring ArgumentToWide(const char* s);

// RAR4 file name field: OEM bytes, or OEM bytes, a 0 byte and the compressed UTF-16 form.
// host_is_unix lets a Unix-made name without the Unicode form be read as UTF-8.
std::wstring DecodeRar4Name(const uint8_t* field, size_t size, bool unicode_flag, bool host_is_unix);

}  // namespace unrar
