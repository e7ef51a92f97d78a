#include "acad/releases.h"

namespace acad {

const ReleaseKeys& KeysOf(TAutoCADTypes type) {
  static const ReleaseKeys kKeys[] = {
      {nullptr, AcadFamily::None, false},                               // geNone
      {L"\\Software\\Autodesk\\AutoCAD\\R15.0", AcadFamily::Full, false},  // geACAD2000
      {L"\\Software\\Autodesk\\AutoCAD\\R15.0", AcadFamily::Full, false},  // geACAD2000i
      {nullptr, AcadFamily::LT, false},                                 // geACLT2000
      {nullptr, AcadFamily::LT, false},                                 // geACLT2000i
      {L"\\Software\\Autodesk\\AutoCAD LT\\R8", AcadFamily::LT, false},    // geACLT2002
      {L"\\Software\\Autodesk\\AutoCAD\\R16.0", AcadFamily::Full, true},   // geACAD2004
      {L"\\Software\\Autodesk\\AutoCAD LT\\R9", AcadFamily::LT, true},     // geACLT2004
      {L"\\Software\\Autodesk\\AutoCAD\\R16.1", AcadFamily::Full, true},   // geACAD2005
      {L"\\Software\\Autodesk\\AutoCAD LT\\R10", AcadFamily::LT, true},    // geACLT2005
  };
  return type <= geACLT2005 ? kKeys[type] : kKeys[geNone];
}

const wchar_t* LocationValueName(AcadFamily family) {
  return family == AcadFamily::LT ? L"Location" : L"AcadLocation";
}

const wchar_t* ProgramFileName(AcadFamily family) {
  return family == AcadFamily::LT ? L"ACLT.EXE" : L"ACAD.EXE";
}

std::wstring ReleasesText(const TAutoCADReleaseList& list) {
  std::wstring text;
  for (const TAutoCADRelease& r : list) text += r.ProductName + L"\r\n";
  return text;
}

}  // namespace acad
