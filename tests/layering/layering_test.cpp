// Dependencies between the product folders run one way, down: every quoted #include of the
// product's sources is checked against the table in layers.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct LayerTable {
  std::map<std::string, std::set<std::string>> mayInclude;  // folder -> folders below it
  std::set<std::string> allowed;                            // "file -> header" breaking it today
};

std::string Trim(const std::string& text) {
  const size_t from = text.find_first_not_of(" \t\r");
  if (from == std::string::npos) return "";
  return text.substr(from, text.find_last_not_of(" \t\r") - from + 1);
}

LayerTable ReadTable(const fs::path& file) {
  LayerTable table;
  std::ifstream in(file);
  bool allowedPart = false;
  for (std::string line; std::getline(in, line);) {
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    if (line == "[allowed]") {
      allowedPart = true;
    } else if (allowedPart) {
      table.allowed.insert(line);
    } else {
      const size_t colon = line.find(':');
      std::set<std::string>& below = table.mayInclude[Trim(line.substr(0, colon))];
      std::istringstream words(line.substr(colon + 1));
      for (std::string word; words >> word;) below.insert(word);
    }
  }
  return table;
}

// The table's folder a path lies in: the longest row that is a prefix of it; empty for none.
std::string FolderOf(const LayerTable& table, const std::string& path) {
  std::string best;
  for (const auto& row : table.mayInclude) {
    const std::string prefix = row.first + "/";
    if (path.compare(0, prefix.size(), prefix) == 0 && row.first.size() > best.size()) best = row.first;
  }
  return best;
}

bool IsSource(const fs::path& file) {
  const std::string ext = file.extension().string();
  return ext == ".h" || ext == ".cpp" || ext == ".c" || ext == ".in";
}

struct Include {
  std::string file;    // relative to the source tree, with "/"
  int line = 0;
  std::string header;  // as written between the quotes
};

// The header of a line '#include "x/y.h"' (blanks allowed around '#'); empty for any other line.
std::string QuotedInclude(const std::string& line) {
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos || line[at] != '#') return "";
  at = line.find_first_not_of(" \t", at + 1);
  if (at == std::string::npos || line.compare(at, 7, "include") != 0) return "";
  at = line.find_first_not_of(" \t", at + 7);
  if (at == std::string::npos || line[at] != '"') return "";
  const size_t end = line.find('"', at + 1);
  return end == std::string::npos ? "" : line.substr(at + 1, end - at - 1);
}

std::vector<Include> ProductIncludes(const fs::path& root, const LayerTable& table) {
  std::set<std::string> tops;
  for (const auto& row : table.mayInclude) tops.insert(row.first.substr(0, row.first.find('/')));
  std::vector<Include> includes;
  for (const std::string& top : tops) {
    if (!fs::is_directory(root / top)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
      if (!entry.is_regular_file() || !IsSource(entry.path())) continue;
      const std::string file = fs::relative(entry.path(), root).generic_string();
      std::ifstream in(entry.path());
      int number = 0;
      for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string header = QuotedInclude(line);
        if (!header.empty()) includes.push_back({file, number, header});
      }
    }
  }
  return includes;
}

// Why an include breaks the table, or empty when it is allowed.
std::string Breach(const LayerTable& table, const Include& include) {
  const std::string from = FolderOf(table, include.file);
  // A header named without a folder is its own folder's; a configured one (@VAR@) is the build's.
  if (from.empty() || include.header.find('/') == std::string::npos || include.header[0] == '@') return "";
  const std::string to = FolderOf(table, include.header);
  if (to.empty()) return include.header + " lies in no folder of the table";
  if (to == from || table.mayInclude.at(from).count(to)) return "";
  return from + " may not include " + to;
}

class Layering : public testing::Test {
 protected:
  const fs::path root_ = SK_TEST_SOURCE_DIR;
  const LayerTable table_ = ReadTable(root_ / "layers.txt");
};

TEST_F(Layering, EveryProductIncludeKeepsToTheTable) {
  ASSERT_FALSE(table_.mayInclude.empty()) << "layers.txt holds no table";
  const std::vector<Include> includes = ProductIncludes(root_, table_);
  ASSERT_GT(includes.size(), 100u) << "too few includes found: is the source tree where it should be?";
  for (const Include& include : includes) {
    const std::string why = Breach(table_, include);
    if (why.empty() || table_.allowed.count(include.file + " -> " + include.header)) continue;
    ADD_FAILURE() << include.file << ":" << include.line << ": #include \"" << include.header << "\": " << why;
  }
}

// A new folder of sources gets its row before its first include is trusted.
TEST_F(Layering, EveryFolderOfSourcesHasARow) {
  for (const auto& top : fs::directory_iterator(root_)) {
    const std::string name = top.path().filename().string();
    if (!top.is_directory() || name == "tests" || name == "bench" || name[0] == '.' ||
        name.compare(0, 5, "build") == 0)
      continue;
    for (const auto& entry : fs::recursive_directory_iterator(top.path())) {
      if (!entry.is_regular_file() || !IsSource(entry.path())) continue;
      const std::string file = fs::relative(entry.path(), root_).generic_string();
      EXPECT_FALSE(FolderOf(table_, file).empty()) << file << " lies in a folder layers.txt has no row for";
    }
  }
}

TEST_F(Layering, TheAllowListHoldsOnlyLinesThatStillBreakTheTable) {
  std::set<std::string> breaking;
  for (const Include& include : ProductIncludes(root_, table_))
    if (!Breach(table_, include).empty()) breaking.insert(include.file + " -> " + include.header);
  for (const std::string& line : table_.allowed)
    EXPECT_TRUE(breaking.count(line)) << "layers.txt allows \"" << line
                                      << "\", which no longer breaks the table: remove the line";
}

// The check itself: a table with a wrong-way include and a stale allowance reports both.
TEST(LayeringCheck, FindsAWrongWayIncludeAndAllowsTheWayDown) {
  LayerTable table;
  table.mayInclude = {{"util", {}}, {"platform", {"util"}}, {"platform/fake", {"util", "platform"}}};
  const struct {
    Include include;
    bool breaks;
  } cases[] = {
      {{"util/files.cpp", 1, "platform/file_system.h"}, true},
      {{"platform/registry.cpp", 1, "util/codepage.h"}, false},
      {{"platform/registry.cpp", 1, "platform/fake/fake_registry.h"}, true},
      {{"platform/fake/fake_registry.cpp", 1, "platform/registry.h"}, false},
      {{"util/files.cpp", 1, "files.h"}, false},
      {{"util/files.cpp", 1, "pages/page.h"}, true},
      {{"tests/util/files_test.cpp", 1, "platform/fake/fake_registry.h"}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(!Breach(table, c.include).empty(), c.breaks) << c.include.file << " -> " << c.include.header;
}

}  // namespace
