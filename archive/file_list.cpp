#include "archive/file_list.h"

#include <algorithm>

#include "util/codepage.h"

namespace archive {

namespace {
bool LessNoCase(const std::wstring& a, const std::wstring& b) {
  return util::CompareNoCase(a, b) < 0;
}
}  // namespace

void FileList::Assign(const std::vector<std::wstring>& names) {
  names_.clear();
  for (const auto& name : names) Add(name);
}

void FileList::Add(const std::wstring& name) {
  auto at = std::lower_bound(names_.begin(), names_.end(), name, LessNoCase);
  if (at != names_.end() && util::CompareNoCase(*at, name) == 0) return;
  names_.insert(at, name);
}

bool FileList::Contains(const std::wstring& name) const {
  return std::binary_search(names_.begin(), names_.end(), name, LessNoCase);
}

}  // namespace archive
