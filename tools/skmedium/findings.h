#pragma once
// What the medium checker finds: one line each, naming the place (a file of the medium, a
// section of Setup.ini, an archive) and what the installer would do with it.
#include <string>
#include <vector>

namespace skmedium {

struct Finding {
  std::wstring where;
  std::wstring what;
};
using Findings = std::vector<Finding>;

}  // namespace skmedium
