#pragma once
// Checks an installation medium before it is burnt, through the installer's own code: Setup.ini
// read into its model, every group's archive tested as the welcome page tests it (with the
// installer's password), the files the pages open, and the default destination against the
// destination page's own rule. Findings come in the order found; none means the medium is sound.
#include <filesystem>

#include "tools/skmedium/findings.h"

namespace skmedium {

Findings CheckMedium(const std::filesystem::path& folder);

}  // namespace skmedium
