#pragma once
// A program's command-line options, as Setup.exe and UnInstall.exe take them: "/NAME" or
// "/NAME=value", names case-blind, each given once.
#include <functional>
#include <string>
#include <vector>

namespace util {

struct OptionSpec {
  const wchar_t* name;  // as the table spells it, "/LOG"
  bool takesValue;
};

// Takes the option's name (as the table spells it) and its value; returns its fault, empty when
// the value fits.
using OptionStore = std::function<std::wstring(const std::wstring& name, const std::wstring& value)>;

// Reads `arguments` against `table`, handing each sound option to `store`. Returns the first
// fault (an unknown or repeated option, a value given to a flag or missing for an option that
// takes one, or what `store` says), empty when there is none. After a fault the rest is still
// read: a later /LOG or /VERYSILENT decides where the fault is told.
std::wstring ReadOptions(const std::vector<std::wstring>& arguments, const std::vector<OptionSpec>& table,
                         const OptionStore& store);

}  // namespace util
