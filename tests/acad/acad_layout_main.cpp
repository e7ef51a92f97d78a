// acad_layout: lays out AutoCAD releases in the registry and on drive C: of a Wine prefix, from
// outside Setup.exe, for the end-to-end scenarios. Being a 32-bit program it writes the same
// registry view Setup.exe reads.
//   acad_layout two-releases   AutoCAD 2004 (profiles "<<Unnamed Profile>>", "Рабочий") and
//                              AutoCAD 2000 (profile "<<Конфигурация без имени>>")
//   acad_layout none           no AutoCAD at all
#include <cstdio>
#include <cstring>
#include <exception>

#include "platform/file_system.h"
#include "platform/win32/registry_win.h"
#include "tests/acad/acad_fixture.h"

namespace {

void MakeProgramFile(const std::wstring& path) { acadtest::MakeFileOn(platform::RealFileSystem(), path); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || (std::strcmp(argv[1], "two-releases") != 0 && std::strcmp(argv[1], "none") != 0)) {
    std::fprintf(stderr, "usage: acad_layout two-releases|none\n");
    return 2;
  }
  try {
    platform::Win32Registry registry;
    acadtest::ClearAutodesk(registry);
    if (std::strcmp(argv[1], "two-releases") == 0) {
      acadtest::ReleaseLayout r16;
      r16.type = acad::geACAD2004;
      r16.curVer = L"ACAD-201:419";
      r16.productName = L"AutoCAD 2004";
      r16.location = L"C:\\Program Files\\AutoCAD 2004";
      r16.profiles = {L"<<Unnamed Profile>>", L"Рабочий"};
      acadtest::LayOutRelease(registry, MakeProgramFile, r16);

      acadtest::ReleaseLayout r15;
      r15.type = acad::geACAD2000;
      r15.curVer = L"ACAD-1:419";
      r15.productName = L"AutoCAD 2000";
      r15.location = L"C:\\Program Files\\ACAD2000\\";
      r15.profiles = {L"<<Конфигурация без имени>>"};
      acadtest::LayOutRelease(registry, MakeProgramFile, r15);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "acad_layout: %s\n", e.what());
    return 1;
  }
  return 0;
}
