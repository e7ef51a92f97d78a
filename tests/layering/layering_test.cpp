// Dependencies between the product folders run one way, down: the table in layers.txt must be a
// one-way order itself, and every #include, every namespace a file opens (a forward declaration
// is a dependency too) and every link line of the product's CMake files is checked against it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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
  using Row = std::pair<std::string, std::vector<std::string>>;  // folder, folders below it
  std::vector<Row> rows;                                         // as written, top to bottom
  std::map<std::string, std::vector<std::string>> mayUse;        // the same by folder
  std::set<std::string> allowed;                                 // breaches tolerated today
};

std::string Trim(const std::string& text) {
  const size_t from = text.find_first_not_of(" \t\r");
  if (from == std::string::npos) return "";
  return text.substr(from, text.find_last_not_of(" \t\r") - from + 1);
}

LayerTable ParseTable(std::istream& in) {
  LayerTable table;
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
      const std::string folder = Trim(line.substr(0, colon));
      std::vector<std::string> below;
      std::istringstream words(colon == std::string::npos ? "" : line.substr(colon + 1));
      for (std::string word; words >> word;) below.push_back(word);
      table.rows.emplace_back(folder, below);
      table.mayUse.emplace(folder, below);
    }
  }
  return table;
}

LayerTable ReadTable(const fs::path& file) {
  std::ifstream in(file);
  return ParseTable(in);
}

// Why the table is no one-way order: a row given twice, or naming itself, a folder without a
// row, or one of a row further down (which is how a cycle or an upward row would get in).
std::vector<std::string> TableFaults(const LayerTable& table) {
  std::vector<std::string> faults;
  std::set<std::string> above;
  for (const auto& [folder, below] : table.rows) {
    if (above.count(folder)) faults.push_back(folder + " has two rows");
    for (const std::string& used : below) {
      if (used == folder)
        faults.push_back(folder + " names itself");
      else if (!table.mayUse.count(used))
        faults.push_back(folder + " names " + used + ", which has no row");
      else if (!above.count(used))
        faults.push_back(folder + " names " + used + ", which is not above it");
    }
    above.insert(folder);
  }
  return faults;
}

// The table's folder a path lies in: the longest row that is a prefix of it; empty for none.
std::string FolderOf(const LayerTable& table, const std::string& path) {
  std::string best;
  for (const auto& row : table.mayUse) {
    const std::string prefix = row.first + "/";
    if (path.compare(0, prefix.size(), prefix) == 0 && row.first.size() > best.size())
      best = row.first;
  }
  return best;
}

// The folder a namespace belongs to: the row whose last level bears its name; empty for none
// (std, nested helpers).
std::string FolderOfNamespace(const LayerTable& table, const std::string& name) {
  for (const auto& [folder, below] : table.rows)
    if (folder.substr(folder.rfind('/') + 1) == name) return folder;
  return "";
}

bool MayUse(const LayerTable& table, const std::string& from, const std::string& to) {
  if (from == to) return true;
  const std::vector<std::string>& below = table.mayUse.at(from);
  return std::find(below.begin(), below.end(), to) != below.end();
}

// One dependency of a product file: a header it includes, a namespace it opens, a target it
// links. `key` is how the allow-list names it: "file -> what".
struct Use {
  std::string file;  // relative to the source tree, with "/"
  int line = 0;
  std::string from;  // the folder that depends
  std::string to;    // the folder depended on, empty when it lies in none of the table
  std::string key;
};

// Why a dependency breaks the table, or empty when it is allowed.
std::string Breach(const LayerTable& table, const Use& use) {
  if (use.from.empty()) return "";
  if (use.to.empty())
    return use.key.substr(use.key.find("-> ") + 3) + " lies in no folder of the table";
  return MayUse(table, use.from, use.to) ? "" : use.from + " may not use " + use.to;
}

bool IsSource(const fs::path& file) {
  const std::string ext = file.extension().string();
  return ext == ".h" || ext == ".cpp" || ext == ".c" || ext == ".in" || ext == ".inc";
}

bool IsCMake(const fs::path& file) {
  return file.filename() == "CMakeLists.txt" || file.extension() == ".cmake";
}

// The header of a line '#include "x/y.h"' or '#include <x/y.h>' (blanks allowed around '#');
// empty for any other line. `*angled` tells which quotes it had.
std::string IncludedHeader(const std::string& line, bool* angled) {
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos || line[at] != '#') return "";
  at = line.find_first_not_of(" \t", at + 1);
  if (at == std::string::npos || line.compare(at, 7, "include") != 0) return "";
  at = line.find_first_not_of(" \t", at + 7);
  if (at == std::string::npos || (line[at] != '"' && line[at] != '<')) return "";
  *angled = line[at] == '<';
  const size_t end = line.find(*angled ? '>' : '"', at + 1);
  return end == std::string::npos ? "" : line.substr(at + 1, end - at - 1);
}

