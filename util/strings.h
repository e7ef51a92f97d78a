#pragma once
// String functions shared by the model and the pages. Positions count from 1 where a rule names
// them; comparisons are exact (case-sensitive) unless a function says otherwise.
#include <string>
#include <vector>

namespace util {

// True for a blank or a control character (up to U+0020): what a typed or pasted name loses.
bool IsBlankOrControl(wchar_t c);
// s without the characters `isBlank` accepts at either end.
std::wstring Trim(const std::wstring& s, bool (*isBlank)(wchar_t) = IsBlankOrControl);

// The first n characters of s; n of 0 or less gives the empty string.
std::wstring LeftChars(const std::wstring& s, int n);

// Replaces every occurrence of find, searching again from the start after each replacement, so
// occurrences formed by a replacement and its neighbours go too ("\\\\" -> "\\" reduces any run
// of backslashes to one). find equal to repl returns s; an empty find changes nothing. A repl
// that contains find would never end: then only the occurrences of the original text are
// replaced, in one left-to-right pass.
std::wstring ReplaceAll(const std::wstring& s, const std::wstring& find, const std::wstring& repl);

// Splits s at every delimiter and appends the parts to list (after emptying it when clearFirst):
// one leading delimiter is dropped, empty parts in the middle count, an empty last part does not.
// "a|b||c" -> a, b, "", c;  "|a|b" -> a, b;  "a|b|" -> a, b;  "||a" -> "", a;  "" -> nothing.
void SplitToList(const std::wstring& s, wchar_t delimiter, std::vector<std::wstring>& list,
                 bool clearFirst);

// The pattern with its first "%s" replaced by text, as a message is formatted (once: a "%s"
// inside text stays as it is).
std::wstring FormatText(const std::wstring& pattern, const std::wstring& text);

// True when every character of s occurs in allowed (case-sensitive); the empty s gives true.
bool ConsistsOf(const std::wstring& s, const std::wstring& allowed);

// Path followed by a backslash unless it already ends with one; the empty path gives "\".
std::wstring AddBackslash(const std::wstring& path);

// Converts the Russian letters of code page 866 (bytes 0x80-0xAF, 0xE0-0xEF, and Yo/yo at 0xF0,
// 0xF1) to their Windows-1251 bytes; every other byte stays. Same length as s. Stated on bytes,
// as the archive entry names arrive.
std::string DosToWin(const std::string& s);

// The longest start of s that takes at most `units` UTF-16 units, never ending inside a character
// (a character past the BMP takes two units: a surrogate pair on Windows, one wide character of
// 32 bits elsewhere), so a limit counts alike on both builds.
std::wstring LeftUtf16Units(const std::wstring& s, size_t units);

// The path with its extension (from the last "." of the last component) replaced by ext, or
// with ext appended when it has none: "BIN\APP.EXE" + ".ico" -> "BIN\APP.ico".
std::wstring ChangeFileExt(const std::wstring& path, const std::wstring& ext);

}  // namespace util
