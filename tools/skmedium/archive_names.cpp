#include "tools/skmedium/archive_names.h"

#include <vector>

#include "util/text.h"
#include "util/codepage.h"
#include "util/paths.h"
#include "util/strings.h"

namespace skmedium {
namespace {

// Why Windows would not create a file or folder of this name; empty when it would.
std::wstring RefusedLevel(const std::wstring& level) {
  switch (util::CheckName(level).fault) {
    case util::PathFault::kForbiddenCharacter:
      return L"holds a character Windows does not allow in names";
    case util::PathFault::kEndsInSpaceOrDot:
      return L"ends with a dot or a blank, which Windows drops";
    case util::PathFault::kDeviceName:
      return L"is the name of a Windows device";
    default:
      return L"";
  }
}

// The length Windows counts: UTF-16 units.
size_t Units(const std::wstring& s) { return util::ToUtf16(s).size(); }

}  // namespace

void ArchiveNames::Add(const std::wstring& archive, const std::wstring& name, bool folder) {
  Entry entry{archive, util::ReplaceAll(name, L"/", L"\\")};
  const std::wstring folded = util::FoldCase(entry.name);
  all_.emplace(folded, entry);
  if (!folder) files_.emplace(folded, entry);
}

void ArchiveNames::Report(const std::wstring& destination, size_t maxPath, Findings& findings) const {
  // Each name once (the first archive that holds it), in name order.
  for (const auto& item : all_) {
    const Entry& entry = item.second;
    std::vector<std::wstring> levels;
    util::SplitToList(entry.name, L'\\', levels, true);
    for (const std::wstring& level : levels) {
      if (level.empty() || level == L".") continue;  // the unpacking passes over such steps
      std::wstring why = RefusedLevel(level);
      if (!why.empty()) {
        findings.push_back({entry.archive, L"entry " + entry.name + L": \"" + level + L"\" " + why});
        break;
      }
    }
    const size_t length = Units(destination) + Units(entry.name);
    if (length > maxPath)
      findings.push_back({entry.archive, L"entry " + entry.name + L" lands at a path of " + std::to_wstring(length) +
                                             L" characters under the default destination, more than Windows opens (" +
                                             std::to_wstring(maxPath) + L"): copying fails"});
  }
  for (auto it = files_.begin(); it != files_.end();) {
    auto range = files_.equal_range(it->first);
    auto first = range.first;
    for (auto other = std::next(first); other != range.second; ++other)
      findings.push_back({other->second.archive,
                          L"entry " + other->second.name + L" is the same file on Windows as " + first->second.archive +
                              L" entry " + first->second.name + L": one overwrites the other"});
    it = range.second;
  }
}

std::set<std::wstring> ArchiveNames::Files() const {
  std::set<std::wstring> names;
  for (const auto& item : files_) names.insert(item.first);
  return names;
}

}  // namespace skmedium