// The includes of one line of `file` that lead to a folder: a header named without a folder is
// its own folder's, a configured one (@VAR@) is the build's, and an angled one outside the
// table's folders is the system's.
void AddInclude(const LayerTable& table, const std::string& file, int number,
                const std::string& line, std::vector<Use>& uses) {
  bool angled = false;
  const std::string header = IncludedHeader(line, &angled);
  if (header.empty() || header.find('/') == std::string::npos || header[0] == '@') return;
  const std::string to = FolderOf(table, header);
  if (angled && to.empty()) return;
  uses.push_back({file, number, FolderOf(table, file), to, file + " -> " + header});
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The words and single marks of a line of code: "namespace a::b {" is namespace a : : b {.
std::vector<std::string> Tokens(const std::string& code) {
  std::vector<std::string> tokens;
  for (size_t at = 0; at < code.size();) {
    if (std::isspace(static_cast<unsigned char>(code[at]))) {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < code.size() && IsWordChar(code[end])) ++end;
    if (end == at) ++end;
    tokens.push_back(code.substr(at, end - at));
    at = end;
  }
  return tokens;
}

// The namespaces a line opens, "namespace a {" and "namespace a::b {" alike, comments aside.
void AddNamespaces(const LayerTable& table, const std::string& file, int number,
                   const std::string& line, std::vector<Use>& uses) {
  if (line.find("namespace") == std::string::npos) return;
  const std::vector<std::string> t = Tokens(line.substr(0, line.find("//")));
  for (size_t i = 0; i + 2 < t.size(); ++i) {
    if (t[i] != "namespace" || !IsWordChar(t[i + 1][0])) continue;
    size_t next = i + 2;
    while (next + 2 < t.size() && t[next] == ":" && t[next + 1] == ":") next += 3;
    const std::string to = FolderOfNamespace(table, t[i + 1]);
    if (t[next] == "{" && !to.empty())
      uses.push_back({file, number, FolderOf(table, file), to, file + " -> namespace " + t[i + 1]});
  }
}

// Every source of the table's top folders, relative to the root.
std::vector<std::string> FilesOfTheTable(const fs::path& root, const LayerTable& table,
                                         bool (*wanted)(const fs::path&)) {
  std::set<std::string> tops;
  for (const auto& [folder, below] : table.rows) tops.insert(folder.substr(0, folder.find('/')));
  std::vector<std::string> files;
  for (const std::string& top : tops) {
    if (!fs::is_directory(root / top)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root / top))
      if (entry.is_regular_file() && wanted(entry.path()))
        files.push_back(fs::relative(entry.path(), root).generic_string());
  }
  return files;
}

std::vector<Use> SourceUses(const fs::path& root, const LayerTable& table) {
  std::vector<Use> uses;
  for (const std::string& file : FilesOfTheTable(root, table, IsSource)) {
    std::ifstream in(root / file);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      AddInclude(table, file, number, line, uses);
      AddNamespaces(table, file, number, line, uses);
    }
  }
  return uses;
}

// One CMake command: its name and its arguments split at blanks, comments dropped.
struct Command {
  std::string name;
  std::vector<std::string> args;
  int line = 0;
};

std::vector<Command> ParseCMake(std::istream& in) {
  std::vector<Command> commands;
  std::string text;
  std::vector<int> lineOf;  // the line of each character of text
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    line = line.substr(0, line.find('#')) + "\n";
    text += line;
    lineOf.insert(lineOf.end(), line.size(), number);
  }
  for (size_t at = 0; at < text.size();) {
    size_t end = at;
    while (end < text.size() && IsWordChar(text[end])) ++end;
    size_t open = end;
    while (open < text.size() && (text[open] == ' ' || text[open] == '\t')) ++open;
    if (end == at || open == text.size() || text[open] != '(') {
      at = std::max(end, at + 1);
      continue;
    }
    Command command{text.substr(at, end - at), {}, lineOf[at]};
    int depth = 1;
    bool quoted = false;
    std::string word;
    for (at = open + 1; at < text.size() && depth > 0; ++at) {
      const char c = text[at];
      quoted = quoted != (c == '"');
      if (!quoted) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      if (depth == 0 || (!quoted && std::isspace(static_cast<unsigned char>(c)))) {
        if (!word.empty()) command.args.push_back(word);
        word.clear();
      } else {
        word += c;
      }
    }
    commands.push_back(command);
  }
  return commands;
}

