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

// Removes both roots' "Software\Autodesk".
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
