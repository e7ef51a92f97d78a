#pragma once
// The entry names of all the medium's archives, as they will land in the destination folder:
// names Windows cannot create, files whose names differ only in letter case (on Windows one
// overwrites the other), and paths longer than Windows opens under the default destination.
#include <map>
#include <set>
#include <string>

#include "tools/skmedium/findings.h"

namespace skmedium {

class ArchiveNames {
 public:
  // `name` as the archive stores it ("\" or "/" between levels).
  void Add(const std::wstring& archive, const std::wstring& name, bool folder);
  void Report(const std::wstring& destination, size_t maxPath, Findings& findings) const;
  // The folded names of every file entry.
  std::set<std::wstring> Files() const;

 private:
  struct Entry {
    std::wstring archive;
    std::wstring name;  // "\" between levels
  };
  std::multimap<std::wstring, Entry> files_;  // by folded name
  std::map<std::wstring, Entry> all_;         // first of each folded name, folders included
};

}  // namespace skmedium
