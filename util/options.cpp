#include "util/options.h"

#include <algorithm>

#include "util/codepage.h"

namespace util {

std::wstring ReadOptions(const std::vector<std::wstring>& arguments, const std::vector<OptionSpec>& table,
                         const OptionStore& store) {
  std::wstring first;
  auto fault = [&first](const std::wstring& text) {
    if (first.empty()) first = text;
  };
  std::vector<const OptionSpec*> seen;
  for (const std::wstring& argument : arguments) {
    const size_t eq = argument.find(L'=');
    const OptionSpec* option = nullptr;
    for (const OptionSpec& known : table)
      if (EqualsNoCase(argument.substr(0, eq), known.name)) option = &known;
    if (!option) {
      fault(L"неизвестный параметр " + argument);
      continue;
    }
    const std::wstring name = option->name;
    if (std::find(seen.begin(), seen.end(), option) != seen.end()) {
      fault(L"параметр " + name + L" задан дважды");
      continue;
    }
    seen.push_back(option);
    if (!option->takesValue && eq != std::wstring::npos) {
      fault(L"параметр " + name + L" не принимает значения: " + argument);
      continue;
    }
    const std::wstring value = eq == std::wstring::npos ? L"" : argument.substr(eq + 1);
    if (option->takesValue && value.empty()) {
      fault(L"параметру " + name + L" нужно значение: " + name + L"=...");
      continue;
    }
    fault(store(name, value));
  }
  return first;
}

}  // namespace util
