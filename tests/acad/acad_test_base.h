#pragma once
// A test over one backend (fake or real registry) with helpers to lay out releases.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "acad/autocad.h"
#include "tests/acad/acad_backend.h"
#include "tests/acad/acad_fixture.h"

namespace acadtest {

class AcadTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { backend_ = MakeBackend(GetParam()); }

  platform::Registry& Reg() { return backend_->Registry(); }

  ReleaseLayout Release(acad::TAutoCADTypes type, const std::wstring& productName,
                        const std::wstring& folder) {
    ReleaseLayout r;
    r.type = type;
    r.productName = productName;
    r.location = backend_->ProgramRoot() + folder;
    return r;
  }
  void LayOut(const ReleaseLayout& release) {
    LayOutRelease(Reg(), [this](const std::wstring& p) { backend_->MakeFile(p); }, release);
  }
  std::unique_ptr<acad::TAutoCAD> Detect() {
    return std::make_unique<acad::TAutoCAD>(
        Reg(), [this](const std::wstring& p) { return backend_->FileExists(p); });
  }
  std::wstring ProgramRoot() { return backend_->ProgramRoot(); }

  std::unique_ptr<Backend> backend_;
};

inline std::vector<std::wstring> ProfileNames(const acad::TAutoCAD& acad) {
  std::vector<std::wstring> names;
  for (const auto& entry : acad.GetProfiles()) names.push_back(entry.Name);
  return names;
}

inline std::string BackendName(const ::testing::TestParamInfo<std::string>& info) {
  return info.param;
}

}  // namespace acadtest
