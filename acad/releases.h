#pragma once
// The AutoCAD releases the installer knows, and what each one keeps where in the registry.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "acad/registry_accessor.h"

namespace acad {

// Stored in one byte; the numbers are what the page and FAcadList carry as tags.
enum TAutoCADTypes : uint8_t {
  geNone = 0,
  geACAD2000 = 1,
  geACAD2000i = 2,
  geACLT2000 = 3,
  geACLT2000i = 4,
  geACLT2002 = 5,
  geACAD2004 = 6,
  geACLT2004 = 7,
  geACAD2005 = 8,
  geACLT2005 = 9,
  // A product found by enumerating the product keys (every release from 2006 on, LT 2006 on and
  // the verticals): its entry carries its key and family.
  geProduct = 10,
};

// Full AutoCAD and AutoCAD LT keep the folder and profile values under different names.
enum class AcadFamily { None, Full, LT };

struct ReleaseKeys {
  const wchar_t* baseKey;   // same path under both roots; nullptr: cannot be opened
  AcadFamily family;
  bool curVerFromUser;      // "CurVer" read from the user's base key (R16 generation)
};

const ReleaseKeys& KeysOf(TAutoCADTypes type);
inline AcadFamily FamilyOf(TAutoCADTypes type) { return KeysOf(type).family; }

// "AcadLocation"/"ACAD.EXE" for the full family, "Location"/"ACLT.EXE" for LT.
const wchar_t* LocationValueName(AcadFamily family);
const wchar_t* ProgramFileName(AcadFamily family);

// One detected release: the text the lists show (the product name AutoCAD stored) and the
// release it belongs to. A product found by its key (geProduct) is known by that key and its
// registry view, not by its text.
struct TAutoCADRelease {
  TAutoCADRelease() = default;
  TAutoCADRelease(std::wstring productName, TAutoCADTypes type)
      : ProductName(std::move(productName)), Type(type) {}

  std::wstring ProductName;
  TAutoCADTypes Type = geNone;
  RegKey ProductKey{platform::RegRoot::LocalMachine, L""};  // geProduct only
  AcadFamily Family = AcadFamily::None;                     // geProduct only
  std::wstring Location;  // geProduct only: the folder holding its program, with a backslash
};
inline bool operator==(const TAutoCADRelease& a, const TAutoCADRelease& b) {
  return a.ProductName == b.ProductName && a.Type == b.Type &&
         a.ProductKey.root == b.ProductKey.root && a.ProductKey.path == b.ProductKey.path &&
         a.Family == b.Family && a.Location == b.Location;
}
inline AcadFamily FamilyOf(const TAutoCADRelease& release) {
  return release.Type == geProduct ? release.Family : FamilyOf(release.Type);
}
using TAutoCADReleaseList = std::vector<TAutoCADRelease>;

// The product names, each followed by CR LF, as the welcome page shows them.
std::wstring ReleasesText(const TAutoCADReleaseList& list);

}  // namespace acad
