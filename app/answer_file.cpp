#include "app/answer_file.h"

#include <algorithm>
#include <vector>

#include "util/codepage.h"
#include "util/text.h"

namespace app {
namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr wchar_t kSection[] = L"Setup";

struct AnswerKey {
  const wchar_t* key;     // as the file spells it
  const wchar_t* option;  // the command line's option it stands for
  bool flag;              // 0 or 1 rather than a text
};

const AnswerKey kKeys[] = {
    {L"Dir", L"/DIR", false},   {L"Groups", L"/GROUPS", false},
    {L"ACAD", L"/ACAD", false}, {L"Profile", L"/PROFILE", false},
    {L"BDE", L"/BDE", true},    {L"AllUsers", L"/ALLUSERS", true},
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trim(const std::wstring& s) {
  size_t begin = 0, end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

// One pair of enclosing quotes removed, as Windows reads an INI value.
std::wstring Unquoted(const std::wstring& value) {
  if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

std::wstring JoinGroups(const std::vector<std::wstring>& keys) {
  std::wstring joined;
  for (const std::wstring& key : keys) joined += (joined.empty() ? L"" : L",") + key;
  return joined;
}

// One key line's value checked and stored; its fault without the line.
std::wstring StoreAnswer(const AnswerKey& key, const std::wstring& value, SetupOptions* answers) {
  if (value.empty()) return std::wstring(L"у ключа ") + key.key + L" нет значения";
  if (!key.flag) return StoreOption(key.option, value, answers);
  if (value == L"1") return StoreOption(key.option, L"", answers);
  if (value == L"0") return L"";
  return std::wstring(key.key) + L"=" + value + L": значение должно быть 0 или 1";
}

}  // namespace

std::string AnswerFileText(const SetupOptions& answers, bool withAllUsers) {
  std::wstring text =
      L"; Ответы установки: Setup.exe /VERYSILENT /ACCEPTAGREEMENT /LOADINF=\"этот файл\"\r\n";
  text += L"[" + std::wstring(kSection) + L"]\r\n";
  auto put = [&text](const wchar_t* key, const std::wstring& value) {
    text += std::wstring(key) + L"=" + value + L"\r\n";
  };
  // Text values are quoted: reading removes one pair, so blanks and quotes at the ends survive.
  auto quoted = [](const std::wstring& value) { return L"\"" + value + L"\""; };
  if (!answers.dir.empty()) put(L"Dir", quoted(answers.dir));
  if (answers.allGroups)
    put(L"Groups", L"*");
  else if (!answers.groups.empty())
    put(L"Groups", quoted(JoinGroups(answers.groups)));
  if (!answers.acad.empty()) put(L"ACAD", quoted(answers.acad));
  if (!answers.profile.empty()) put(L"Profile", quoted(answers.profile));
  put(L"BDE", answers.bde ? L"1" : L"0");
  if (withAllUsers) put(L"AllUsers", answers.allUsers ? L"1" : L"0");
  return kUtf8Mark + util::ToUtf8(text);
}

std::wstring ReadAnswerFile(const std::string& bytes, SetupOptions* answers) {
  std::string rest = bytes.compare(0, 3, kUtf8Mark) == 0 ? bytes.substr(3) : bytes;
  bool inSection = false;
  std::vector<const AnswerKey*> seen;
  int number = 0;
  for (size_t start = 0; start < rest.size();) {
    size_t end = rest.find('\n', start);
    if (end == std::string::npos) end = rest.size();
    std::string raw = rest.substr(start, end - start);
    start = end + 1;
    ++number;
    auto fault = [number](const std::wstring& text) {
      return L"строка " + std::to_wstring(number) + L": " + text;
    };
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::wstring line;
    if (!util::FromUtf8(raw, &line, util::BadInput::kRefuse))
      return fault(L"текст не в кодировке UTF-8");
    line = Trim(line);
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[') {
      if (line.back() != L']' ||
          !util::EqualsNoCase(Trim(line.substr(1, line.size() - 2)), kSection))
        return fault(L"неизвестный раздел " + line + L", ответы даются в разделе [" + kSection +
                     L"]");
      inSection = true;
      continue;
    }
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) return fault(L"нет знака = в строке " + line);
    if (!inSection) return fault(L"ключ вне раздела [" + std::wstring(kSection) + L"]: " + line);
    const std::wstring name = Trim(line.substr(0, eq));
    const AnswerKey* key = nullptr;
    for (const AnswerKey& known : kKeys)
      if (util::EqualsNoCase(name, known.key)) key = &known;
    if (!key) return fault(L"неизвестный ключ " + name);
    if (std::find(seen.begin(), seen.end(), key) != seen.end())
      return fault(L"ключ " + name + L" задан дважды");
    seen.push_back(key);
    const std::wstring stored = StoreAnswer(*key, Unquoted(Trim(line.substr(eq + 1))), answers);
    if (!stored.empty()) return fault(stored);
  }
  return L"";
}

void TakeAnswers(const SetupOptions& fromFile, SetupOptions* options) {
  if (options->dir.empty()) options->dir = fromFile.dir;
  if (!options->allGroups && options->groups.empty()) {
    options->allGroups = fromFile.allGroups;
    options->groups = fromFile.groups;
  }
  if (options->acad.empty()) options->acad = fromFile.acad;
  if (options->profile.empty()) options->profile = fromFile.profile;
  // A flag the line does not give cannot say no: the file's yes stands.
  options->bde = options->bde || fromFile.bde;
  options->allUsers = options->allUsers || fromFile.allUsers;
}

}  // namespace app
