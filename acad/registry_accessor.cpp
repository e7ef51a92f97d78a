#include "acad/registry_accessor.h"

#include "util/text.h"

namespace acad {

using platform::RegStatus;
using platform::RegType;
using platform::RegValue;

namespace {

std::wstring Win32Path(const RegKey& key) { return platform::RegistryPath(key.path); }

std::wstring Quoted(const wchar_t* head, const std::wstring& name) {
  return head + (L"'" + name + L"'");
}

}  // namespace

RegistryError::RegistryError(const std::wstring& text)
    : std::runtime_error(util::ToUtf8(text)), text_(text) {}

RegistryAccessor::RegistryAccessor(platform::Registry& registry, platform::RegAccess access)
    : registry_(registry), access_(access) {}

bool RegistryAccessor::KeyOpens(const RegKey& key) const {
  return registry_.OpenKey(key.root, Win32Path(key), access_) == RegStatus::Ok;
}

void RegistryAccessor::CreateKey(const RegKey& key) const {
  if (registry_.CreateKey(key.root, Win32Path(key)) != RegStatus::Ok)
    throw RegistryError(L"Failed to create key " + key.path);
}

bool RegistryAccessor::ReadRaw(const RegKey& key, const std::wstring& name, RegValue* value) const {
  RegStatus status = registry_.ReadValue(key.root, Win32Path(key), name, value);
  if (status == RegStatus::NotFound) return false;
  if (status != RegStatus::Ok) throw RegistryError(Quoted(L"Failed to get data for ", name));
  return true;
}

std::wstring RegistryAccessor::ReadString(const RegKey& key, const std::wstring& name) const {
  RegValue value;
  if (!ReadRaw(key, name, &value) || value.data.empty()) return L"";
  if (value.type != RegType::String && value.type != RegType::ExpandString)
    throw RegistryError(Quoted(L"Invalid data type for ", name));
  return platform::ValueText(value);
}

int32_t RegistryAccessor::ReadInteger(const RegKey& key, const std::wstring& name) const {
  RegValue value;
  if (!ReadRaw(key, name, &value)) throw RegistryError(Quoted(L"Failed to get data for ", name));
  if (value.type != RegType::Dword || value.data.size() != 4)
    throw RegistryError(Quoted(L"Invalid data type for ", name));
  uint32_t v = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
               (static_cast<uint32_t>(value.data[3]) << 24);
  return static_cast<int32_t>(v);
}

RegType RegistryAccessor::GetDataType(const RegKey& key, const std::wstring& name) const {
  RegValue value;
  if (!ReadRaw(key, name, &value)) return RegType::None;
  return value.type;
}

void RegistryAccessor::Write(const RegKey& key, const std::wstring& name,
                             const RegValue& value) const {
  if (registry_.WriteValue(key.root, Win32Path(key), name, value) != RegStatus::Ok)
    throw RegistryError(Quoted(L"Failed to set data for ", name));
}

void RegistryAccessor::WriteString(const RegKey& key, const std::wstring& name,
                                   const std::wstring& text) const {
  Write(key, name, platform::StringValue(text));
}

void RegistryAccessor::WriteInteger(const RegKey& key, const std::wstring& name,
                                    int32_t number) const {
  Write(key, name, platform::DwordValue(static_cast<uint32_t>(number)));
}

std::vector<std::wstring> RegistryAccessor::GetValueNames(const RegKey& key) const {
  std::vector<std::wstring> names;
  if (registry_.ListValues(key.root, Win32Path(key), &names) != RegStatus::Ok) names.clear();
  return names;
}

std::vector<std::wstring> RegistryAccessor::GetKeyNames(const RegKey& key) const {
  std::vector<std::wstring> names;
  if (registry_.ListSubkeys(key.root, Win32Path(key), &names) != RegStatus::Ok) names.clear();
  return names;
}

}  // namespace acad
