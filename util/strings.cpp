#include "util/strings.h"

#include <cstdint>

namespace util {

bool IsBlankOrControl(wchar_t c) { return static_cast<uint32_t>(c) <= 0x20; }

std::wstring Trim(const std::wstring& s, bool (*isBlank)(wchar_t)) {
  size_t begin = 0, end = s.size();
  while (begin < end && isBlank(s[begin])) ++begin;
  while (end > begin && isBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

std::wstring LeftChars(const std::wstring& s, int n) {
  if (n <= 0) return std::wstring();
  return s.substr(0, static_cast<size_t>(n));
}

std::wstring ReplaceAll(const std::wstring& s, const std::wstring& find, const std::wstring& repl) {
  if (find == repl || find.empty()) return s;
  std::wstring text = s;
  if (repl.find(find) != std::wstring::npos) {
    // Searching from the start again would never end: one pass over the original occurrences.
    std::wstring out;
    size_t from = 0;
    for (size_t at; (at = text.find(find, from)) != std::wstring::npos; from = at + find.size())
      out += text.substr(from, at - from) + repl;
    return out + text.substr(from);
  }
  // Every search starts again at the beginning, so runs formed by a replacement are caught too.
  for (size_t at; (at = text.find(find)) != std::wstring::npos;)
    text = LeftChars(text, static_cast<int>(at)) + repl + text.substr(at + find.size());
  return text;
}

void SplitToList(const std::wstring& s, wchar_t delimiter, std::vector<std::wstring>& list,
                 bool clearFirst) {
  if (clearFirst) list.clear();
  if (s.empty()) return;
  size_t from = s[0] == delimiter ? 1 : 0;
  for (size_t at; (at = s.find(delimiter, from)) != std::wstring::npos; from = at + 1)
    list.push_back(s.substr(from, at - from));
  if (from < s.size()) list.push_back(s.substr(from));
}

std::wstring FormatText(const std::wstring& pattern, const std::wstring& text) {
  std::wstring message = pattern;
  const size_t at = message.find(L"%s");
  if (at != std::wstring::npos) message.replace(at, 2, text);
  return message;
}

bool ConsistsOf(const std::wstring& s, const std::wstring& allowed) {
  return s.find_first_not_of(allowed) == std::wstring::npos;
}

std::wstring AddBackslash(const std::wstring& path) {
  if (!path.empty() && path.back() == L'\\') return path;
  return path + L'\\';
}

std::string DosToWin(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b <= 0xAF)
      c = static_cast<char>(b + 0x40);  // А-Я, а-п
    else if (b >= 0xE0 && b <= 0xEF)
      c = static_cast<char>(b + 0x10);  // р-я
    else if (b == 0xF0)
      c = static_cast<char>(0xA8);  // Ё
    else if (b == 0xF1)
      c = static_cast<char>(0xB8);  // ё
  }
  return out;
}

std::wstring LeftUtf16Units(const std::wstring& s, size_t units) {
  size_t used = 0, end = 0;
  while (end < s.size()) {
    const uint32_t c = static_cast<uint32_t>(s[end]);
    const bool pair = sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && end + 1 < s.size() &&
                      static_cast<uint32_t>(s[end + 1]) >= 0xDC00 &&
                      static_cast<uint32_t>(s[end + 1]) < 0xE000;
    const size_t width = (pair || c > 0xFFFF) ? 2 : 1;
    if (used + width > units) break;
    used += width;
    end += pair ? 2 : 1;
  }
  return s.substr(0, end);
}

std::wstring ChangeFileExt(const std::wstring& path, const std::wstring& ext) {
  size_t dot = path.find_last_of(L".\\:");
  if (dot == std::wstring::npos || path[dot] != L'.') return path + ext;
  return path.substr(0, dot) + ext;
}

}  // namespace util
