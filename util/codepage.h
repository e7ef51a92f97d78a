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
// profile and release names, the paths the installation log and the uninstaller match): each
// UTF-16 unit of the Basic Multilingual Plane folds to its simple uppercase letter where that
// lowercases back to it, as Windows' ordinal case-blind comparison folds names. Surrogates and
// everything past the BMP stay unchanged.
wchar_t FoldCase(wchar_t c);
std::wstring FoldCase(std::wstring_view s);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
// <0, 0, >0 comparing the folded texts unit by unit (the registry's order of subkeys).
int CompareNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace util
