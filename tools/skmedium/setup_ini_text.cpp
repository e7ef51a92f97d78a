#include "tools/skmedium/setup_ini_text.h"

#include <cwctype>
#include <map>
#include <set>
#include <vector>

#include "util/codepage.h"
#include "util/ini.h"
#include "util/strings.h"

namespace skmedium {
namespace {

const wchar_t kWhere[] = L"Setup.ini";

// The keys the installer reads, by section (GROUPS takes any key).
const std::map<std::wstring, std::set<std::wstring>>& KnownKeys() {
  static const std::map<std::wstring, std::set<std::wstring>> known = {
      {L"GENERAL", {L"CAPTION", L"NAMEAPPLICATION", L"NAMECOMPANY", L"FILELICENSION",
                    L"NAMEPROFILEGRAPHEDITOR", L"ICON"}},
      {L"EXECUTE", {L"BDE"}},
      {L"LINK", {L"FILELINK", L"DIRLINK", L"FILENAME", L"WORKDIR", L"FILEICON"}},
  };
  return known;
}

std::wstring Trim(const std::wstring& s) {
  size_t begin = 0, end = s.size();
  while (begin < end && (s[begin] == L' ' || s[begin] == L'\t')) ++begin;
  while (end > begin && (s[end - 1] == L' ' || s[end - 1] == L'\t')) --end;
  return s.substr(begin, end - begin);
}

// The number of a section named "Link" and a number as CreateLinks names them (1, 2, ... without
// leading zeros); 0 for any other name.
int LinkNumber(const std::wstring& folded) {
  if (folded.size() < 5 || folded.compare(0, 4, L"LINK") != 0 || folded[4] == L'0') return 0;
  int n = 0;
  for (size_t i = 4; i < folded.size(); ++i) {
    if (folded[i] < L'0' || folded[i] > L'9' || n > 100000) return 0;
    n = n * 10 + (folded[i] - L'0');
  }
  return n;
}

// True for text that decodes as UTF-8 and holds at least one multi-byte sequence: Cyrillic in
// Windows-1251 practically never does.
bool LooksLikeUtf8(const std::string& bytes) {
  bool multibyte = false;
  for (size_t i = 0; i < bytes.size();) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
    if (extra == 9 || (extra == 1 && c < 0xC2)) return false;
    if (extra > 0 && i + extra >= bytes.size()) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    multibyte = multibyte || extra > 0;
    i += extra + 1;
  }
  return multibyte;
}

struct Section {
  std::wstring name;  // as written
  int line = 0;
  std::vector<std::pair<std::wstring, int>> keys;  // names as written, with their lines
};

// The file's sections in order as the reader sees them; keys before any header go to a section
// without a name.
std::vector<Section> Sections(const std::wstring& text, Findings* findings) {
  std::vector<Section> sections(1);
  int number = 0;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find_first_of(L"\r\n", at);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = Trim(text.substr(at, end - at));
    ++number;
    at = end + 1;
    if (end < text.size() && text[end] == L'\r' && at < text.size() && text[at] == L'\n') ++at;
    if (line.empty() || line[0] == L';') {
      if (end >= text.size()) break;
      continue;
    }
    if (line[0] == L'[') {
      size_t close = line.find(L']');
      sections.push_back(Section{Trim(line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1)), number, {}});
    } else if (line.find(L'=') != std::wstring::npos) {
      sections.back().keys.emplace_back(Trim(line.substr(0, line.find(L'='))), number);
    } else if (findings) {
      findings->push_back({kWhere, L"line " + std::to_wstring(number) +
                                       L" is neither [section] nor key=value: the installer ignores it"});
    }
    if (end >= text.size()) break;
  }
  return sections;
}

std::wstring TextOf(const std::string& bytes) {
  // A file with the UTF-16LE mark is read as UTF-16, as Windows does; anything else as 1251.
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
  }
  return util::FromCp1251(bytes);
}

}  // namespace

void CheckSetupIniText(const std::string& bytes, Findings& findings) {
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    findings.push_back({kWhere, L"starts with a UTF-8 byte-order mark: the installer reads Windows-1251, "
                                L"loses the first section and shows the names garbled"});
  } else if (LooksLikeUtf8(bytes)) {
    findings.push_back({kWhere, L"is written in UTF-8: the installer reads Windows-1251 and shows "
                                L"the names garbled"});
  }
  std::vector<Section> sections = Sections(TextOf(bytes), &findings);
  std::set<std::wstring> seenSections;
  for (size_t i = 0; i < sections.size(); ++i) {
    const Section& section = sections[i];
    const std::wstring folded = util::FoldCase(section.name);
    const std::wstring where = i == 0 ? std::wstring(kWhere) : L"[" + section.name + L"]";
    if (i == 0) {
      for (const auto& key : section.keys)
        findings.push_back({kWhere, L"line " + std::to_wstring(key.second) + L": key " + key.first +
                                        L" stands before any section: the installer never reads it"});
      continue;
    }
    if (!seenSections.insert(folded).second) {
      findings.push_back({where, L"line " + std::to_wstring(section.line) +
                                     L": the section appears again: the installer reads only the first"});
      continue;
    }
    const bool link = LinkNumber(folded) > 0;
    auto known = KnownKeys().find(link ? L"LINK" : folded);
    if (known == KnownKeys().end() && folded != L"GROUPS") {
      findings.push_back({where, L"line " + std::to_wstring(section.line) + L": the installer does not read this section"});
      continue;
    }
    std::set<std::wstring> seenKeys;
    for (const auto& key : section.keys) {
      const std::wstring foldedKey = util::FoldCase(key.first);
      const std::wstring at = L"line " + std::to_wstring(key.second) + L": key " + key.first;
      if (!seenKeys.insert(foldedKey).second)
        findings.push_back({where, at + L" appears again: the installer takes only the first"});
      else if (known != KnownKeys().end() && !known->second.count(foldedKey))
        findings.push_back({where, at + L" is not one the installer reads"});
    }
  }

  // Link sections after a gap are never read.
  const int read = LinkSectionsRead(bytes);
  for (const Section& section : sections) {
    const int n = LinkNumber(util::FoldCase(section.name));
    if (n > read + 1)
      findings.push_back({L"[" + section.name + L"]", L"is never read: the shortcuts stop at [Link" +
                                                          std::to_wstring(read + 1) + L"], which is missing or empty"});
  }
}

int LinkSectionsRead(const std::string& bytes) {
  util::IniFile ini = util::IniFile::FromBytes(bytes);
  int n = 0;
  while (!ini.ReadSection(L"Link" + std::to_wstring(n + 1)).empty()) ++n;
  return n;
}

}  // namespace skmedium
