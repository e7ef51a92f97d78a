#include "tests/acad/acad_fixture.h"

#include <stdexcept>

namespace acadtest {

using platform::RegRoot;
using platform::RegStatus;
using platform::RegType;
using platform::RegValue;

namespace {

void Check(RegStatus status, const char* what) {
  if (status != RegStatus::Ok) throw std::runtime_error(std::string("fixture: ") + what);
}

void Put(platform::Registry& registry, RegRoot root, const std::wstring& key,
         const std::wstring& name, const RegValue& value) {
  Check(registry.CreateKey(root, key), "create key");
  Check(registry.WriteValue(root, key, name, value), "write value");
}

RegValue Raw(RegType type, std::vector<uint8_t> data) {
  RegValue value;
  value.type = type;
  value.data = std::move(data);
  return value;
}

void ReadInto(platform::Registry& registry, RegRoot root, const std::wstring& path,
              const std::wstring& relative, Subtree* tree) {
  auto& values = (*tree)[relative];
  std::vector<std::wstring> names;
  Check(registry.ListValues(root, path, &names), "list values");
  for (const std::wstring& name : names) {
    RegValue value;
    Check(registry.ReadValue(root, path, name, &value), "read value");
    values[name] = {value.type, value.data};
  }
  std::vector<std::wstring> subkeys;
  Check(registry.ListSubkeys(root, path, &subkeys), "list subkeys");
  for (const std::wstring& sub : subkeys)
    ReadInto(registry, root, path + L"\\" + sub, relative.empty() ? sub : relative + L"\\" + sub,
             tree);
}

}  // namespace

void MakeFileOn(platform::FileSystem& files, const std::wstring& path) {
  for (size_t sep = path.find(L'\\', 3); sep != std::wstring::npos; sep = path.find(L'\\', sep + 1))
    files.MakeDirectory(path.substr(0, sep));
  if (files.Kind(path) == platform::PathKind::File) return;
  auto file = files.CreateNew(path);
  if (!file || !file->Write("MZ", 2) || !file->Close())
    throw std::runtime_error("fixture: cannot make a program file");
}

std::wstring BaseKey(acad::TAutoCADTypes type) {
  return platform::RegistryPath(acad::KeysOf(type).baseKey);
}

std::wstring VersionKey(const ReleaseLayout& release) {
  return BaseKey(release.type) + L"\\" + release.curVer;
}

std::wstring ProfilesKey(const ReleaseLayout& release) { return VersionKey(release) + L"\\Profiles"; }

void WriteString(platform::Registry& registry, RegRoot root, const std::wstring& key,
                 const std::wstring& name, const std::wstring& text) {
  Put(registry, root, key, name, platform::StringValue(text));
}

void LayOutRelease(platform::Registry& registry, const MakeFileFn& makeFile,
                   const ReleaseLayout& release) {
  const acad::ReleaseKeys& keys = acad::KeysOf(release.type);
  const std::wstring base = BaseKey(release.type);
  if (keys.curVerFromUser) {
    Check(registry.CreateKey(RegRoot::LocalMachine, base), "create base key");
    if (release.userCurVer) WriteString(registry, RegRoot::CurrentUser, base, L"CurVer", release.curVer);
  } else {
    WriteString(registry, RegRoot::LocalMachine, base, L"CurVer", release.curVer);
  }
  const std::wstring version = VersionKey(release);
  Check(registry.CreateKey(RegRoot::LocalMachine, version), "create version key");
  if (!release.productName.empty())
    WriteString(registry, RegRoot::LocalMachine, version, L"ProductName", release.productName);
  WriteString(registry, RegRoot::LocalMachine, version, acad::LocationValueName(keys.family),
              release.location);
  if (release.programFile) {
    std::wstring folder = release.location;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    makeFile(folder + acad::ProgramFileName(keys.family));
  }
  if (release.profileStore) Check(registry.CreateKey(RegRoot::CurrentUser, ProfilesKey(release)), "create store");
  for (const std::wstring& name : release.profiles)
    LayOutRichProfile(registry, ProfilesKey(release), name, keys.family);
}

void LayOutRichProfile(platform::Registry& registry, const std::wstring& profilesKey,
                       const std::wstring& name, acad::AcadFamily family) {
  const RegRoot cu = RegRoot::CurrentUser;
  const std::wstring key = profilesKey + L"\\" + name;
  const bool lt = family == acad::AcadFamily::LT;
  WriteString(registry, cu, key, L"", L"Профиль " + name);

  const std::wstring general = key + L"\\General";
  Put(registry, cu, general, lt ? L"SUPPORT" : L"ACAD",
      platform::StringValue(L"%ProgramFiles%\\Support;C:\\Шрифты", RegType::ExpandString));
  WriteString(registry, cu, general, lt ? L"DRIVER" : L"ACADDRV", L"C:\\Drv");
  WriteString(registry, cu, general, lt ? L"HELP" : L"ACADHELP", L"C:\\Help\\acad.chm");
  WriteString(registry, cu, general, L"AVEMAPS", L"C:\\Maps");
  WriteString(registry, cu, general, L"ObjectDBXSupportPath", L"C:\\Dbx");
  WriteString(registry, cu, general, L"DataBaseWorkSpacePath", L"C:\\Ws");
  WriteString(registry, cu, general, L"TemplatePath", L"C:\\Template");
  Put(registry, cu, general, L"MaxArray", platform::DwordValue(0x89ABCDEFu));
  Put(registry, cu, general, L"Двоичное", Raw(RegType::Binary, {0x00, 0xFF, 0x10, 0x80}));
  Put(registry, cu, general, L"Multi",
      Raw(RegType::MultiString, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}));
  Put(registry, cu, general, L"Wide", Raw(RegType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}));
  Put(registry, cu, general, L"Nothing", Raw(RegType::None, {}));
  WriteString(registry, cu, general, L"Empty", L"");

  const std::wstring editor = key + L"\\Editor Configuration";
  WriteString(registry, cu, editor, L"EmergencyFont", L"simplex.shx");
  WriteString(registry, cu, editor, L"FontMappingFile", L"acad.fmp");
  Put(registry, cu, editor, L"Zero", platform::DwordValue(0));

  const std::wstring config = key + L"\\General Configuration";
  WriteString(registry, cu, config, L"TempDirectory", L"C:\\Temp\\");

  // Deeper keys as AutoCAD keeps drawing-window and dialog settings.
  const std::wstring deep = key + L"\\Drawing Window\\Окна\\Третий уровень";
  WriteString(registry, cu, deep, L"Имя", L"Значение");
  Put(registry, cu, deep, L"Count", platform::DwordValue(7));
  Check(registry.CreateKey(cu, key + L"\\Drawing Window\\Пустой"), "create empty key");
}

