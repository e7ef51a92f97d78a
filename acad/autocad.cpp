// TAutoCAD: detection of the installed releases and opening of the selected one.
#include "acad/autocad.h"

#include <utility>

#include "util/codepage.h"
#include "util/strings.h"

namespace acad {

using platform::RegAccess;

namespace {

const wchar_t kNotDefined[] = L"AutoCAD не определён.";
const wchar_t kUnavailable[] = L"AutoCAD недоступен! Отсутствуют записи в реестре!";
const wchar_t kNoProfiles[] =
    L"Отсутствуют записи AutoCAD в реестре!\r\nЗапустите и закройте AutoCAD, после чего продолжите работу.";

// "CurVer" of a release's base key; empty when the key does not open.
std::wstring CurrentVersion(const RegistryAccessor& reg, const RegKey& base) {
  return reg.KeyOpens(base) ? reg.ReadString(base, L"CurVer") : L"";
}

}  // namespace

TAutoCAD::TAutoCAD(platform::Registry& registry, FileExistsFn fileExists)
    : registry_(registry), fileExists_(std::move(fileExists)) {
  DetectReleases();
}

void TAutoCAD::DetectReleases() {
  const RegistryAccessor reg(registry_, RegAccess::Read);
  FReleases = FindProducts(reg, fileExists_, &FDetectError);
  // The installer must start even over a damaged AutoCAD entry: keep what was found.
  try {
    for (TAutoCADTypes type :
         {geACAD2000, geACLT2002, geACAD2004, geACLT2004, geACAD2005, geACLT2005}) {
      const ReleaseKeys& keys = KeysOf(type);
      const std::wstring base = keys.baseKey;
      if (!reg.KeyOpens(MachineKey(base))) continue;
      // R15.0 and LT R8 keep their current version in the machine key, so they are listed for every
      // user; the R16 generation keeps it in the user's key, written once this user started it.
      const std::wstring curVer =
          CurrentVersion(reg, keys.curVerFromUser ? UserKey(base) : MachineKey(base));
      const RegKey version = MachineKey(base + L"\\" + curVer);
      if (curVer.empty() || !reg.KeyOpens(version)) continue;
      std::wstring productName = reg.ReadString(version, L"ProductName");
      // Only the older two are listed without a name.
      if (!productName.empty() || !keys.curVerFromUser) FReleases.push_back({productName, type});
    }
  } catch (const RegistryError& e) {
    if (FDetectError.empty()) FDetectError = e.Text();
  }
  DistinguishTexts(FReleases);
}

void TAutoCAD::SetAcadType(TAutoCADTypes type) {
  FAcadType = type;
  Refresh();
}

void TAutoCAD::SelectRelease(const std::wstring& productName) {
  for (const TAutoCADRelease& release : FReleases) {
    if (util::EqualsNoCase(release.ProductName, productName)) return SelectEntry(release);
  }
  SetAcadType(geNone);
}

void TAutoCAD::SelectEntry(const TAutoCADRelease& entry) {
  FProduct = entry.Type == geProduct ? entry : TAutoCADRelease{};
  SetAcadType(entry.Type);
}

AcadFamily TAutoCAD::Family() const {
  return FAcadType == geProduct ? FProduct.Family : FamilyOf(FAcadType);
}

void TAutoCAD::Refresh() {
  FPresenceAcad = false;
  if (FAcadType == geProduct) return RefreshProduct();
  const ReleaseKeys& keys = KeysOf(FAcadType);
  if (!keys.baseKey) {
    FLastError = kNotDefined;
    return;
  }
  const std::wstring base = keys.baseKey;
  const RegistryAccessor reg(registry_, RegAccess::Read);
  if (!reg.KeyOpens(MachineKey(base))) {
    FLastError = kUnavailable;
    return;
  }
  const std::wstring curVer =
      CurrentVersion(reg, keys.curVerFromUser ? UserKey(base) : MachineKey(base));

  FVersionKey = base + L"\\" + curVer;
  FProfilesKey = base + L"\\" + curVer + L"\\Profiles";
  // Without a current version there is no version key to open.
  const RegKey version = MachineKey(FVersionKey);
  if (curVer.empty() || !reg.KeyOpens(version)) {
    FLastError = kUnavailable;
    return;
  }

  FLocation = util::AddBackslash(reg.ReadString(version, LocationValueName(keys.family)));
  // A folder without the program is no usable AutoCAD; the old profile list stays.
  if (!fileExists_(FLocation + ProgramFileName(keys.family))) return;

  if (!ReadProfiles()) {
    FLastError = kNoProfiles;
    return;
  }
  FPresenceAcad = true;
}

void TAutoCAD::RefreshProduct() {
  if (FProduct.ProductKey.path.empty()) {
    FLastError = kNotDefined;
    return;
  }
  // Each product has its own profile store, whatever product "CurVer" names.
  FVersionKey = FProduct.ProductKey.path;
  FProfilesKey = FVersionKey + L"\\Profiles";
  const RegistryAccessor reg(registry_, RegAccess::Read);
  if (!reg.KeyOpens(FProduct.ProductKey)) {
    FLastError = kUnavailable;
    return;
  }
  const std::wstring location =
      InstalledLocation(reg, FProduct.ProductKey, FProduct.Family, fileExists_);
  // A product removed since detection: the old profile list stays, as for the named releases.
  if (location.empty()) return;
  FLocation = location;
  if (!ReadProfiles()) {
    FLastError = kNoProfiles;
    return;
  }
  FPresenceAcad = true;
}

}  // namespace acad
