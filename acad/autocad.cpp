// TAutoCAD: detection of the installed releases and opening of the selected one.
#include "acad/autocad.h"

#include <utility>

#include "util/codepage.h"
#include "util/strings.h"

namespace acad {

using platform::RegAccess;
using platform::RegRoot;

namespace {

const wchar_t kNotDefined[] = L"AutoCAD не определён.";
const wchar_t kUnavailable[] = L"AutoCAD недоступен! Отсутствуют записи в реестре!";
const wchar_t kNoProfiles[] =
    L"Отсутствуют записи AutoCAD в реестре!\r\nЗапустите и закройте AutoCAD, после чего продолжите работу.";

}  // namespace

TAutoCAD::TAutoCAD(platform::Registry& registry, FileExistsFn fileExists)
    : registry_(registry), fileExists_(std::move(fileExists)) {
  // The installer must start even over a damaged AutoCAD entry: keep what was found.
  try {
    DetectReleases();
  } catch (const RegistryError& e) {
    FDetectError = e.Text();
  }
}

void TAutoCAD::DetectReleases() {
  FReleases.clear();
  RegistryAccessor reg(registry_, RegAccess::Read);
  reg.SetRootKey(RegRoot::LocalMachine);

  // R15.0 and LT R8 keep their current version in the machine key: listed for every user.
  for (TAutoCADTypes type : {geACAD2000, geACLT2002}) {
    const std::wstring base = KeysOf(type).baseKey;
    if (!reg.OpenKey(base)) continue;
    std::wstring curVer = reg.ReadString(L"CurVer");
    if (curVer.empty() || !reg.OpenKey(base + L"\\" + curVer)) continue;
    FReleases.push_back({reg.ReadString(L"ProductName"), type});
  }

  // The R16 generation keeps it in the user's key, written once this user has started it.
  for (TAutoCADTypes type : {geACAD2004, geACLT2004, geACAD2005, geACLT2005}) {
    const std::wstring base = KeysOf(type).baseKey;
    reg.SetRootKey(RegRoot::LocalMachine);
    if (!reg.OpenKey(base)) continue;
    reg.SetRootKey(RegRoot::CurrentUser);
    std::wstring curVer = reg.OpenKey(base) ? reg.ReadString(L"CurVer") : L"";
    reg.SetRootKey(RegRoot::LocalMachine);
    if (curVer.empty() || !reg.OpenKey(base + L"\\" + curVer)) continue;
    std::wstring productName = reg.ReadString(L"ProductName");
    if (!productName.empty()) FReleases.push_back({productName, type});
  }
}

void TAutoCAD::SetAcadType(TAutoCADTypes type) {
  FAcadType = type;
  Refresh();
}

void TAutoCAD::SelectRelease(const std::wstring& productName) {
  TAutoCADTypes type = geNone;
  for (const TAutoCADRelease& release : FReleases) {
    if (util::EqualsNoCase(release.ProductName, productName)) {
      type = release.Type;
      break;
    }
  }
  SetAcadType(type);
}

void TAutoCAD::Refresh() {
  FPresenceAcad = false;
  const ReleaseKeys& keys = KeysOf(FAcadType);
  if (!keys.baseKey) {
    FLastError = kNotDefined;
    return;
  }
  const std::wstring base = keys.baseKey;
  RegistryAccessor reg(registry_, RegAccess::Read);
  reg.SetRootKey(RegRoot::LocalMachine);
  if (!reg.OpenKey(base)) {
    FLastError = kUnavailable;
    return;
  }

  std::wstring curVer;
  if (!keys.curVerFromUser) {
    curVer = reg.ReadString(L"CurVer");
  } else {
    reg.SetRootKey(RegRoot::CurrentUser);
    if (reg.OpenKey(base)) curVer = reg.ReadString(L"CurVer");
    reg.SetRootKey(RegRoot::LocalMachine);
  }

  FVersionKey = base + L"\\" + curVer;
  FProfilesKey = base + L"\\" + curVer + L"\\Profiles";
  // Without a current version there is no version key to open.
  if (curVer.empty() || !reg.OpenKey(FVersionKey)) {
    FLastError = kUnavailable;
    return;
  }

  FLocation = util::AddBackslash(reg.ReadString(LocationValueName(keys.family)));
  // A folder without the program is no usable AutoCAD; the old profile list stays.
  if (!fileExists_(FLocation + ProgramFileName(keys.family))) return;

  if (!ReadProfiles()) {
    FLastError = kNoProfiles;
    return;
  }
  FPresenceAcad = true;
}

}  // namespace acad