std::wstring AcadProductKey(const std::wstring& release, const std::wstring& product) {
  return L"Software\\Autodesk\\AutoCAD\\" + release + L"\\" + product;
}

std::wstring LtProductKey(const std::wstring& release, const std::wstring& product) {
  return L"Software\\Autodesk\\AutoCAD LT\\" + release + L"\\" + product;
}

void LayOutProduct(platform::Registry& registry, const MakeFileFn& makeFile,
                   const ProductLayout& product) {
  WriteString(registry, product.view, product.key, L"ProductName", product.productName);
  WriteString(registry, product.view, product.key, product.locationValue, product.location);
  if (!product.program.empty()) {
    std::wstring folder = product.location;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    makeFile(folder + product.program);
  }
  if (product.started)
    Check(registry.CreateKey(RegRoot::CurrentUser, ProfilesKey(product)), "create store");
  const bool lt = product.key.find(L"AutoCAD LT") != std::wstring::npos;
  for (const std::wstring& name : product.profiles)
    LayOutRichProfile(registry, ProfilesKey(product), name,
                      lt ? acad::AcadFamily::LT : acad::AcadFamily::Full);
}

void MarkLastUsed(platform::Registry& registry, const ProductLayout& product) {
  const size_t productAt = product.key.rfind(L'\\');
  const size_t releaseAt = product.key.rfind(L'\\', productAt - 1);
  const std::wstring family = product.key.substr(0, releaseAt);
  WriteString(registry, RegRoot::CurrentUser, family, L"CurVer",
              product.key.substr(releaseAt + 1, productAt - releaseAt - 1));
  WriteString(registry, RegRoot::CurrentUser, product.key.substr(0, productAt), L"CurVer",
              product.key.substr(productAt + 1));
}

void ClearAutodesk(platform::Registry& registry) {
  for (RegRoot root : {RegRoot::LocalMachine, RegRoot::LocalMachineNative, RegRoot::CurrentUser}) {
    RegStatus status = registry.DeleteTree(root, L"Software\\Autodesk");
    if (status != RegStatus::Ok && status != RegStatus::NotFound)
      throw std::runtime_error("fixture: cannot clear Software\\Autodesk");
  }
}

Subtree ReadSubtree(platform::Registry& registry, RegRoot root, const std::wstring& path) {
  Subtree tree;
  ReadInto(registry, root, path, L"", &tree);
  return tree;
}

Subtree ExpectedCopy(const Subtree& source, const std::wstring& description) {
  Subtree copy;
  for (const auto& [key, values] : source) {
    auto& out = copy[key];
    for (const auto& [name, value] : values) {
      if (value.first == RegType::String || value.first == RegType::ExpandString) {
        out[name] = {RegType::String, value.second};
      } else if (value.first == RegType::Dword) {
        out[name] = value;
      }
    }
  }
  RegValue text = platform::StringValue(description);
  copy[L""][L""] = {text.type, text.data};
  return copy;
}

}  // namespace acadtest
