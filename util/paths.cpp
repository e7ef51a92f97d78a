#include "util/paths.h"

#include "util/codepage.h"

namespace util {
namespace {

bool IsDeviceName(const std::wstring& name) {
  // The name before its first dot is what Windows matches ("NUL.txt" is NUL).
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  static const wchar_t* const kDevices[] = {L"CON",    L"PRN",     L"AUX",   L"NUL",
                                            L"CONIN$", L"CONOUT$", L"CLOCK$"};
  for (const wchar_t* device : kDevices)
    if (EqualsNoCase(base, device)) return true;
  if (base.size() == 4 &&
      (EqualsNoCase(base.substr(0, 3), L"COM") || EqualsNoCase(base.substr(0, 3), L"LPT"))) {
    const wchar_t digit = base[3];
    // COM0..COM9 and the superscript digits Windows also takes as ports.
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
           digit == L'\u00B3';
  }
  return false;
}

bool IsForbidden(wchar_t c) {
  return c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'/' || c == L'|' ||
         c == L'?' || c == L'*';
}

}  // namespace

const wchar_t AllowedPathChars[] =
    L"qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM_\\:-0123456789 ";

PathCheck CheckName(const std::wstring& name) {
  if (name.empty()) return {PathFault::kEmptyName, name, 0};
  for (wchar_t c : name)
    if (IsForbidden(c)) return {PathFault::kForbiddenCharacter, name, c};
  if (IsDeviceName(name)) return {PathFault::kDeviceName, name, 0};
  if (name.back() == L'.' || name.back() == L' ') return {PathFault::kEndsInSpaceOrDot, name, 0};
  return {};
}

PathCheck CheckPlainFullPath(const std::wstring& path) {
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return {PathFault::kNotFull, L"", 0};
  const wchar_t drive = static_cast<wchar_t>(path[0] | 0x20);
  if (drive < L'a' || drive > L'z') return {PathFault::kNotFull, L"", 0};
  if (path.size() == 3) return {};  // the root
  for (size_t from = 3;;) {
    const size_t at = path.find(L'\\', from);
    const PathCheck name =
        CheckName(path.substr(from, at == std::wstring::npos ? std::wstring::npos : at - from));
    if (name.fault != PathFault::kNone || at == std::wstring::npos) return name;
    from = at + 1;
  }
}

bool IsPlainFullPath(const std::wstring& path) {
  return CheckPlainFullPath(path).fault == PathFault::kNone;
}

PathCheck CheckDestinationFolder(const std::wstring& folder) {
  const size_t refused = folder.find_first_not_of(AllowedPathChars);
  if (refused != std::wstring::npos) return {PathFault::kForbiddenCharacter, L"", folder[refused]};
  std::wstring path = folder;
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  const PathCheck check = CheckPlainFullPath(path);
  if (check.fault != PathFault::kNone) return check;
  if (path.size() == 3) return {PathFault::kDriveRoot, path, 0};
  return {};
}

}  // namespace util
