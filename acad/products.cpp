// The AutoCAD-based products found by enumerating their keys in both registry views.
#include "acad/products.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "util/codepage.h"
#include "util/strings.h"

namespace acad {

using platform::RegRoot;

namespace {

struct ProductFamily {
  AcadFamily family;
  const wchar_t* root;                                  // under both registry views and HKCU
  std::initializer_list<const wchar_t*> keyPrefixes;    // of the product keys
  std::initializer_list<const wchar_t*> knownReleases;  // left to releases.h
};

const ProductFamily kAutoCAD{
    AcadFamily::Full, L"\\Software\\Autodesk\\AutoCAD", {L"ACAD-"}, {L"R15.0", L"R16.0", L"R16.1"}};
// LT 2004-2006 named their keys "ACLT-", the later ones "ACADLT-".
const ProductFamily kLT{AcadFamily::LT,
                        L"\\Software\\Autodesk\\AutoCAD LT",
                        {L"ACADLT-", L"ACLT-"},
                        {L"R8", L"R9", L"R10"}};

// "R25.0" -> {25, 0}, "R30" -> {30, 0}; false for any other name.
bool ReleaseNumber(const std::wstring& name, std::pair<int, int>* number) {
  if (name.size() < 2 || name[0] != L'R') return false;
  int parts[2] = {0, 0};
  int part = 0;
  size_t digits = 0;
  for (size_t i = 1; i < name.size(); ++i) {
    const wchar_t c = name[i];
    if (c >= L'0' && c <= L'9' && digits < 4) {
      parts[part] = parts[part] * 10 + (c - L'0');
      ++digits;
    } else if (c == L'.' && part == 0 && digits > 0) {
      part = 1;
      digits = 0;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  *number = {parts[0], parts[1]};
  return true;
}

bool IsProductKey(const ProductFamily& family, const std::wstring& name) {
  for (const wchar_t* prefix : family.keyPrefixes) {
    const std::wstring head = prefix;
    if (name.size() > head.size() && util::EqualsNoCase(name.substr(0, head.size()), head) &&
        name.find(L':') != std::wstring::npos)
      return true;
  }
  return false;
}

bool IsKnownRelease(const ProductFamily& family, const std::wstring& name) {
  for (const wchar_t* known : family.knownReleases)
    if (util::EqualsNoCase(name, known)) return true;
  return false;
}

struct Found {
  TAutoCADRelease entry;
  std::pair<int, int> release;
};

// The family's products in one view, with their release numbers.
void FindInView(const RegistryAccessor& reg, const FileExistsFn& fileExists,
                const ProductFamily& family, RegRoot view, std::vector<Found>* found,
                std::wstring* error) {
  const RegKey root{view, family.root};
  for (const std::wstring& releaseName : reg.GetKeyNames(root)) {
    std::pair<int, int> number;
    if (!ReleaseNumber(releaseName, &number) || IsKnownRelease(family, releaseName)) continue;
    const RegKey release = Subkey(root, releaseName);
    for (const std::wstring& productName : reg.GetKeyNames(release)) {
      if (!IsProductKey(family, productName)) continue;
      const RegKey key = Subkey(release, productName);
      try {
        TAutoCADRelease entry;
        entry.Type = geProduct;
        entry.ProductKey = key;
        entry.Family = family.family;
        entry.ProductName = reg.ReadString(key, L"ProductName");
        entry.Location = InstalledLocation(reg, key, family.family, fileExists);
        if (entry.ProductName.empty() || entry.Location.empty()) continue;
        // On 32-bit Windows both views are one: the same key with the same folder is one product.
        const bool seen = std::any_of(found->begin(), found->end(), [&](const Found& f) {
          return util::EqualsNoCase(f.entry.ProductKey.path, key.path) &&
                 util::EqualsNoCase(f.entry.Location, entry.Location);
        });
        if (!seen) found->push_back({std::move(entry), number});
      } catch (const RegistryError& e) {
        if (error->empty()) *error = e.Text() + L" (" + key.path + L")";
      }
    }
  }
}

// The product key the user's "CurVer" chain names ("\...\AutoCAD\R25.0\ACAD-8101:419"); empty
// when the chain is broken.
std::wstring LastUsed(const RegistryAccessor& reg, const ProductFamily& family,
                      std::wstring* error) {
  RegKey key = UserKey(family.root);
  try {
    for (int step = 0; step < 2; ++step) {
      if (!reg.KeyOpens(key)) return L"";
      const std::wstring curVer = reg.ReadString(key, L"CurVer");
      if (curVer.empty()) return L"";
      key = Subkey(key, curVer);
    }
  } catch (const RegistryError& e) {
    if (error->empty()) *error = e.Text() + L" (" + key.path + L")";
    return L"";
  }
  return key.path;
}

}  // namespace

std::wstring InstalledLocation(const RegistryAccessor& reg, const RegKey& productKey,
                               AcadFamily family, const FileExistsFn& fileExists) {
  const bool lt = family == AcadFamily::LT;
  const std::vector<const wchar_t*> values =
      lt ? std::vector<const wchar_t*>{L"AcadLocation", L"Location"}
         : std::vector<const wchar_t*>{L"AcadLocation"};
  const std::vector<const wchar_t*> programs =
      lt ? std::vector<const wchar_t*>{L"acadlt.exe", L"aclt.exe"}
         : std::vector<const wchar_t*>{L"acad.exe"};
  for (const wchar_t* value : values) {
    const std::wstring folder = reg.ReadString(productKey, value);
    if (folder.empty()) continue;
    const std::wstring location = util::AddBackslash(folder);
    for (const wchar_t* program : programs)
      if (fileExists(location + program)) return location;
  }
  return L"";
}

TAutoCADReleaseList FindProducts(const RegistryAccessor& reg, const FileExistsFn& fileExists,
                                 std::wstring* error) {
  TAutoCADReleaseList list;
  for (const ProductFamily* family : {&kAutoCAD, &kLT}) {
    std::vector<Found> found;
    // Every release from 2020 on is 64-bit only; the 32-bit view holds the older 32-bit ones.
    for (RegRoot view : {RegRoot::LocalMachineNative, RegRoot::LocalMachine})
      FindInView(reg, fileExists, *family, view, &found, error);
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.release > b.release; });
    for (Found& f : found) list.push_back(std::move(f.entry));
  }

