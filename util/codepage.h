#pragma once
// The product's code pages as fixed tables of our own (never the machine's): Windows-1251, in
// which Setup.ini is read and UnInstall.ini/GraphEditor.ini are written, and DOS 866, in which
// the archives store entry names. Every byte maps to one UTF-16 unit and back, so a file read
// and written again keeps its bytes (1251's unassigned 0x98 maps to U+0098).
#include <string>
#include <string_view>

namespace util {

std::wstring FromCp1251(std::string_view bytes);
// Characters 1251 lacks become '?', as WideCharToMultiByte writes them.
std::string ToCp1251(std::wstring_view text);

std::wstring FromCp866(std::string_view bytes);
std::string ToCp866(std::wstring_view text);

// The one case folding used for every case-blind comparison (INI names, registry key order,
// profile and release names): Latin (ASCII and Latin-1), Cyrillic (Yo/yo and the letters of
// 1251 included) folded to upper case, as Windows folds names. Everything else is unchanged.
wchar_t FoldCase(wchar_t c);
std::wstring FoldCase(std::wstring_view s);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
// <0, 0, >0 comparing the folded texts unit by unit (the registry's order of subkeys).
int CompareNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace util
