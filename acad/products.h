#pragma once
// The AutoCAD-based products a customer has today: every AutoCAD from 2006 on, AutoCAD LT from
// 2004 on and the products built on AutoCAD (Electrical, Mechanical, Civil 3D...). Each has a
// product key "R<release>\ACAD-<id>:<lang>" ("ACADLT-"/"ACLT-" for LT) in the machine's own
// registry view (64-bit releases) or in the 32-bit one. The keys are enumerated, never built from
// a table, so a release after the newest one known here is found as it is.
#include <functional>
#include <string>

#include "acad/registry_accessor.h"
#include "acad/releases.h"

namespace acad {

using FileExistsFn = std::function<bool(const std::wstring& path)>;

// What a product key holds: its folder, when that folder holds the family's program ("" when
// not, as for a key left behind by a removed product).
std::wstring InstalledLocation(const RegistryAccessor& reg, const RegKey& productKey,
                               AcadFamily family, const FileExistsFn& fileExists);

// The installed products, each once: the one this user ran last first (AutoCAD's "CurVer" chain
// under HKEY_CURRENT_USER, else LT's), then AutoCAD products newest release first, then LT
// products likewise. The release keys the installer knows by name (releases.h) are left to their
// own rules. A product whose key holds a damaged value is left out and `error` gets the first
// such text; a product without "ProductName" is left out too, as the R16 generation's are.
TAutoCADReleaseList FindProducts(const RegistryAccessor& reg, const FileExistsFn& fileExists,
                                 std::wstring* error);

// Tells entries with one text apart: a product whose text an earlier entry has already gets its
// key's name added ("AutoCAD 2025 (ACAD-8101:409)"), and the 32-bit view's copy of a key its view.
void DistinguishTexts(TAutoCADReleaseList& list);

}  // namespace acad
