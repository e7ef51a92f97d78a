#pragma once
// Entries for every folder and file under a root folder, as an archiver would add them.
#include <filesystem>
#include <vector>

#include "tests/rarwriter/rarwriter.h"

namespace rarwriter {

// Depth first, names sorted, each folder before its contents. Names are relative to root.
// Throws std::filesystem::filesystem_error or std::runtime_error when something cannot be read.
std::vector<Entry> EntriesFromFolder(const std::filesystem::path& root, Format format);

}  // namespace rarwriter
