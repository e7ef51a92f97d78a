#pragma once
// TAutoCAD: the supported AutoCAD releases installed on this machine, and the profiles of the
// selected one. Works from the registry alone plus one file-existence test; AutoCAD itself is
// never started.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acad/products.h"
#include "acad/registry_accessor.h"
#include "acad/releases.h"
#include "platform/registry.h"

namespace acad {

// One profile of the selected release. Only its name is kept: nothing else of a profile is used
// here, and each value read would be one more way for a damaged profile to hide all the others.
struct TAutoCADProfile {
  std::wstring FName;
};

// One entry of the profile list: the name as the registry enumerates it, owning its record.
struct TAutoCADProfileEntry {
  std::wstring Name;
  std::unique_ptr<TAutoCADProfile> Profile;
};
using TAutoCADProfileList = std::vector<TAutoCADProfileEntry>;

// Results of CreateProfile.
enum CreateProfileResult : int {
  crCreated = 0,     // also when no release is selected (nothing done)
  crExists = 1,      // a profile of that name exists
  crFailed = 2,      // blank name, or the registry failed while copying
  crNoTemplate = 3,  // the template profile does not exist
};

// A profile name without its leading and trailing blanks and control characters.
std::wstring TrimProfileName(const std::wstring& name);

class TAutoCAD {
 public:
  // Detects the installed releases. A registry error while detecting (a value of the wrong
  // type where a string is read) ends detection of the named releases there and leaves out the
  // product it belongs to: what was found stays, and the first such text is kept in DetectError
  // for the background window to show.
  TAutoCAD(platform::Registry& registry, FileExistsFn fileExists);
  TAutoCAD(const TAutoCAD&) = delete;
  TAutoCAD& operator=(const TAutoCAD&) = delete;

  TAutoCADTypes AcadType() const { return FAcadType; }
  // Always re-reads the registry (Refresh), also when the type does not change.
  void SetAcadType(TAutoCADTypes type);

  const std::wstring& Location() const { return FLocation; }
  bool PresenceAcad() const { return FPresenceAcad; }
  const std::wstring& LastError() const { return FLastError; }
  const std::wstring& VersionKey() const { return FVersionKey; }
  const std::wstring& ProfilesKey() const { return FProfilesKey; }
  const std::wstring& DetectError() const { return FDetectError; }

  // Replaces the caller's list by a copy of the detected releases.
  void GetReleases(TAutoCADReleaseList& list) const { list = FReleases; }
  // Selects the first release whose product name matches, ignoring case; geNone when none.
  void SelectRelease(const std::wstring& productName);
  // Selects one entry of the list GetReleases gave, known by its release or product key, not by
  // its text.
  void SelectEntry(const TAutoCADRelease& entry);
  // The family of the selected release or product: which profile rules apply.
  AcadFamily Family() const;
  // Opens the selected release and re-reads its profile list. Failures are reported through
  // PresenceAcad and LastError; a registry value of the wrong type throws RegistryError.
  void Refresh();

  const TAutoCADProfileList& GetProfiles() const { return FProfiles; }
  // The record of the first profile whose name matches, ignoring case; nullptr when none.
  const TAutoCADProfile* FindProfile(const std::wstring& name) const;
  static bool IsValidProfileName(const std::wstring& name);
  // Creates NewName as a copy of TemplateName (or of AutoCAD's unnamed profile when the template
  // is blank) with Description as its default value; see CreateProfileResult.
  int CreateProfile(const std::wstring& newName, const std::wstring& templateName,
                    const std::wstring& description);

 private:
  void DetectReleases();
  // Refresh's part for a product found by its key: opens that key in its view.
  void RefreshProduct();
  // Fills FProfiles from the release's profile store; false when the store does not open.
  bool ReadProfiles();
  static void CopyRegistryKey(const RegistryAccessor& reg, const RegKey& source,
                              const RegKey& dest);

  platform::Registry& registry_;
  FileExistsFn fileExists_;

  TAutoCADTypes FAcadType = geNone;
  TAutoCADRelease FProduct;  // the product selected, for geProduct
  std::wstring FLocation;
  TAutoCADReleaseList FReleases;
  TAutoCADProfileList FProfiles;
  bool FPresenceAcad = false;
  std::wstring FVersionKey;
  std::wstring FProfilesKey;
  std::wstring FLastError;
  std::wstring FDetectError;
};

}  // namespace acad