// The folder of a target: that of its first source named in the folder of its CMake file, else
// the CMake file's own; outside the table, the tree's top folder it is made in (tests, bench).
std::string TargetFolder(const LayerTable& table, const std::string& cmakeFile,
                         const Command& made) {
  const std::string dir = fs::path(cmakeFile).parent_path().generic_string();
  for (size_t i = 1; i < made.args.size(); ++i) {
    const std::string& arg = made.args[i];
    if (arg.find('$') == std::string::npos && IsSource(arg)) {
      const std::string folder = FolderOf(table, dir + "/" + arg);
      if (!folder.empty()) return folder;
    }
  }
  const std::string folder = FolderOf(table, cmakeFile);
  return folder.empty() ? "(" + cmakeFile.substr(0, cmakeFile.find('/')) + ")" : folder;
}

std::vector<Use> LinkUses(const LayerTable& table,
                          const std::map<std::string, std::vector<Command>>& cmakeFiles) {
  std::map<std::string, std::string> folderOfTarget;
  for (const auto& [file, commands] : cmakeFiles)
    for (const Command& command : commands)
      if ((command.name == "add_library" || command.name == "add_executable") &&
          !command.args.empty())
        folderOfTarget[command.args[0]] = TargetFolder(table, file, command);
  std::vector<Use> uses;
  for (const auto& [file, commands] : cmakeFiles) {
    for (const Command& command : commands) {
      if (command.name != "target_link_libraries" || command.args.empty()) continue;
      const auto from = folderOfTarget.find(command.args[0]);
      if (from == folderOfTarget.end() || !table.mayUse.count(from->second)) continue;
      for (size_t i = 1; i < command.args.size(); ++i) {
        const auto to = folderOfTarget.find(command.args[i]);
        if (to == folderOfTarget.end()) continue;  // a system library or a keyword
        const std::string toFolder = table.mayUse.count(to->second) ? to->second : "";
        uses.push_back(
            {file, command.line, from->second, toFolder, file + " -> " + command.args[i]});
      }
    }
  }
  return uses;
}

std::map<std::string, std::vector<Command>> ReadCMakeFiles(const fs::path& root) {
  std::map<std::string, std::vector<Command>> files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string name = it->path().filename().string();
    if (it->is_directory() && (name[0] == '.' || name.compare(0, 5, "build") == 0)) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file() || !IsCMake(it->path())) continue;
    std::ifstream in(it->path());
    files[fs::relative(it->path(), root).generic_string()] = ParseCMake(in);
  }
  return files;
}

class Layering : public testing::Test {
 protected:
  void ExpectAllowed(const std::vector<Use>& uses, const char* what) {
    for (const Use& use : uses) {
      const std::string why = Breach(table_, use);
      if (why.empty() || table_.allowed.count(use.key)) continue;
      ADD_FAILURE() << use.file << ":" << use.line << ": " << what << " " << use.key << ": " << why;
    }
  }

  const fs::path root_ = SK_TEST_SOURCE_DIR;
  const LayerTable table_ = ReadTable(root_ / "layers.txt");
};

TEST_F(Layering, TheTableRunsOneWayDown) {
  ASSERT_GT(table_.rows.size(), 5u) << "layers.txt holds no table";
  for (const std::string& fault : TableFaults(table_)) ADD_FAILURE() << "layers.txt: " << fault;
}

TEST_F(Layering, EveryProductIncludeAndNamespaceKeepsToTheTable) {
  const std::vector<Use> uses = SourceUses(root_, table_);
  ASSERT_GT(uses.size(), 100u) << "too few includes found: is the source tree where it should be?";
  ExpectAllowed(uses, "uses");
}

TEST_F(Layering, EveryProductLinkLineKeepsToTheTable) {
  const std::vector<Use> uses = LinkUses(table_, ReadCMakeFiles(root_));
  ASSERT_GT(uses.size(), 10u) << "too few link lines found: is the source tree where it should be?";
  ExpectAllowed(uses, "links");
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
      EXPECT_FALSE(FolderOf(table_, file).empty())
          << file << " lies in a folder layers.txt has no row for";
    }
  }
}

TEST_F(Layering, TheAllowListHoldsOnlyLinesThatStillBreakTheTable) {
  std::vector<Use> uses = SourceUses(root_, table_);
  const std::vector<Use> links = LinkUses(table_, ReadCMakeFiles(root_));
  uses.insert(uses.end(), links.begin(), links.end());
  std::set<std::string> breaking;
  for (const Use& use : uses)
    if (!Breach(table_, use).empty()) breaking.insert(use.key);
  for (const std::string& line : table_.allowed)
    EXPECT_TRUE(breaking.count(line)) << "layers.txt allows \"" << line
                                      << "\", which no longer breaks the table: remove the line";
}

// The checks themselves, over small tables and files of their own.
LayerTable Table(const std::string& text) {
  std::istringstream in(text);
  return ParseTable(in);
}

