// A destination an ordinary user may change: links put into it before the extraction are never
// passed, at any depth, and one in a file's own place is replaced as itself, never written
// through. Over the in-memory file system, whose links behave as junctions and symbolic links.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fake/fake_file_system.h"
#include "tests/rarwriter/rarwriter.h"
#include "unrar/file_system_hook.h"
#include "unrar/unrar.h"
#include "util/codepage.h"

namespace {

const std::wstring kDest = L"C:\\Dest", kOutside = L"C:\\Outside";

// Every file at or below the outside folder with its bytes.
std::vector<std::pair<std::wstring, std::string>> OutsideFiles(const platform::FakeFileSystem& files) {
  std::vector<std::pair<std::wstring, std::string>> found;
  for (const std::wstring& path : files.FilePaths())
    if (util::FoldCase(path).rfind(util::FoldCase(kOutside), 0) == 0) found.push_back({path, *files.FileBytes(path)});
  return found;
}

TEST(LinksInTheDestination, AreNeverPassedAndOneInAFilesPlaceIsReplacedAsItself) {
  rarwriter::Archive archive;
  archive.format = rarwriter::Format::Rar5;
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"BIN/SUB/deep.txt", "deep"}, {"BIN/app.exe", "app"}, {"readme.txt", "readme"}};
  for (const auto& entry : entries) archive.entries.push_back(rarwriter::MakeFile(archive.format, entry.first, entry.second));
  const std::string bytes = rarwriter::Write(archive).bytes;

  struct Case {
    std::wstring link;                  // below the destination; empty: the destination itself
    std::vector<std::string> refused;  // entries that fail: their way passes the link
  };
  const Case cases[] = {
      {L"", {"BIN/SUB/deep.txt", "BIN/app.exe", "readme.txt"}},
      {L"BIN", {"BIN/SUB/deep.txt", "BIN/app.exe"}},
      {L"BIN\\SUB", {"BIN/SUB/deep.txt"}},
      {L"BIN\\app.exe", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link.empty() ? L"the destination" : c.link);
    platform::FakeFileSystem files;
    files.PutFile(L"C:\\Media\\a.rar", bytes);
    files.PutFile(kOutside + L"\\app.exe", "outside, not ours");
    const std::wstring place = c.link.empty() ? kDest : kDest + L"\\" + c.link;
    files.MakeDirectory(place.substr(0, place.rfind(L'\\')));
    const bool filePlace = c.link == L"BIN\\app.exe";
    files.PutLink(place, filePlace ? kOutside + L"\\app.exe" : kOutside);
    const auto outsideBefore = OutsideFiles(files);

    unrar::SetFileSystem(&files);
    std::wstring name = L"C:\\Media\\a.rar", dest = kDest;
    RAROpenArchiveDataEx open;
    std::memset(&open, 0, sizeof open);
    open.ArcNameW = &name[0];
    open.OpenMode = RAR_OM_EXTRACT;
    HANDLE handle = RAROpenArchiveEx(&open);
    ASSERT_NE(handle, nullptr);
    for (const auto& entry : entries) {
      RARHeaderDataEx header;
      std::memset(&header, 0, sizeof header);
      ASSERT_EQ(RARReadHeaderEx(handle, &header), 0);
      const bool refused = std::find(c.refused.begin(), c.refused.end(), entry.first) != c.refused.end();
      EXPECT_EQ(RARProcessFileW(handle, RAR_EXTRACT, &dest[0], nullptr), refused ? ERAR_ECREATE : 0) << entry.first;
    }
    RARCloseArchive(handle);
    unrar::SetFileSystem(nullptr);

    EXPECT_EQ(OutsideFiles(files), outsideBefore);
    if (filePlace) {
      EXPECT_EQ(files.Kind(place), platform::PathKind::File);
      EXPECT_EQ(*files.FileBytes(place), "app");
    } else {
      EXPECT_EQ(files.Kind(place), platform::PathKind::Other) << "the link itself stays";
    }
  }
}

}  // namespace
