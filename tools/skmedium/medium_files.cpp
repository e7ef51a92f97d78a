#include "tools/skmedium/medium_files.h"

#include <system_error>

#include "util/codepage.h"
#include "util/strings.h"

namespace skmedium {
namespace fs = std::filesystem;

fs::path MediumFiles::HostPath(const std::wstring& mediumPath) const {
  const std::wstring root = kRoot;
  if (mediumPath.size() < root.size() || !util::EqualsNoCase(mediumPath.substr(0, root.size()), root))
    return fs::path();
  std::vector<std::wstring> levels;
  // Windows takes "/" between levels as well.
  util::SplitToList(util::ReplaceAll(mediumPath.substr(root.size()), L"/", L"\\"), L'\\', levels, true);
  fs::path at = folder_;
  for (const std::wstring& level : levels) {
    if (level.empty() || level == L".") continue;
    if (level == L"..") return fs::path();
    std::error_code error;
    if (fs::exists(fs::symlink_status(at / level, error))) {
      at /= level;
      continue;
    }
    fs::path found;
    for (fs::directory_iterator it(at, error), end; !error && it != end; it.increment(error)) {
      if (util::EqualsNoCase(it->path().filename().wstring(), level)) {
        found = it->path();
        break;
      }
    }
    at = found.empty() ? at / level : found;
  }
  return at;
}

std::unique_ptr<platform::ReadableFile> MediumFiles::OpenRead(const std::wstring& path) {
  fs::path host = HostPath(path);
  if (host.empty()) return nullptr;
  return platform::RealFileSystem().OpenRead(host.wstring());
}

platform::PathKind MediumFiles::Kind(const std::wstring& path) {
  fs::path host = HostPath(path);
  if (host.empty()) return platform::PathKind::Missing;
  return platform::RealFileSystem().Kind(host.wstring());
}

}  // namespace skmedium
