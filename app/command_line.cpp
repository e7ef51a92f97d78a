#include "app/command_line.h"

#include "util/options.h"
#include "util/strings.h"

namespace app {

namespace {

// The arguments split at blanks outside double quotes; the quotes themselves are dropped.
// False for a quote left open.
bool SplitArguments(const std::wstring& line, std::vector<std::wstring>* arguments) {
  std::wstring current;
  bool inQuotes = false, inArgument = false;
  for (wchar_t c : line) {
    if (c == L'"') {
      inQuotes = !inQuotes;
      inArgument = true;
    } else if ((c == L' ' || c == L'\t') && !inQuotes) {
      if (inArgument) arguments->push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) arguments->push_back(current);
  return !inQuotes;
}

const std::vector<util::OptionSpec> kOptions = {
    {L"/SILENT", false},          {L"/VERYSILENT", false}, {L"/?", false},         {L"/DIR", true},
    {L"/GROUPS", true},           {L"/ACAD", true},        {L"/PROFILE", true},    {L"/BDE", false},
    {L"/ALLUSERS", false},        {L"/RESTART", false},    {L"/NORESTART", false}, {L"/LOG", true},
    {L"/ACCEPTAGREEMENT", false}, {L"/SAVEINF", true},     {L"/LOADINF", true},
};

// Keys of /GROUPS= split at commas; false for an empty key.
bool SplitGroups(const std::wstring& value, std::vector<std::wstring>* keys) {
  size_t start = 0;
  while (true) {
    size_t comma = value.find(L',', start);
    std::wstring key = value.substr(start, comma == std::wstring::npos ? comma : comma - start);
    if (key.empty()) return false;
    keys->push_back(key);
    if (comma == std::wstring::npos) return true;
    start = comma + 1;
  }
}

}  // namespace

std::wstring StoreOption(const std::wstring& name, const std::wstring& value, SetupOptions* o) {
  auto is = [&](const wchar_t* n) { return name == n; };
  if (is(L"/SILENT")) o->silent = true;
  else if (is(L"/VERYSILENT")) o->verySilent = true;
  else if (is(L"/?")) o->help = true;
  else if (is(L"/DIR")) o->dir = value;
  else if (is(L"/ACAD")) o->acad = value;
  else if (is(L"/PROFILE")) o->profile = value;
  else if (is(L"/BDE")) o->bde = true;
  else if (is(L"/ALLUSERS")) o->allUsers = true;
  else if (is(L"/RESTART")) o->restart = true;
  else if (is(L"/NORESTART")) o->noRestart = true;
  else if (is(L"/LOG")) o->log = value;
  else if (is(L"/ACCEPTAGREEMENT")) o->acceptAgreement = true;
  else if (is(L"/SAVEINF")) o->saveInf = value;
  else if (is(L"/LOADINF")) o->loadInf = value;
  else if (is(L"/GROUPS")) {
    if (value == L"*") o->allGroups = true;
    else if (!SplitGroups(value, &o->groups))
      return L"пустой ключ группы в " + name + L"=" + value;
  }
  return L"";
}

ParsedCommandLine ParseCommandLine(const std::wstring& commandLine) {
  ParsedCommandLine parsed;
  std::vector<std::wstring> arguments;
  if (!SplitArguments(commandLine, &arguments)) parsed.fault = L"не закрыта кавычка: " + commandLine;
  // After a fault the rest is still read: /LOG and /VERYSILENT decide where the fault is told.
  auto fault = [&parsed](const std::wstring& text) {
    if (parsed.fault.empty()) parsed.fault = text;
  };
  bool anyButHelp = false;
  fault(util::ReadOptions(arguments, kOptions, [&](const std::wstring& name, const std::wstring& value) {
    if (name != L"/?") anyButHelp = true;
    return StoreOption(name, value, &parsed.options);
  }));
  const SetupOptions& o = parsed.options;
  if (o.restart && o.noRestart) fault(L"/RESTART и /NORESTART вместе не задаются");
  if (o.help && anyButHelp && !o.Unattended())
    fault(L"параметры действуют только вместе с /SILENT или /VERYSILENT");
  return parsed;
}

bool StartsTheWizard(const ParsedCommandLine& parsed) {
  return !parsed.options.Unattended() && !parsed.options.help;
}

std::wstring UsageText() {
  return L"Setup.exe /SILENT | /VERYSILENT [параметры]\r\n"
         L"\r\n"
         L"/SILENT, /VERYSILENT\tустановка без окон и вопросов\r\n"
         L"/DIR=\"каталог\"\tкаталог установки\r\n"
         L"/GROUPS=ключ,ключ\tкомпоненты (ключи раздела GROUPS); * - все\r\n"
         L"/ACAD=\"продукт\"\tAutoCAD для редактора схем\r\n"
         L"/PROFILE=имя\tпрофиль AutoCAD\r\n"
         L"/BDE\tзапустить установку библиотеки BDE\r\n"
         L"/ACCEPTAGREEMENT\tсоглашение об использовании принято\r\n"
         L"/NORESTART, /RESTART\tне перезагружать / перезагрузить компьютер\r\n"
         L"/LOG=\"файл\"\tжурнал установки (UTF-8)\r\n"
         L"/SAVEINF=\"файл\"\tзаписать ответы установки (и в мастере)\r\n"
         L"/LOADINF=\"файл\"\tвзять ответы из файла; параметры строки главнее\r\n"
         L"/?\tэтот список\r\n"
         L"\r\n"
         L"Без параметров запускается мастер установки.";
}

}  // namespace app
