#include "tests/rarwriter/folder_entries.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace rarwriter {
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  if (!in && !in.eof()) throw std::runtime_error("rarwriter: cannot read " + file.u8string());
  return data.str();
}

// Modification time (Unix seconds) and whether the owner may write it.
void ReadStat(const fs::path& p, Entry& e) {
#ifdef _WIN32
  struct _stat64 st;
  if (_wstat64(p.c_str(), &st) != 0) throw std::runtime_error("rarwriter: cannot stat " + p.u8string());
  const bool writable = (st.st_mode & _S_IWRITE) != 0;
#else
  struct stat st;
  if (stat(p.c_str(), &st) != 0) throw std::runtime_error("rarwriter: cannot stat " + p.u8string());
  const bool writable = (st.st_mode & S_IWUSR) != 0;
#endif
  e.mtime = static_cast<int64_t>(st.st_mtime);
  if (!e.directory) e.attributes = writable ? 0x20 : 0x21;
}

void AddFolder(const fs::path& root, const fs::path& folder, Format format, std::vector<Entry>& out) {
  std::vector<fs::path> children;
  for (const fs::directory_entry& child : fs::directory_iterator(folder)) children.push_back(child.path());
  std::sort(children.begin(), children.end());
  for (const fs::path& child : children) {
    const std::string name = child.lexically_relative(root).generic_u8string();
    if (fs::is_directory(child)) {
      Entry e = MakeDirectory(format, name);
      ReadStat(child, e);
      out.push_back(std::move(e));
      AddFolder(root, child, format, out);
    } else {
      Entry e = MakeFile(format, name, ReadAll(child));
      ReadStat(child, e);
      out.push_back(std::move(e));
    }
  }
}

}  // namespace

std::vector<Entry> EntriesFromFolder(const fs::path& root, Format format) {
  if (!fs::is_directory(root)) throw std::runtime_error("rarwriter: not a folder: " + root.u8string());
  std::vector<Entry> out;
  AddFolder(root, root, format, out);
  return out;
}

}  // namespace rarwriter
