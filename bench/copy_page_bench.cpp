// The copy page over the real archive component, RAR library and file layer, natively (no Wine):
// the time it takes per group for media of many groups, each an archive of three small entries
// in a folder of the group's own, so that every group adds to the installation log. The time
// per group should not grow with the number of groups. copy_page_bench.sh builds it (Release)
// and runs it; not a test.
//   copy_page_bench <work folder> <groups>...
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <unistd.h>

#include "archive/rar.h"
#include "formats/install_log.h"
#include "pages/pr_copy_file.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/scripted_message_boxes.h"
#include "platform/file_system.h"
#include "setup/setup.h"
#include "tests/rarwriter/rarwriter.h"

namespace {

namespace fs = std::filesystem;

// The machine's file layer for the model, which speaks Windows paths: the installation log names
// files with backslashes, which are separators here too.
class HostPaths : public platform::FileSystem {
 public:
  std::unique_ptr<platform::ReadableFile> OpenRead(const std::wstring& p) override { return real_.OpenRead(Host(p)); }
  platform::PathKind Kind(const std::wstring& p) override { return real_.Kind(Host(p)); }
  bool MakeDirectory(const std::wstring& p) override { return real_.MakeDirectory(Host(p)); }
  std::unique_ptr<platform::WritableFile> CreateNew(const std::wstring& p) override { return real_.CreateNew(Host(p)); }
  std::unique_ptr<platform::WritableFile> OpenAppend(const std::wstring& p) override {
    return real_.OpenAppend(Host(p));
  }
  bool Replace(const std::wstring& from, const std::wstring& to) override { return real_.Replace(Host(from), Host(to)); }
  bool Remove(const std::wstring& p) override { return real_.Remove(Host(p)); }
  bool MakeWritable(const std::wstring& p) override { return real_.MakeWritable(Host(p)); }
  bool SetTimes(const std::wstring& p, uint64_t m, uint64_t c, uint64_t a) override {
    return real_.SetTimes(Host(p), m, c, a);
  }
  bool SetAttributes(const std::wstring& p, const platform::FileAttributes& a) override {
    return real_.SetAttributes(Host(p), a);
  }
  bool List(const std::wstring& p, const std::function<bool(const platform::DirectoryEntry&)>& v) override {
    return real_.List(Host(p), v);
  }
  bool Rename(const std::wstring& from, const std::wstring& to) override { return real_.Rename(Host(from), Host(to)); }

 private:
  static std::wstring Host(std::wstring path) {
    for (wchar_t& c : path)
      if (c == L'\\') c = L'/';
    return path;
  }
  platform::FileSystem& real_ = platform::RealFileSystem();
};

// A host without windows: nothing to paint, no timer to run.
class QuietHost : public pages::PageHost {
 public:
  pages::WindowRef Handle() const override { return nullptr; }
  void ProcessMessages() override {}
  void StartTimer(int, unsigned) override {}
  void StopTimer(int) override {}
  bool QueryCancel() override { return false; }
};

// Seconds the page takes to copy `groups` archives made in `work`.
double CopySeconds(const fs::path& work, int groups) {
  const fs::path medium = work / "medium", dest = work / "dest";
  fs::remove_all(work);
  fs::create_directories(medium);
  HostPaths files;
  platform::FakeSystem system;
  platform::FakeRegistry registry;
  platform::ScriptedMessageBoxes boxes;
  setup::TSetup model(setup::SetupPlatform{&files, &system, &registry, &boxes});
  archive::TRAR rar;
  model.FDestDir = dest.wstring() + L"/";
  for (int i = 1; i <= groups; ++i) {
    rarwriter::Archive a;
    a.format = rarwriter::Format::Rar5;
    const std::string folder = "part" + std::to_string(i / 100) + "/group" + std::to_string(i) + "/";
    a.entries = {rarwriter::MakeFile(a.format, folder + "a.txt", "first " + std::to_string(i)),
                 rarwriter::MakeFile(a.format, folder + "b.dat", std::string(2000, static_cast<char>('a' + i % 26))),
                 rarwriter::MakeFile(a.format, folder + "readme.txt", "group " + std::to_string(i))};
    const fs::path archive = medium / ("G" + std::to_string(i) + ".RAR");
    rarwriter::WriteFile(a, archive.u8string());
    auto group = std::make_unique<setup::TSetupGroupFile>(model.FGroups.get(), &model);
    group->LoadFromLine(std::to_wstring(i) + L"=1|G" + std::to_wstring(i) + L".RAR|Группа|-");
    group->FArchiveFile = archive.wstring();
    group->FFileCount = 3;
    group->FSelected = true;
    model.FGroups->Add(std::move(group));
  }

  pages::TfmPrCopyFile page(model, rar);
  QuietHost host;
  rar.OnExtracting = [&](archive::TRAR& sender, RARHeaderData h) { page.RARExtracting(sender, h); };
  rar.OnExtract = [&](archive::TRAR& sender, RARHeaderData h, bool ok) { page.RARExtract(sender, h, ok); };
  page.FormCreate(L"Sketrion");
  page.AttachHost(&host);
  page.FormShow();
  // The medium just written goes to disk first: the page's own flushes would wait for it.
  ::sync();
  const auto start = std::chrono::steady_clock::now();
  page.FormActivate();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // Every group logged: its folder and three files.
  std::unique_ptr<platform::ReadableFile> log = files.OpenRead(dest.wstring() + L"/UnInstall.log");
  const uint64_t logBytes = log ? log->Size() : 0;
  if (page.NotCopiedCount() != 0 || !boxes.Asked().empty() ||
      model.Log().Items().size() < 4u * static_cast<size_t>(groups)) {
    std::printf("error=the copying failed or the log lacks groups\n");
    std::exit(1);
  }
  std::printf("log_bytes=%llu ", static_cast<unsigned long long>(logBytes));
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: copy_page_bench <work folder> <groups>...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int groups = std::atoi(argv[i]);
    const double seconds = CopySeconds(argv[1], groups);
    std::printf("groups=%d copy_seconds=%.2f ms_per_group=%.3f\n", groups, seconds, 1000 * seconds / groups);
    std::fflush(stdout);
  }
  std::filesystem::remove_all(argv[1]);
  return 0;
}
