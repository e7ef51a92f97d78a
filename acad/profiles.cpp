// TAutoCAD: the profiles of the selected release, and a new profile as a copy of another.
#include <algorithm>
#include <utility>

#include "acad/autocad.h"
#include "util/codepage.h"
#include "util/strings.h"

namespace acad {

using platform::RegAccess;
using platform::RegType;

namespace {

// AutoCAD's own name for its unnamed profile, in the order its releases used them.
const wchar_t* const kUnnamedProfiles[] = {L"<<Конфигурация без имени>>", L"<<Профиль без имени>>",
                                           L"<<Unnamed Profile>>"};

}  // namespace

// Blanks and control characters alike (a pasted tab or line break).
std::wstring TrimProfileName(const std::wstring& name) { return util::Trim(name); }

bool TAutoCAD::ReadProfiles() {
  FProfiles.clear();
  const RegistryAccessor reg(registry_, RegAccess::Read);
  const RegKey store = UserKey(FProfilesKey);
  if (!reg.KeyOpens(store)) return false;
  // Nothing inside a profile is read, so no damaged value there can hide the others.
  for (const std::wstring& name : reg.GetKeyNames(store))
    FProfiles.push_back({name, std::make_unique<TAutoCADProfile>(TAutoCADProfile{name})});
  return true;
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

  const RegistryAccessor reg(registry_, RegAccess::Full);
  try {
    const RegKey dest = UserKey(FProfilesKey + L"\\" + newName);
    CopyRegistryKey(reg, UserKey(FProfilesKey + L"\\" + source), dest);
    if (reg.KeyOpens(dest)) reg.WriteString(dest, L"", description);
    Refresh();
  } catch (const std::exception&) {
    // What was copied stays; AutoCAD's own tools are the way to mend it.
    return crFailed;
  }
  return crCreated;
}

void TAutoCAD::CopyRegistryKey(const RegistryAccessor& reg, const RegKey& source,
                               const RegKey& dest) {
  reg.CreateKey(dest);
  // A source that vanished must not pass for an empty key.
  if (!reg.KeyOpens(source)) throw RegistryError(L"Failed to open key " + source.path);
  for (const std::wstring& name : reg.GetValueNames(source)) {
    // Only strings and 32-bit numbers are carried over; an expandable string becomes plain.
    switch (reg.GetDataType(source, name)) {
      case RegType::String:
      case RegType::ExpandString:
        reg.WriteString(dest, name, reg.ReadString(source, name));
        break;
      case RegType::Dword:
        reg.WriteInteger(dest, name, reg.ReadInteger(source, name));
        break;
      default:
        break;
    }
  }
  for (const std::wstring& name : reg.GetKeyNames(source))
    CopyRegistryKey(reg, Subkey(source, name), Subkey(dest, name));
}

}  // namespace acad
