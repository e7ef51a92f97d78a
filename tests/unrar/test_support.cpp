#include "tests/unrar/test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>

#include "util/text.h"

namespace unrar_test {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() /
          ("skrar-test-" + std::to_string(stamp % 1000000007) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only files left by a test must not keep the folder alive.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ec);
  }
  fs::remove_all(path_, ec);
}

fs::path Utf8Path(const std::string& utf8) { return fs::u8path(utf8); }

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Snapshot(const fs::path& root) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    std::string line = fs::relative(it->path(), root).u8string();
    if (it->is_regular_file()) line += " " + std::to_string(it->file_size());
    out.push_back(line);
  }
  std::sort(out.begin(), out.end());
  return out;
}

fs::path CorpusFile(const std::string& name) { return fs::path(SK_TEST_CORPUS_DIR) / "files" / Utf8Path(name); }

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : line) {
    if (c == '\t') {
      out.push_back(cur);
      cur.clear();
    } else if (c != '\r') {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

}  // namespace

std::vector<CorpusArchive> ReadManifest() {
  std::ifstream in(fs::path(SK_TEST_CORPUS_DIR) / "MANIFEST.tsv");
  std::vector<CorpusArchive> out;
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    auto f = SplitTabs(line);
    if (f.size() < 8) continue;
    CorpusArchive a;
    a.file = f[0];
    a.features = f[5];
    a.expected = f[7];
    // "pw" or "pw;name=pw2"
    std::string pw = f[6] == "-" ? "" : f[6];
    size_t semi = pw.find(';');
    a.password = pw.substr(0, semi);
    while (semi != std::string::npos) {
      size_t next = pw.find(';', semi + 1);
      std::string part = pw.substr(semi + 1, next == std::string::npos ? std::string::npos : next - semi - 1);
      size_t eq = part.find('=');
      if (eq != std::string::npos) a.entry_passwords.emplace_back(part.substr(0, eq), part.substr(eq + 1));
      semi = next;
    }
    out.push_back(a);
  }
  return out;
}

std::vector<ExpectedEntry> ReadExpected(const std::string& archive) {
  std::ifstream in(fs::path(SK_TEST_CORPUS_DIR) / "expected" / Utf8Path(archive + ".txt"));
  std::vector<ExpectedEntry> out;
  std::string line;
  while (std::getline(in, line)) {
    auto f = SplitTabs(line);
    if (f.size() < 4) continue;
    ExpectedEntry e;
    e.name = f[0];
    e.size = std::stoull(f[1]);
    e.crc = f[2];
    e.kind = f[3];
    out.push_back(e);
  }
  return out;
}

OpenedArchive::OpenedArchive(const fs::path& path, unsigned mode, UNRARCALLBACK callback, LPARAM user)
    : name_(path.wstring()) {
  memset(&data_, 0, sizeof data_);
  memset(comment, 0, sizeof comment);
  data_.ArcNameW = &name_[0];
  data_.OpenMode = mode;
  data_.CmtBuf = comment;
  data_.CmtBufSize = sizeof comment - 1;
  data_.Callback = callback;
  data_.UserData = user;
  handle_ = RAROpenArchiveEx(&data_);
}

OpenedArchive::~OpenedArchive() {
  if (handle_) RARCloseArchive(handle_);
}

std::string EntryName(const RARHeaderDataEx& header) {
  std::wstring name(header.FileNameW);
  for (wchar_t& c : name)
    if (c == L'\\') c = L'/';
  return util::ToUtf8(name);
}

}  // namespace unrar_test
