// Appending to a file through the file layer: the machine's own (POSIX natively, Win32 under
// Wine) and the in-memory one the other tests use, which must behave alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

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

}  // namespace
