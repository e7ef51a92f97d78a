#include "acad/registry_accessor.h"

namespace acad {

using platform::RegAccess;
using platform::RegRoot;
using platform::RegStatus;
using platform::RegType;
using platform::RegValue;

namespace {

// what() carries the text as UTF-8 for generic handlers; callers that show it use Text().
std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t wc : text) {
    uint32_t c = static_cast<uint32_t>(wc) & 0xFFFF;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring Quoted(const wchar_t* format_head, const std::wstring& name) {
  return format_head + (L"'" + name + L"'");
}

}  // namespace

RegistryError::RegistryError(const std::wstring& text) : std::runtime_error(Utf8(text)), text_(text) {}

RegistryAccessor::RegistryAccessor(platform::Registry& registry, RegAccess access)
    : registry_(registry), access_(access) {}

void RegistryAccessor::SetRootKey(RegRoot root) {
  CloseKey();
  root_ = root;
}

std::wstring RegistryAccessor::Resolve(const std::wstring& key) const {
  if (!key.empty() && key[0] == L'\\') return platform::RegistryPath(key);
  if (!open_ || current_.empty()) return key;
  if (key.empty()) return current_;
  return current_ + L'\\' + key;
}

bool RegistryAccessor::OpenKey(const std::wstring& key) {
  std::wstring path = Resolve(key);
  if (registry_.OpenKey(root_, path, access_) != RegStatus::Ok) return false;
  current_ = path;
  open_ = true;
  return true;
}

void RegistryAccessor::CloseKey() {
  open_ = false;
  current_.clear();
}

void RegistryAccessor::CreateKey(const std::wstring& key) {
  if (registry_.CreateKey(root_, Resolve(key)) != RegStatus::Ok)
    throw RegistryError(L"Failed to create key " + key);
}

bool RegistryAccessor::ReadRaw(const std::wstring& name, RegValue* value) {
  RegStatus status = registry_.ReadValue(root_, current_, name, value);
  if (status == RegStatus::NotFound) return false;
  if (status != RegStatus::Ok) throw RegistryError(Quoted(L"Failed to get data for ", name));
  return true;
}

std::wstring RegistryAccessor::ReadString(const std::wstring& name) {
  RegValue value;
  if (!ReadRaw(name, &value) || value.data.empty()) return L"";
  if (value.type != RegType::String && value.type != RegType::ExpandString)
    throw RegistryError(Quoted(L"Invalid data type for ", name));
  return platform::ValueText(value);
}

int32_t RegistryAccessor::ReadInteger(const std::wstring& name) {
  RegValue value;
  if (!ReadRaw(name, &value)) throw RegistryError(Quoted(L"Failed to get data for ", name));
  if (value.type != RegType::Dword || value.data.size() != 4)
    throw RegistryError(Quoted(L"Invalid data type for ", name));
  uint32_t v = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
               (static_cast<uint32_t>(value.data[3]) << 24);
  return static_cast<int32_t>(v);
}

RegType RegistryAccessor::GetDataType(const std::wstring& name) {
  RegValue value;
  if (!ReadRaw(name, &value)) return RegType::None;
  return value.type;
}

void RegistryAccessor::WriteString(const std::wstring& name, const std::wstring& text) {
  if (registry_.WriteValue(root_, current_, name, platform::StringValue(text)) != RegStatus::Ok)
    throw RegistryError(Quoted(L"Failed to set data for ", name));
}

void RegistryAccessor::WriteInteger(const std::wstring& name, int32_t number) {
  if (registry_.WriteValue(root_, current_, name,
                           platform::DwordValue(static_cast<uint32_t>(number))) != RegStatus::Ok)
    throw RegistryError(Quoted(L"Failed to set data for ", name));
}

std::vector<std::wstring> RegistryAccessor::GetValueNames() {
  std::vector<std::wstring> names;
  if (registry_.ListValues(root_, current_, &names) != RegStatus::Ok) names.clear();
  return names;
}

std::vector<std::wstring> RegistryAccessor::GetKeyNames() {
  std::vector<std::wstring> names;
  if (registry_.ListSubkeys(root_, current_, &names) != RegStatus::Ok) names.clear();
  return names;
}

}  // namespace acad
