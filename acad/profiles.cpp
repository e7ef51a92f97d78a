// TAutoCAD: the profiles of the selected release, and a new profile as a copy of another.
#include <algorithm>
#include <utility>

#include "acad/autocad.h"
#include "util/codepage.h"
#include "util/strings.h"

namespace acad {

using platform::RegAccess;
using platform::RegRoot;
using platform::RegType;

namespace {

// AutoCAD's own name for its unnamed profile, in the order its releases used them.
const wchar_t* const kUnnamedProfiles[] = {L"<<Конфигурация без имени>>", L"<<Профиль без имени>>",
                                           L"<<Unnamed Profile>>"};

}  // namespace

std::wstring TrimProfileName(const std::wstring& name) {
  // Blanks and control characters alike (a pasted tab or line break).
  auto kept = [](wchar_t c) { return c > L' '; };
  auto first = std::find_if(name.begin(), name.end(), kept);
  auto last = std::find_if(name.rbegin(), name.rend(), kept).base();
  return first < last ? std::wstring(first, last) : std::wstring();
}

bool TAutoCAD::ReadProfiles() {
  FProfiles.clear();
  std::vector<std::wstring> names;
  {
    RegistryAccessor reg(registry_, RegAccess::Read);
    reg.SetRootKey(RegRoot::CurrentUser);
    if (!reg.OpenKey(FProfilesKey)) return false;
    names = reg.GetKeyNames();
  }
  // Built aside so that a registry error part way leaves an empty list, never a half-built one.
  TAutoCADProfileList profiles;
  for (const std::wstring& name : names) profiles.push_back({name, BuildProfile(name)});
  FProfiles = std::move(profiles);
  return true;
}

std::unique_ptr<TAutoCADProfile> TAutoCAD::BuildProfile(const std::wstring& name) {
  auto profile = std::make_unique<TAutoCADProfile>();
  profile->FOwner = this;
  profile->FName = name;
  profile->FKey = FProfilesKey + L"\\" + name + L"\\";

  RegistryAccessor reg(registry_, RegAccess::Full);
  reg.SetRootKey(RegRoot::CurrentUser);
  if (!reg.OpenKey(profile->FKey + L"General")) return profile;
  switch (FamilyOf(FAcadType)) {
    case AcadFamily::Full:
      profile->FAcadPath = reg.ReadString(L"ACAD");
      profile->FDriverPath = reg.ReadString(L"ACADDRV");
      profile->FHelpFile = reg.ReadString(L"ACADHELP");
      break;
    case AcadFamily::LT:
      profile->FAcadPath = reg.ReadString(L"SUPPORT");
      profile->FDriverPath = reg.ReadString(L"DRIVER");
      profile->FHelpFile = reg.ReadString(L"HELP");
      break;
    case AcadFamily::None:
      break;
  }
  profile->FAveMaps = reg.ReadString(L"AVEMAPS");
  profile->FObjectDBXSupportPath = reg.ReadString(L"ObjectDBXSupportPath");
  profile->FDataBaseWorkSpacePath = reg.ReadString(L"DataBaseWorkSpacePath");
  profile->FTemplatePath = util::AddBackslash(reg.ReadString(L"TemplatePath"));

  if (!reg.OpenKey(profile->FKey + L"Editor Configuration")) return profile;
  profile->FEmergencyFont = reg.ReadString(L"EmergencyFont");
  profile->FFontMappingFile = reg.ReadString(L"FontMappingFile");

  if (!reg.OpenKey(profile->FKey + L"General Configuration")) return profile;
  profile->FTempDirectory = util::AddBackslash(reg.ReadString(L"TempDirectory"));
  return profile;
}

const TAutoCADProfile* TAutoCAD::FindProfile(const std::wstring& name) const {
  for (const TAutoCADProfileEntry& entry : FProfiles)
    if (util::EqualsNoCase(entry.Name, name)) return entry.Profile.get();
  return nullptr;
}

bool TAutoCAD::IsValidProfileName(const std::wstring& name) {
  if (name.empty()) return false;
  // Judged on the Windows-1251 bytes AutoCAD stores; a character 1251 lacks becomes "?".
  for (unsigned char c : util::ToCp1251(name)) {
    if (c < 32) return false;
    switch (c) {
      case '!': case '"': case '$': case '%': case '&': case '\'': case '(': case ')':
      case '*': case '+': case ',': case '.': case '/': case ':': case ';': case '?':
      case '\\': case '^': case '`': case '~':
        return false;
      default:
        break;
    }
  }
  return true;
}

int TAutoCAD::CreateProfile(const std::wstring& newName, const std::wstring& templateName,
                            const std::wstring& description) {
  if (FAcadType == geNone) return crCreated;
  if (FindProfile(newName)) return crExists;
  // A backslash would address a key below another profile, not a profile of that name.
  if (TrimProfileName(newName).empty() || newName.find(L'\\') != std::wstring::npos) return crFailed;

  std::wstring source = templateName;
  if (TrimProfileName(source).empty()) {
    source = kUnnamedProfiles[2];
    for (const wchar_t* unnamed : {kUnnamedProfiles[0], kUnnamedProfiles[1]}) {
      if (FindProfile(unnamed)) {
        source = unnamed;
        break;
      }
    }
  }
  if (!FindProfile(source)) return crNoTemplate;

  RegistryAccessor reg(registry_, RegAccess::Full);
  reg.SetRootKey(RegRoot::CurrentUser);
  try {
    const std::wstring dest = FProfilesKey + L"\\" + newName;
    CopyRegistryKey(reg, FProfilesKey + L"\\" + source, dest);
    if (reg.OpenKey(dest)) reg.WriteString(L"", description);
    Refresh();
  } catch (const std::exception&) {
    // What was copied stays; AutoCAD's own tools are the way to mend it.
    return crFailed;
  }
  return crCreated;
}

void TAutoCAD::CopyRegistryKey(RegistryAccessor& reg, const std::wstring& source,
                               const std::wstring& dest) {
  reg.CreateKey(dest);
  // A source that vanished must not be mistaken for the key that happens to be current.
  if (!reg.OpenKey(source)) throw RegistryError(L"Failed to open key " + source);
  for (const std::wstring& name : reg.GetValueNames()) {
    reg.OpenKey(source);
    // Only strings and 32-bit numbers are carried over; an expandable string becomes plain.
    switch (reg.GetDataType(name)) {
      case RegType::String:
      case RegType::ExpandString: {
        std::wstring text = reg.ReadString(name);
        if (!reg.OpenKey(dest)) throw RegistryError(L"Failed to set data for '" + name + L"'");
        reg.WriteString(name, text);
        break;
      }
      case RegType::Dword: {
        int32_t number = reg.ReadInteger(name);
        if (!reg.OpenKey(dest)) throw RegistryError(L"Failed to set data for '" + name + L"'");
        reg.WriteInteger(name, number);
        break;
      }
      default:
        break;
    }
  }
  reg.OpenKey(source);
  for (const std::wstring& name : reg.GetKeyNames())
    CopyRegistryKey(reg, source + L"\\" + name, dest + L"\\" + name);
}

}  // namespace acad
