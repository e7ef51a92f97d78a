#include "uninstall/path_rules.h"

#include "util/codepage.h"
#include "util/paths.h"

namespace uninstall {
bool IsInside(const std::wstring& path, const std::wstring& folder) {
  const std::wstring base = util::WithoutTrailingBackslash(folder);
  if (!util::IsPlainFullPath(path) || !util::IsPlainFullPath(base)) return false;
  const std::wstring prefix = util::FoldCase(base.size() == 3 ? base : base + L"\\");
  const std::wstring folded = util::FoldCase(path);
  return folded.size() > prefix.size() && folded.compare(0, prefix.size(), prefix) == 0;
}

bool IsInsideOrSame(const std::wstring& path, const std::wstring& folder) {
  return IsInside(path, folder) ||
         (util::IsPlainFullPath(path) &&
          util::EqualsNoCase(path, util::WithoutTrailingBackslash(folder)));
}

}  // namespace uninstall
