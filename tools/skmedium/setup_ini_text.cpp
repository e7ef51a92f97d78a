#include "tools/skmedium/setup_ini_text.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <vector>

#include "formats/setup_ini.h"
#include "util/codepage.h"
#include "util/ini.h"
#include "util/strings.h"
#include "util/text.h"

namespace skmedium {
namespace {

const wchar_t kWhere[] = L"Setup.ini";

// Names and values lose the blanks the installer's reader trims.
std::wstring Trim(const std::wstring& s) { return util::Trim(s, util::IsIniBlank); }

// True for text that decodes as UTF-8 and holds at least one byte past ASCII: Cyrillic in
// Windows-1251 practically never does.
bool LooksLikeUtf8(const std::string& bytes) {
  const bool pastAscii = std::any_of(bytes.begin(), bytes.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  std::wstring text;
  return pastAscii && util::FromUtf8(bytes, &text, util::BadInput::kRefuse);
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
    // As the reader: a header ends at its last "]", and one without any starts no section.
    const size_t close = line[0] == L'[' ? line.rfind(L']') : std::wstring::npos;
    if (close != std::wstring::npos) {
      sections.push_back(Section{Trim(line.substr(1, close - 1)), number, {}});
    } else if (line[0] != L'[' && line.find(L'=') != std::wstring::npos) {
      sections.back().keys.emplace_back(Trim(line.substr(0, line.find(L'='))), number);
    } else if (findings) {
      findings->push_back({kWhere, L"line " + std::to_wstring(number) +
                                       L" is neither [section] nor key=value: the installer ignores it"});
    }
    if (end >= text.size()) break;
  }
  return sections;
}

// A Version the entry cannot show.
void CheckVersion(const std::string& bytes, Findings& findings) {
  const std::wstring version = formats::ReadSetupIni(util::IniFile::FromBytes(bytes)).version;
  if (!version.empty() && !formats::IsVersion(version))
    findings.push_back({L"[GENERAL]", L"Version " + version +
                                          L" is not one to four dot-separated numbers: the "
                                          L"uninstall entry shows no version"});
}

std::wstring TextOf(const std::string& bytes) {
  // A file with the UTF-16LE mark is read as UTF-16, as Windows does; anything else as 1251.
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    return util::FromUtf16le(std::string_view(bytes).substr(2));
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
    if (!formats::ReadsSection(section.name)) {
      findings.push_back({where, L"line " + std::to_wstring(section.line) + L": the installer does not read this section"});
      continue;
    }
    std::set<std::wstring> seenKeys;
    for (const auto& key : section.keys) {
      const std::wstring foldedKey = util::FoldCase(key.first);
      const std::wstring at = L"line " + std::to_wstring(key.second) + L": key " + key.first;
      if (!seenKeys.insert(foldedKey).second)
        findings.push_back({where, at + L" appears again: the installer takes only the first"});
      else if (!formats::ReadsKey(section.name, key.first))
        findings.push_back({where, at + L" is not one the installer reads"});
    }
  }

  CheckVersion(bytes, findings);
  // Link sections after a gap are never read.
  const int read = LinkSectionsRead(bytes);
  for (const Section& section : sections) {
    const int n = formats::LinkNumber(section.name);
    if (n > read + 1)
      findings.push_back({L"[" + section.name + L"]", L"is never read: the shortcuts stop at [Link" +
                                                          std::to_wstring(read + 1) + L"], which is missing or empty"});
  }
}

int LinkSectionsRead(const std::string& bytes) {
  return static_cast<int>(formats::ReadSetupIni(util::IniFile::FromBytes(bytes)).links.size());
}

}  // namespace skmedium
