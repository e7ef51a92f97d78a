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
  return c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'/' || c == L'\\' ||
         c == L'|' || c == L'?' || c == L'*';
}

size_t NameStart(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\/:");
  return cut == std::wstring::npos ? 0 : cut + 1;
}

}  // namespace

size_t RootLength(const std::wstring& path) {
  if (path.compare(0, 2, L"\\\\") == 0) {
    size_t at = path.find(L'\\', 2);
    if (at != std::wstring::npos) at = path.find(L'\\', at + 1);
    return at == std::wstring::npos ? path.size() : at + 1;
  }
  if (path.size() >= 2 && path[1] == L':') return path.size() >= 3 && path[2] == L'\\' ? 3 : 2;
  return !path.empty() && path[0] == L'\\' ? 1 : 0;
}

std::wstring DriveOf(const std::wstring& path) {
  std::wstring root = path.substr(0, RootLength(path));
  if (!root.empty() && root.back() == L'\\') root.pop_back();
  return root;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, NameStart(path)); }

std::wstring NameOf(const std::wstring& path) { return path.substr(NameStart(path)); }

std::wstring WithoutTrailingBackslash(std::wstring path) {
  // A share's root needs no backslash of its own: "\\server\share" names it.
  const size_t keep = path.compare(0, 2, L"\\\\") == 0 ? 2 : RootLength(path);
  while (path.size() > keep && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring LongForm(const std::wstring& fullPath) {
  // "\\.\" is the device form, as literal as "\\?\".
  if (fullPath.compare(0, 4, L"\\\\?\\") == 0 || fullPath.compare(0, 4, L"\\\\.\\") == 0)
    return fullPath;
  if (fullPath.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + fullPath.substr(2);
  return L"\\\\?\\" + fullPath;
}

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

bool IsPlainName(const std::wstring& name) { return CheckName(name).fault == PathFault::kNone; }

PathCheck CheckPlainRelativePath(const std::wstring& path) {
  for (size_t from = 0;;) {
    const size_t at = path.find(L'\\', from);
    const PathCheck name =
        CheckName(path.substr(from, at == std::wstring::npos ? std::wstring::npos : at - from));
    if (name.fault != PathFault::kNone || at == std::wstring::npos) return name;
    from = at + 1;
  }
}

bool IsPlainRelativePath(const std::wstring& path) {
  return CheckPlainRelativePath(path).fault == PathFault::kNone;
}

PathCheck CheckPlainFullPath(const std::wstring& path) {
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return {PathFault::kNotFull, L"", 0};
  const wchar_t drive = static_cast<wchar_t>(path[0] | 0x20);
  if (drive < L'a' || drive > L'z') return {PathFault::kNotFull, L"", 0};
  if (path.size() == 3) return {};  // the root
  return CheckPlainRelativePath(path.substr(3));
}

bool IsPlainFullPath(const std::wstring& path) {
  return CheckPlainFullPath(path).fault == PathFault::kNone;
}

PathCheck CheckDestinationFolder(const std::wstring& folder) {
  const size_t refused = folder.find_first_not_of(AllowedPathChars);
  if (refused != std::wstring::npos) return {PathFault::kForbiddenCharacter, L"", folder[refused]};
  std::wstring path = folder;
  // One trailing backslash is how the page writes a folder; two are an empty name, which
  // WithoutTrailingBackslash would hide.
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  const PathCheck check = CheckPlainFullPath(path);
  if (check.fault != PathFault::kNone) return check;
  if (path.size() == 3) return {PathFault::kDriveRoot, path, 0};
  return {};
}

bool IsInside(const std::wstring& path, const std::wstring& folder) {
  const std::wstring base = WithoutTrailingBackslash(folder);
  if (!IsPlainFullPath(path) || !IsPlainFullPath(base)) return false;
  const std::wstring prefix = FoldCase(base.size() == 3 ? base : base + L"\\");
  const std::wstring folded = FoldCase(path);
  return folded.size() > prefix.size() && folded.compare(0, prefix.size(), prefix) == 0;
}

bool IsInsideOrSame(const std::wstring& path, const std::wstring& folder) {
  return IsInside(path, folder) || (IsPlainFullPath(path) && EqualsNoCase(path, WithoutTrailingBackslash(folder)));
}

}  // namespace util
