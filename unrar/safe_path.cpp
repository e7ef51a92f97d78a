#include "unrar/safe_path.h"

namespace unrar {
namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with superscript digits), CONIN$, CONOUT$, with any
// extension: Windows opens the device instead of a file.
bool IsDeviceName(const std::wstring& component) {
  std::wstring base;
  for (wchar_t c : component) {
    if (c == L'.') break;
    base += Upper(c);
  }
  while (!base.empty() && base.back() == L' ') base.pop_back();
  if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
      base == L"CONOUT$")
    return true;
  if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
    wchar_t d = base[3];
    return (d >= L'0' && d <= L'9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
  }
  return false;
}

bool IsSafeComponent(const std::wstring& c) {
  if (c.empty() || c == L"..") return false;
  if (c.back() == L'.' || c.back() == L' ') return false;
  for (wchar_t ch : c) {
    if (ch < 32 || ch == L':' || ch == L'<' || ch == L'>' || ch == L'"' || ch == L'|' || ch == L'?' || ch == L'*')
      return false;
  }
  return !IsDeviceName(c);
}

std::vector<std::wstring> Split(const std::wstring& s) {
  std::vector<std::wstring> parts;
  std::wstring cur;
  for (wchar_t c : s) {
    if (IsSeparator(c)) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  return parts;
}

bool IsAbsolute(const std::wstring& s) {
  if (s.empty()) return false;
  if (IsSeparator(s[0])) return true;  // "\x", "/x", "\\server\share", "\\?\..."
  return s.size() >= 2 && s[1] == L':';  // "C:x", "C:\x"
}

}  // namespace

bool SplitSafeName(const std::wstring& name, std::vector<std::wstring>* components) {
  components->clear();
  if (IsAbsolute(name)) return false;
  for (const std::wstring& part : Split(name)) {
    if (part.empty() || part == L".") continue;
    if (!IsSafeComponent(part)) return false;
    components->push_back(part);
  }
  return !components->empty();
}

bool LinkTargetStaysInside(const std::wstring& link_name, const std::wstring& target) {
  if (target.empty() || IsAbsolute(target)) return false;
  std::vector<std::wstring> link;
  if (!SplitSafeName(link_name, &link)) return false;
  long depth = static_cast<long>(link.size()) - 1;  // the folder holding the link
  for (const std::wstring& part : Split(target)) {
    if (part.empty() || part == L".") continue;
    if (part == L"..") {
      if (--depth < 0) return false;
      continue;
    }
    if (part.find(L':') != std::wstring::npos) return false;
    depth++;
  }
  return true;
}

}  // namespace unrar
