#pragma once
// The entry names a pass is limited to (in Unicode, as the library names the entries): kept sorted
// and free of duplicates, both by the case-blind comparison Windows gives file names, and
// searched by halves.
#include <string>
#include <vector>

namespace archive {

class FileList {
 public:
  // Replaces the contents with a copy of names; the caller keeps its list.
  void Assign(const std::vector<std::wstring>& names);
  // Adds a name unless an equal one (ignoring case) is there already.
  void Add(const std::wstring& name);

  bool Contains(const std::wstring& name) const;
  bool Empty() const { return names_.empty(); }

 private:
  std::vector<std::wstring> names_;
};

}  // namespace archive
