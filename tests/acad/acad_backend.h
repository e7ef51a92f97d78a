#pragma once
// Where the AutoCAD tests run: the in-memory registry and files (every build), or the real
// registry and file system (the Windows build, under Wine). Both start with no Autodesk keys.
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace acadtest {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual platform::Registry& Registry() = 0;
  virtual void MakeFile(const std::wstring& path) = 0;
  virtual bool FileExists(const std::wstring& path) = 0;
  // A folder under which the tests lay out AutoCAD folders ("C:\...\", with a backslash).
  virtual std::wstring ProgramRoot() = 0;
};

// "fake" or "real"; the real one exists only in the Windows build.
std::unique_ptr<Backend> MakeBackend(const std::string& kind);
std::vector<std::string> BackendKinds();

}  // namespace acadtest
