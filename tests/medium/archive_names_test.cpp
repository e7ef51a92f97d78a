// The medium checker's rules for the archives' entry names: each name Windows refuses, each pair
// of files that are one file on Windows and each path too long is found once, at its archive.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tools/skmedium/archive_names.h"
#include "util/codepage.h"

namespace {

struct Entry {
  std::wstring archive;
  std::wstring name;
  bool folder = false;
};

const std::wstring kDestination = L"C:\\Program files\\Sketrion\\";  // 26 characters

// The archive each finding names, in the order found.
std::vector<std::wstring> Places(const std::vector<Entry>& entries, size_t maxPath) {
  skmedium::ArchiveNames names;
  for (const Entry& entry : entries) names.Add(entry.archive, entry.name, entry.folder);
  skmedium::Findings findings;
  names.Report(kDestination, maxPath, findings);
  std::vector<std::wstring> places;
  for (const skmedium::Finding& finding : findings) places.push_back(finding.where);
  return places;
}

TEST(ArchiveNames, EachFaultIsFoundOnceAtItsArchive) {
  const struct {
    const char* what;
    std::vector<Entry> entries;
    size_t maxPath;
    std::vector<std::wstring> places;
  } cases[] = {
      {"sound names",
       {{L"A.RAR", L"BIN\\SK.EXE"}, {L"A.RAR", L"BIN", true}, {L"B.RAR", L"DOC/Схемы.pdf"}},
       259,
       {}},
      {"a character Windows refuses", {{L"A.RAR", L"BIN\\a:b.txt"}}, 259, {L"A.RAR"}},
      {"a level ending in a dot", {{L"B.RAR", L"DOC.\\x.txt"}}, 259, {L"B.RAR"}},
      {"a device name", {{L"A.RAR", L"BIN\\con.txt"}}, 259, {L"A.RAR"}},
      {"only the first refused level of a name", {{L"A.RAR", L"nul\\a?b"}}, 259, {L"A.RAR"}},
      {"one file on Windows, in two archives",
       {{L"A.RAR", L"BIN\\Sk.exe"}, {L"B.RAR", L"bin\\SK.EXE"}},
       259,
       {L"B.RAR"}},
      {"two folders of one name overwrite nothing",
       {{L"A.RAR", L"BIN", true}, {L"B.RAR", L"bin", true}},
       259,
       {}},
      {"a path longer than Windows opens", {{L"A.RAR", L"BIN\\SK.EXE"}}, 26 + 9, {L"A.RAR"}},
      {"a path exactly as long as Windows opens", {{L"A.RAR", L"BIN\\SK.EXE"}}, 26 + 10, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Places(c.entries, c.maxPath), c.places) << c.what;
}

TEST(ArchiveNames, TheFilesAreKnownByTheirFoldedNamesAndFoldersAreNot) {
  skmedium::ArchiveNames names;
  names.Add(L"A.RAR", L"BIN/Sk.exe", false);
  names.Add(L"A.RAR", L"BIN", true);
  const std::set<std::wstring> files = names.Files();
  EXPECT_EQ(files.size(), 1u);
  EXPECT_EQ(files.count(util::FoldCase(L"bin\\sk.EXE")), 1u);
}

}  // namespace
