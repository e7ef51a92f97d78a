#include "uninstall/path_rules.h"

#include "util/codepage.h"

namespace uninstall {
namespace {

bool IsDeviceName(const std::wstring& component) {
  // The name before its first dot is what Windows matches ("NUL.txt" is NUL).
  std::wstring base = component.substr(0, component.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
  for (const wchar_t* device : kDevices)
    if (util::EqualsNoCase(base, device)) return true;
  if (base.size() == 4 && (util::EqualsNoCase(base.substr(0, 3), L"COM") || util::EqualsNoCase(base.substr(0, 3), L"LPT"))) {
    const wchar_t digit = base[3];
    // COM0..COM9 and the superscript digits Windows also takes as ports.
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
  }
  return false;
}

bool IsPlainComponent(const std::wstring& component) {
  if (component.empty() || component.back() == L'.' || component.back() == L' ') return false;
  for (wchar_t c : component)
    if (c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'/' || c == L'|' ||
        c == L'?' || c == L'*')
      return false;
  return !IsDeviceName(component);
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

bool IsPlainFullPath(const std::wstring& path) {
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return false;
  const wchar_t drive = static_cast<wchar_t>(path[0] | 0x20);
  if (drive < L'a' || drive > L'z') return false;
  size_t from = 3;
  if (from == path.size()) return true;  // the root
  for (;;) {
    const size_t at = path.find(L'\\', from);
    if (!IsPlainComponent(path.substr(from, at == std::wstring::npos ? std::wstring::npos : at - from)))
      return false;
    if (at == std::wstring::npos) return true;
    from = at + 1;
  }
}

bool IsInside(const std::wstring& path, const std::wstring& folder) {
  const std::wstring base = WithoutTrailingBackslash(folder);
  if (!IsPlainFullPath(path) || !IsPlainFullPath(base)) return false;
  const std::wstring prefix = util::FoldCase(base.size() == 3 ? base : base + L"\\");
  const std::wstring folded = util::FoldCase(path);
  return folded.size() > prefix.size() && folded.compare(0, prefix.size(), prefix) == 0;
}

bool IsInsideOrSame(const std::wstring& path, const std::wstring& folder) {
  return IsInside(path, folder) ||
         (IsPlainFullPath(path) && util::EqualsNoCase(path, WithoutTrailingBackslash(folder)));
}

}  // namespace uninstall
