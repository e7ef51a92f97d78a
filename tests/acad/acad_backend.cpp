#include "tests/acad/acad_backend.h"

#include <stdexcept>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/file_system.h"
#include "tests/acad/acad_fixture.h"

#ifdef _WIN32
#include "platform/win32/registry_win.h"
#endif

namespace acadtest {

namespace {

class FakeBackend : public Backend {
 public:
  platform::Registry& Registry() override { return registry_; }
  void MakeFile(const std::wstring& path) override { MakeFileOn(files_, path); }
  bool FileExists(const std::wstring& path) override {
    return files_.Kind(path) == platform::PathKind::File;
  }
  std::wstring ProgramRoot() override { return L"C:\\Program Files\\"; }

 private:
  platform::FakeRegistry registry_;
  platform::FakeFileSystem files_;
};

#ifdef _WIN32
class RealBackend : public Backend {
 public:
  RealBackend() { ClearAutodesk(registry_); }
  ~RealBackend() override {
    try {
      ClearAutodesk(registry_);
    } catch (...) {
    }
  }
  platform::Registry& Registry() override { return registry_; }
  void MakeFile(const std::wstring& path) override { MakeFileOn(platform::RealFileSystem(), path); }
  bool FileExists(const std::wstring& path) override {
    return platform::RealFileSystem().Kind(path) == platform::PathKind::File;
  }
  std::wstring ProgramRoot() override { return L"C:\\AcadTest\\"; }

 private:
  platform::Win32Registry registry_;
};
#endif

}  // namespace

std::unique_ptr<Backend> MakeBackend(const std::string& kind) {
#ifdef _WIN32
  if (kind == "real") return std::make_unique<RealBackend>();
#endif
  if (kind == "fake") return std::make_unique<FakeBackend>();
  throw std::invalid_argument("no such backend: " + kind);
}

std::vector<std::string> BackendKinds() {
#ifdef _WIN32
  return {"fake", "real"};
#else
  return {"fake"};
#endif
}

}  // namespace acadtest
