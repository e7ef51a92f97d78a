#include "tools/skmedium/medium_files.h"

#include <cwchar>
#include <system_error>
#include <vector>

#include "util/codepage.h"
#include "util/strings.h"

namespace skmedium {
namespace fs = std::filesystem;

namespace {

bool UnderRoot(const std::wstring& path) {
  const std::wstring root = MediumFiles::kRoot;
  return path.size() >= root.size() && util::EqualsNoCase(path.substr(0, root.size()), root);
}

// The levels after the root, "/" taken as "\\" as Windows takes it, with "." and ".." stepped.
std::vector<std::wstring> Levels(const std::wstring& mediumPath, bool* climbed) {
  std::vector<std::wstring> written, levels;
  util::SplitToList(
      util::ReplaceAll(mediumPath.substr(std::wcslen(MediumFiles::kRoot)), L"/", L"\\"), L'\\',
      written, true);
  for (const std::wstring& level : written) {
    if (level.empty() || level == L".") continue;
    if (level != L"..")
      levels.push_back(level);
    else if (!levels.empty())
      levels.pop_back();
    else
      *climbed = true;
  }
  return levels;
}

}  // namespace

std::wstring MediumFiles::Normalized(const std::wstring& mediumPath, bool* climbed) {
  bool above = false;
  std::wstring path = mediumPath;
  if (UnderRoot(mediumPath)) {
    path = kRoot;
    for (const std::wstring& level : Levels(mediumPath, &above))
      path += (path.size() > std::wcslen(kRoot) ? L"\\" : L"") + level;
  }
  if (climbed) *climbed = above;
  return path;
}

fs::path MediumFiles::HostPath(const std::wstring& mediumPath) const {
  if (!UnderRoot(mediumPath)) return fs::path();
  bool climbed = false;
  fs::path at = folder_;
  for (const std::wstring& level : Levels(mediumPath, &climbed)) {
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
  std::error_code error;
  switch (fs::status(host, error).type()) {  // through any link, to what it points at
    case fs::file_type::regular:
      return platform::PathKind::File;
    case fs::file_type::directory:
      return platform::PathKind::Directory;
    case fs::file_type::not_found:
      return platform::PathKind::Missing;
    default:
      return platform::PathKind::Other;
  }
}

}  // namespace skmedium
