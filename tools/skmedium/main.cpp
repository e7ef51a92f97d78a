// skmedium check DIR: everything a vendor wants to know about an installation medium before it
// is burnt, one line per finding (UTF-8), exit code 0 when there is none, 1 when there are
// findings, 2 when the folder cannot be checked.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/skmedium/medium_check.h"
#include "util/text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/win32/system_dlls.h"
#endif

namespace {

int Usage() {
  std::fprintf(stderr, "usage: skmedium check DIR\n");
  return 2;
}

int Check(const std::filesystem::path& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    std::fprintf(stderr, "skmedium: %s is not a folder\n", util::ToUtf8(folder.wstring()).c_str());
    return 2;
  }
  const skmedium::Findings findings = skmedium::CheckMedium(folder);
  for (const skmedium::Finding& finding : findings)
    std::printf("%s: %s\n", util::ToUtf8(finding.where).c_str(), util::ToUtf8(finding.what).c_str());
  return findings.empty() ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // It is run in the folder of a medium not yet trusted: no DLL from there.
  platform::RestrictDllSearch();
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc != 3 || std::wstring(argv[1]) != L"check") return Usage();
  return Check(argv[2]);
}
#else
int main(int argc, char** argv) {
  if (argc != 3 || std::string(argv[1]) != "check") return Usage();
  return Check(std::filesystem::u8path(argv[2]));
}
#endif
