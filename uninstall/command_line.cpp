#include "uninstall/command_line.h"

#include "util/options.h"
#include "util/paths.h"

namespace uninstall {
namespace {

const std::vector<util::OptionSpec> kOptions = {
    {L"/UNINSTALL", false}, {L"/SILENT", false}, {L"/VERYSILENT", false}, {L"/LOG", true},
    {L"/FOR", true},        {L"/STARTER", true}, {L"/RESULT", true},
};

// A decimal number of at most `digits` digits.
bool IsNumber(const std::wstring& value, size_t digits) {
  return !value.empty() && value.size() <= digits && value.find_first_not_of(L"0123456789") == std::wstring::npos;
}

// Stores one option of the table; the fault when its value does not fit.
std::wstring Store(const std::wstring& name, const std::wstring& value, UninstallOptions* o) {
  if (name == L"/UNINSTALL") o->uninstall = true;
  else if (name == L"/SILENT") o->silent = true;
  else if (name == L"/VERYSILENT") o->verySilent = true;
  else if (name == L"/LOG") o->log = value;
  else if (name == L"/FOR") {
    const std::wstring folder = util::WithoutTrailingBackslash(value);
    if (!util::IsPlainFullPath(folder)) return L"папка " + value + L" в /FOR= не полный путь";
    o->forFolder = folder;
  } else if (name == L"/STARTER") {
    const unsigned long long id = IsNumber(value, 10) ? std::stoull(value) : 0;
    if (id == 0 || id > UINT32_MAX) return L"в /STARTER= не номер процесса: " + value;
    o->starter = static_cast<uint32_t>(id);
  } else if (name == L"/RESULT") {
    if (!IsNumber(value, 20)) return L"в /RESULT= не номер канала: " + value;
    o->result = value;
  }
  return L"";
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::wstring>& arguments) {
  ParsedArguments parsed;
  // After a fault the rest is still read: /LOG and /VERYSILENT decide where the fault is told.
  auto fault = [&parsed](const std::wstring& text) {
    if (parsed.fault.empty()) parsed.fault = text;
  };
  fault(util::ReadOptions(arguments, kOptions, [&parsed](const std::wstring& name, const std::wstring& value) {
    return Store(name, value, &parsed.options);
  }));
  const UninstallOptions& o = parsed.options;
  if (!o.uninstall) fault(L"нет параметра /UNINSTALL");
  const int handOver = !o.forFolder.empty() + (o.starter != 0) + !o.result.empty();
  if (handOver != 0 && handOver != 3) fault(L"/FOR, /STARTER и /RESULT задаются только вместе");
  return parsed;
}

std::wstring CopyArguments(const UninstallOptions& options, const std::wstring& destination, uint32_t starter) {
  std::wstring arguments =
      L"/UNINSTALL /FOR=\"" + util::WithoutTrailingBackslash(destination) + L"\" /STARTER=" + std::to_wstring(starter);
  if (options.silent) arguments += L" /SILENT";
  if (options.verySilent) arguments += L" /VERYSILENT";
  if (!options.log.empty()) arguments += L" /LOG=\"" + options.log + L"\"";
  return arguments;
}

std::wstring UsageText() {
  return L"UnInstall.exe /UNINSTALL [/SILENT | /VERYSILENT] [/LOG=\"файл\"]\r\n"
         L"\r\n"
         L"/UNINSTALL\tудалить программу, установленную в папку UnInstall.exe\r\n"
         L"/SILENT, /VERYSILENT\tудаление без окон и вопросов\r\n"
         L"/LOG=\"файл\"\tжурнал удаления (UTF-8)";
}

}  // namespace uninstall
