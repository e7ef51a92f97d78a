#pragma once
// Lays out AutoCAD's registry keys and program files the way its releases write them, in any
// registry: the in-memory one natively, the real one (in the 32-bit view this program sees)
// under Wine. Used by the unit tests and by the end-to-end scenarios.
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "acad/releases.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace acadtest {

// Makes a file (with its folders) at a Windows path.
using MakeFileFn = std::function<void(const std::wstring& path)>;
// A small program file at `path` on `files`, making its folders; one already there is kept.
void MakeFileOn(platform::FileSystem& files, const std::wstring& path);

struct ReleaseLayout {
  acad::TAutoCADTypes type = acad::geNone;
  std::wstring curVer = L"ACAD-1:409";
  std::wstring productName;
  std::wstring location;              // the folder value as stored ("AcadLocation"/"Location")
  bool userCurVer = true;             // write "CurVer" into the user's key (R16 generation)
  bool programFile = true;            // make ACAD.EXE / ACLT.EXE in `location`
  std::vector<std::wstring> profiles; // each with RichProfile's content
  bool profileStore = true;           // make the user's "Profiles" key even without profiles
};

// Win32 paths (no leading backslash) of a release's keys.
std::wstring BaseKey(acad::TAutoCADTypes type);
std::wstring VersionKey(const ReleaseLayout& release);
std::wstring ProfilesKey(const ReleaseLayout& release);

void LayOutRelease(platform::Registry& registry, const MakeFileFn& makeFile,
                   const ReleaseLayout& release);

// A profile as AutoCAD leaves it: a description, its folder values (the support path as an
// expandable string), values of every type, Cyrillic names and nested subkeys.
void LayOutRichProfile(platform::Registry& registry, const std::wstring& profilesKey,
                       const std::wstring& name, acad::AcadFamily family);

// A product as AutoCAD 2006 and later, LT and the verticals leave it: a product key in one
// registry view, its program in its folder, and (once this user started it) its profile store.
struct ProductLayout {
  platform::RegRoot view = platform::RegRoot::LocalMachineNative;
  // Win32 path of the product key ("Software\Autodesk\AutoCAD\R25.0\ACAD-8101:419").
  std::wstring key;
  std::wstring productName;
  std::wstring location;
  std::wstring locationValue = L"AcadLocation";
  std::wstring program = L"acad.exe";  // made in `location`; empty: none
  bool started = true;                 // the user's key with its "Profiles" store
  std::vector<std::wstring> profiles;  // each with RichProfile's content
};
// "Software\Autodesk\AutoCAD\R25.0\ACAD-8101:419" and its LT counterpart.
std::wstring AcadProductKey(const std::wstring& release, const std::wstring& product);
std::wstring LtProductKey(const std::wstring& release, const std::wstring& product);
inline std::wstring ProfilesKey(const ProductLayout& product) {
  return product.key + L"\\Profiles";
}

void LayOutProduct(platform::Registry& registry, const MakeFileFn& makeFile,
                   const ProductLayout& product);
// The user's "CurVer" chain naming the product as the one this user ran last.
void MarkLastUsed(platform::Registry& registry, const ProductLayout& product);

// Removes "Software\Autodesk" from the user's root and from both machine views.
void ClearAutodesk(platform::Registry& registry);

// A whole subtree: relative key path ("" for the top) -> value name -> (type, raw data).
using StoredValue = std::pair<platform::RegType, std::vector<uint8_t>>;
using Subtree = std::map<std::wstring, std::map<std::wstring, StoredValue>>;
Subtree ReadSubtree(platform::Registry& registry, platform::RegRoot root, const std::wstring& path);
// The template as a copy must look: only strings and 32-bit numbers, expandable strings made
// plain, and the top key's default value replaced by `description`.
Subtree ExpectedCopy(const Subtree& source, const std::wstring& description);

void WriteString(platform::Registry& registry, platform::RegRoot root, const std::wstring& key,
                 const std::wstring& name, const std::wstring& text);

}  // namespace acadtest
