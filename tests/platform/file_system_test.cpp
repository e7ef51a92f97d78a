// Appending to a file through the file layer: the machine's own (POSIX natively, Win32 under
// Wine) and the in-memory one the other tests use, which must behave alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_file_system.h"
#include "platform/file_system.h"
#include "platform/file_io.h"

namespace {

struct Layer {
  const char* name;
  platform::FileSystem* files;
  std::wstring folder;
};

void ExpectAppending(const Layer& layer) {
  SCOPED_TRACE(layer.name);
  platform::FileSystem& files = *layer.files;
  const std::wstring log = layer.folder + L"/appended.log";
  files.Remove(log);
  EXPECT_EQ(files.OpenAppend(log), nullptr) << "appending never makes a file";
  EXPECT_EQ(files.OpenAppend(layer.folder), nullptr) << "nor writes into a folder";

  ASSERT_TRUE(platform::WriteWholeFile(files, log, "head\n"));
  for (const char* line : {"one\n", "two\n"}) {
    std::unique_ptr<platform::WritableFile> out = files.OpenAppend(log);
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(out->Write(line, std::char_traits<char>::length(line)));
    EXPECT_TRUE(out->Flush());
    EXPECT_TRUE(out->Close());
  }
  std::string bytes;
  ASSERT_EQ(platform::ReadWholeFile(files, log, 1 << 20, &bytes), platform::ReadResult::Ok);
  EXPECT_EQ(bytes, "head\none\ntwo\n");
  files.Remove(log);
}

TEST(FileLayer, AppendsToAnExistingFileOnly) {
  const std::filesystem::path temp = std::filesystem::temp_directory_path() / "sk-file-layer-test";
  std::filesystem::create_directories(temp);
  platform::FakeFileSystem fake;
  fake.MakeDirectory(L"C:/Temp");
  ExpectAppending({"in memory", &fake, L"C:/Temp"});
  ExpectAppending({"this machine's", &platform::RealFileSystem(), temp.wstring()});
  std::filesystem::remove_all(temp);
}

// A way through a layer: the folder, the path below it, and how a link is put in a place.
struct Way {
  const char* name;
  platform::FileSystem* files;
  std::wstring folder;  // the destination
  std::wstring outside;
  wchar_t separator;
  std::function<void(const std::wstring& place, const std::wstring& target)> putLink;
  std::function<void(const std::wstring& folder)> makeFolder;
  std::function<void(const std::wstring& path)> putFile;
};

void ExpectLinksFound(const Way& way, const std::function<void()>& clear) {
  SCOPED_TRACE(way.name);
  const std::wstring s(1, way.separator);
  const std::vector<std::wstring> below = {L"", s + L"a", s + L"a" + s + L"b", s + L"a" + s + L"b" + s + L"c.txt"};
  const std::wstring path = way.folder + below.back();
  // A link in each place from the folder itself down to the path's own, what is below it
  // lying in the link's target.
  for (size_t depth = 0; depth < below.size(); ++depth) {
    SCOPED_TRACE(depth);
    clear();
    const bool last = depth + 1 == below.size();
    if (depth > 0) way.makeFolder(way.folder + below[depth - 1]);
    const std::wstring rest = below.back().substr(below[depth].size());
    const std::wstring target = last ? way.outside + s + L"c.txt" : way.outside;
    if (!last) way.makeFolder(way.outside + rest.substr(0, rest.rfind(way.separator)));
    way.putFile(way.outside + (last ? s + L"c.txt" : rest));
    way.putLink(way.folder + below[depth], target);
    EXPECT_TRUE(platform::LinkOnTheWay(*way.files, way.folder, path));
    EXPECT_TRUE(platform::LinkOnTheWay(*way.files, way.folder + s, path)) << "the folder's trailing separator";
  }
  clear();
  way.makeFolder(way.folder + below[2]);
  way.putFile(path);
  EXPECT_FALSE(platform::LinkOnTheWay(*way.files, way.folder, path));
  EXPECT_FALSE(platform::LinkOnTheWay(*way.files, way.folder, way.folder));
  EXPECT_FALSE(platform::LinkOnTheWay(*way.files, way.folder, way.folder + s + L"missing" + s + L"x.txt"));
  EXPECT_TRUE(platform::LinkOnTheWay(*way.files, way.folder, way.outside + s + L"c.txt")) << "not below the folder";
  EXPECT_TRUE(platform::LinkOnTheWay(*way.files, way.folder + s + L"a", way.folder + s + L"ab")) << "a name that only starts alike";
}

TEST(FileLayer, LinkOnTheWayFindsALinkAtEveryDepthTheLastPlaceIncluded) {
  std::unique_ptr<platform::FakeFileSystem> fake;
  Way inMemory{"in memory", nullptr, L"C:\\Dest", L"C:\\Outside", L'\\',
               [&](const std::wstring& place, const std::wstring& target) { fake->PutLink(place, target); },
               [&](const std::wstring& folder) { fake->MakeDirectory(folder); },
               [&](const std::wstring& path) { fake->PutFile(path, "x"); }};
  ExpectLinksFound(inMemory, [&] {
    fake = std::make_unique<platform::FakeFileSystem>();
    inMemory.files = fake.get();
  });
#ifndef _WIN32
  // Symbolic links on this machine (under Wine the end-to-end scenarios show the Win32 layer).
  namespace fs = std::filesystem;
  const fs::path temp = fs::temp_directory_path() / "sk-link-on-the-way-test";
  Way real{"this machine's", &platform::RealFileSystem(), (temp / "dest").wstring(), (temp / "outside").wstring(), L'/',
           [](const std::wstring& place, const std::wstring& target) { fs::create_symlink(target, place); },
           [](const std::wstring& folder) { fs::create_directories(folder); },
           [](const std::wstring& path) { std::ofstream(fs::path(path)) << "x"; }};
  ExpectLinksFound(real, [&] {
    fs::remove_all(temp);
    fs::create_directories(temp / "outside");
  });
  fs::remove_all(temp);
#endif
}

}  // namespace
