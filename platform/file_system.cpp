#include "platform/file_system.h"

#include "util/codepage.h"

namespace platform {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

bool LinkOnTheWay(FileSystem& files, const std::wstring& folder, const std::wstring& path) {
  std::wstring base = folder;
  while (base.size() > 1 && IsSeparator(base.back()) && base[base.size() - 2] != L':') base.pop_back();
  if (path.size() < base.size() || !util::EqualsNoCase(path.substr(0, base.size()), base)) return true;
  const bool baseEndsInSeparator = !base.empty() && IsSeparator(base.back());
  if (path.size() > base.size() && !baseEndsInSeparator && !IsSeparator(path[base.size()])) return true;

  // The folder itself, then each place below it down to the path's own.
  for (size_t end = base.size();;) {
    const PathKind kind = files.KindInPlace(path.substr(0, end));
    if (kind == PathKind::Other) return true;
    if (kind != PathKind::Directory || end >= path.size()) return false;  // nothing passed below
    end = path.find_first_of(L"\\/", end + 1);
    if (end == std::wstring::npos) end = path.size();
  }
}

}  // namespace platform