TEST(LayeringCheck, ATableThatIsNotOneWayDownIsFound) {
  const struct {
    const char* table;
    size_t faults;
  } cases[] = {
      {"util:\nplatform: util\nsetup: util platform\n", 0},
      {"util: platform\nplatform: util\n", 1},            // a cycle: util names a row below
      {"util:\nplatform: util\nutil: platform\n", 1},     // a second row for util
      {"util:\nplatform: util pages\n", 1},               // a folder without a row
      {"util: util\n", 1},                                // itself
      {"util:\nsetup: util\nplatform: util setup\n", 0},  // names only rows above
      {"util:\nplatform: util setup\nsetup: util\n", 1},  // upward
  };
  for (const auto& c : cases) EXPECT_EQ(TableFaults(Table(c.table)).size(), c.faults) << c.table;
}

TEST(LayeringCheck, FindsAWrongWayIncludeOrNamespaceAndAllowsTheWayDown) {
  const LayerTable table = Table(
      "util:\nplatform: util\nplatform/fake: util platform\narchive: util\nsetup: util platform\n");
  const struct {
    const char* file;
    const char* line;
    bool breaks;
  } cases[] = {
      {"util/files.cpp", "#include \"platform/file_system.h\"", true},
      {"platform/registry.cpp", "#include \"util/codepage.h\"", false},
      {"platform/registry.cpp", "  #  include \"platform/fake/fake_registry.h\"", true},
      {"platform/fake/fake_registry.cpp", "#include \"platform/registry.h\"", false},
      {"util/files.cpp", "#include \"files.h\"", false},
      {"util/files.cpp", "#include \"pages/page.h\"", true},
      {"util/files.cpp", "#include <platform/file_system.h>", true},
      {"util/files.cpp", "#include <sys/stat.h>", false},
      {"tests/util/files_test.cpp", "#include \"platform/fake/fake_registry.h\"", false},
      {"setup/setup.h", "namespace archive { class TRAR; }", true},
      {"setup/setup.h", "namespace archive::detail {", true},
      {"setup/setup.h", "namespace platform { class FileSystem; }", false},
      {"setup/setup.h", "namespace setup {", false},
      {"setup/setup.h", "namespace {", false},
      {"setup/setup.h", "using namespace archive;", false},
      {"setup/setup.h", "// namespace archive { is not opened here", false},
      {"util/text.h", "namespace std {", false},
  };
  for (const auto& c : cases) {
    std::vector<Use> uses;
    AddInclude(table, c.file, 1, c.line, uses);
    AddNamespaces(table, c.file, 1, c.line, uses);
    bool breaks = false;
    for (const Use& use : uses) breaks = breaks || !Breach(table, use).empty();
    EXPECT_EQ(breaks, c.breaks) << c.file << ": " << c.line;
  }
}

TEST(LayeringCheck, FindsAWrongWayLinkLine) {
  const LayerTable table =
      Table("util:\nplatform: util\nplatform/fake: util platform\nsetup: util platform\n");
  const auto commands = [](const std::string& text) {
    std::istringstream in(text);
    return ParseCMake(in);
  };
  const std::map<std::string, std::vector<Command>> files = {
      {"util/CMakeLists.txt", commands("add_library(sk_util STATIC text.cpp)\n")},
      {"platform/CMakeLists.txt",
       commands("add_library(sk_platform STATIC file.cpp) # a comment (with brackets)\n"
                "add_custom_command(OUTPUT x.h COMMENT \"made (once\")\n"
                "add_library(sk_platform_fake STATIC\n  fake/fake_files.cpp\n)\n"
                "target_link_libraries(sk_platform PUBLIC sk_util ws2_32)\n"
                "target_link_libraries(sk_platform_fake PUBLIC sk_platform)\n")},
      {"setup/CMakeLists.txt",
       commands(
           "add_library(sk_setup STATIC setup.cpp)\n"
           "target_link_libraries(sk_setup PUBLIC sk_platform_fake sk_test_helpers\n  sk_util)\n")},
      {"util/more.cmake", commands("target_link_libraries(sk_util PRIVATE sk_platform)\n")},
      {"tests/CMakeLists.txt",
       commands("add_library(sk_test_helpers STATIC helpers.cpp)\n"
                "target_link_libraries(sk_test_helpers PUBLIC sk_setup)\n")},
  };
  std::set<std::string> breaking, kept;
  for (const Use& use : LinkUses(table, files))
    (Breach(table, use).empty() ? kept : breaking).insert(use.key);
  EXPECT_EQ(breaking, (std::set<std::string>{"setup/CMakeLists.txt -> sk_platform_fake",
                                             "setup/CMakeLists.txt -> sk_test_helpers",
                                             "util/more.cmake -> sk_platform"}));
  EXPECT_EQ(kept, (std::set<std::string>{"platform/CMakeLists.txt -> sk_util",
                                         "platform/CMakeLists.txt -> sk_platform",
                                         "setup/CMakeLists.txt -> sk_util"}));
}

}  // namespace