  for (const ProductFamily* family : {&kAutoCAD, &kLT}) {
    const std::wstring last = LastUsed(reg, *family, error);
    auto used = std::find_if(list.begin(), list.end(), [&](const TAutoCADRelease& r) {
      return !last.empty() && util::EqualsNoCase(r.ProductKey.path, last);
    });
    if (used == list.end()) continue;
    std::rotate(list.begin(), used, used + 1);
    break;
  }
  return list;
}

void DistinguishTexts(TAutoCADReleaseList& list) {
  auto taken = [&](size_t upTo, const std::wstring& text) {
    for (size_t i = 0; i < upTo; ++i)
      if (util::EqualsNoCase(list[i].ProductName, text)) return true;
    return false;
  };
  for (size_t i = 0; i < list.size(); ++i) {
    TAutoCADRelease& entry = list[i];
    if (entry.Type != geProduct || !taken(i, entry.ProductName)) continue;
    const std::wstring& path = entry.ProductKey.path;
    const std::wstring keyName = path.substr(path.rfind(L'\\') + 1);
    std::wstring text = entry.ProductName + L" (" + keyName + L")";
    // The same key in both views: two installations, the 32-bit one listed second.
    if (taken(i, text) && entry.ProductKey.root == platform::RegRoot::LocalMachine)
      text = entry.ProductName + L" (" + keyName + L", 32-разрядная версия)";
    entry.ProductName = text;
  }
}

}  // namespace acad
