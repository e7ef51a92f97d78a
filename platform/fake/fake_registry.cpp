#include "platform/fake/fake_registry.h"

#include "util/codepage.h"

namespace platform {

struct FakeRegistry::Key {
  std::wstring name;
  // By folded name: a std::map of folded names enumerates in the registry's case-blind order.
  std::map<std::wstring, std::unique_ptr<Key>> subkeys;
  // In creation order, as RegEnumValueW gives them.
  std::vector<std::pair<std::wstring, RegValue>> values;

  Key* Child(const std::wstring& folded) const {
    auto it = subkeys.find(folded);
    return it == subkeys.end() ? nullptr : it->second.get();
  }
  std::vector<std::pair<std::wstring, RegValue>>::iterator FindValue(const std::wstring& name) {
    for (auto it = values.begin(); it != values.end(); ++it)
      if (util::EqualsNoCase(it->first, name)) return it;
    return values.end();
  }
};

FakeRegistry::FakeRegistry() : hkcu_(new Key), hklm_(new Key), hklm_native_(new Key) {
  CreateKey(RegRoot::CurrentUser, L"Software");
  CreateKey(RegRoot::LocalMachine, L"Software");
  CreateKey(RegRoot::LocalMachineNative, L"Software");
}

FakeRegistry::Key* FakeRegistry::RootOf(RegRoot root) const {
  switch (root) {
    case RegRoot::CurrentUser: return hkcu_.get();
    case RegRoot::LocalMachine: return hklm_.get();
    case RegRoot::LocalMachineNative: break;
  }
  return hklm_native_.get();
}

FakeRegistry::~FakeRegistry() = default;

bool FakeRegistry::SplitPath(const std::wstring& path, std::vector<std::wstring>* folded,
                             std::vector<std::wstring>* names) {
  folded->clear();
  names->clear();
  if (path.empty()) return true;
  if (path[0] == L'\\') return false;  // as Win32 refuses a leading backslash
  size_t from = 0;
  while (from < path.size()) {
    size_t at = path.find(L'\\', from);
    if (at == std::wstring::npos) at = path.size();
    if (at == from) return false;  // an empty component
    names->push_back(path.substr(from, at - from));
    folded->push_back(util::FoldCase(names->back()));
    from = at + 1;
  }
  return true;
}

void FakeRegistry::DenyAccess(RegRoot root, const std::wstring& path, RegAccess denied) {
  std::vector<std::wstring> folded, names;
  SplitPath(path, &folded, &names);
  denials_.push_back({root, folded, denied});
}

RegStatus FakeRegistry::Check(RegRoot root, const std::vector<std::wstring>& folded, Need need) const {
  for (const Denial& d : denials_) {
    if (d.root != root || d.path.size() > folded.size()) continue;
    bool under = true;
    for (size_t i = 0; i < d.path.size() && under; ++i) under = d.path[i] == folded[i];
    if (under && (d.denied == RegAccess::Read || need == Need::Write)) return RegStatus::AccessDenied;
  }
  return RegStatus::Ok;
}

FakeRegistry::Key* FakeRegistry::Find(RegRoot root, const std::vector<std::wstring>& folded) const {
  Key* key = RootOf(root);
  for (const std::wstring& part : folded) {
    key = key->Child(part);
    if (!key) return nullptr;
  }
  return key;
}

RegStatus FakeRegistry::Resolve(RegRoot root, const std::wstring& path, Need need, Key** key) const {
  *key = nullptr;
  if (fail_all_) return RegStatus::Failed;
  std::vector<std::wstring> folded, names;
  if (!SplitPath(path, &folded, &names)) return RegStatus::Failed;
  *key = Find(root, folded);
  if (!*key) return RegStatus::NotFound;
  RegStatus allowed = Check(root, folded, need);
  if (allowed != RegStatus::Ok) *key = nullptr;
  return allowed;
}

RegStatus FakeRegistry::OpenKey(RegRoot root, const std::wstring& path, RegAccess access) {
  Key* key;
  return Resolve(root, path, access == RegAccess::Full ? Need::Write : Need::Read, &key);
}

RegStatus FakeRegistry::CreateKey(RegRoot root, const std::wstring& path) {
  if (fail_all_) return RegStatus::Failed;
  std::vector<std::wstring> folded, names;
  if (!SplitPath(path, &folded, &names)) return RegStatus::Failed;
  RegStatus allowed = Check(root, folded, Need::Write);
  if (allowed != RegStatus::Ok) return allowed;
  Key* key = RootOf(root);
  for (size_t i = 0; i < folded.size(); ++i) {
    std::unique_ptr<Key>& child = key->subkeys[folded[i]];
    if (!child) {
      child.reset(new Key);
      child->name = names[i];
    }
    key = child.get();
  }
  return RegStatus::Ok;
}

RegStatus FakeRegistry::DeleteTree(RegRoot root, const std::wstring& path) {
  Key* key;
  RegStatus status = Resolve(root, path, Need::Write, &key);
  if (status != RegStatus::Ok) return status;
  std::vector<std::wstring> folded, names;
  SplitPath(path, &folded, &names);
  if (folded.empty()) {  // the root itself: its contents go, the root stays
    key->subkeys.clear();
    key->values.clear();
    return RegStatus::Ok;
  }
  std::wstring last = folded.back();
  folded.pop_back();
  Find(root, folded)->subkeys.erase(last);
  return RegStatus::Ok;
}

RegStatus FakeRegistry::ReadValue(RegRoot root, const std::wstring& path, const std::wstring& name,
                                  RegValue* value) {
  Key* key;
  RegStatus status = Resolve(root, path, Need::Read, &key);
  if (status != RegStatus::Ok) return status;
  auto it = key->FindValue(name);
  if (it == key->values.end()) return RegStatus::NotFound;
  *value = it->second;
  return RegStatus::Ok;
}

RegStatus FakeRegistry::WriteValue(RegRoot root, const std::wstring& path, const std::wstring& name,
                                   const RegValue& value) {
  Key* key;
  RegStatus status = Resolve(root, path, Need::Write, &key);
  if (status != RegStatus::Ok) return status;
  auto it = key->FindValue(name);
  if (it != key->values.end()) it->second = value;
  else key->values.emplace_back(name, value);
  return RegStatus::Ok;
}

RegStatus FakeRegistry::DeleteValue(RegRoot root, const std::wstring& path, const std::wstring& name) {
  Key* key;
  RegStatus status = Resolve(root, path, Need::Write, &key);
  if (status != RegStatus::Ok) return status;
  auto it = key->FindValue(name);
  if (it == key->values.end()) return RegStatus::NotFound;
  key->values.erase(it);
  return RegStatus::Ok;
}

RegStatus FakeRegistry::ListSubkeys(RegRoot root, const std::wstring& path,
                                    std::vector<std::wstring>* names) {
  names->clear();
  Key* key;
  RegStatus status = Resolve(root, path, Need::Read, &key);
  if (status != RegStatus::Ok) return status;
  for (const auto& sub : key->subkeys) names->push_back(sub.second->name);
  return RegStatus::Ok;
}

RegStatus FakeRegistry::ListValues(RegRoot root, const std::wstring& path,
                                   std::vector<std::wstring>* names) {
  names->clear();
  Key* key;
  RegStatus status = Resolve(root, path, Need::Read, &key);
  if (status != RegStatus::Ok) return status;
  for (const auto& value : key->values) names->push_back(value.first);
  return RegStatus::Ok;
}

}  // namespace platform
