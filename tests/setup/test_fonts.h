#pragma once
// Font files for tests: an sfnt holding only a "name" table, with the records a test asks for.
#include <cstdint>
#include <string>
#include <vector>

namespace testfonts {

struct NameRecord {
  uint16_t platform, encoding, language, nameId;
  std::wstring text;  // written as UTF-16BE
};

inline void Put16(std::string* out, uint32_t v) {
  out->push_back(static_cast<char>(v >> 8 & 0xFF));
  out->push_back(static_cast<char>(v & 0xFF));
}
inline void Put32(std::string* out, uint32_t v) {
  Put16(out, v >> 16);
  Put16(out, v & 0xFFFF);
}

inline std::string FontWithNames(const std::vector<NameRecord>& records, uint32_t version = 0x00010000) {
  std::string strings, table;
  Put16(&table, 0);
  Put16(&table, static_cast<uint32_t>(records.size()));
  Put16(&table, static_cast<uint32_t>(6 + 12 * records.size()));
  for (const NameRecord& r : records) {
    std::string text;
    for (wchar_t c : r.text) Put16(&text, static_cast<uint32_t>(c));
    Put16(&table, r.platform);
    Put16(&table, r.encoding);
    Put16(&table, r.language);
    Put16(&table, r.nameId);
    Put16(&table, static_cast<uint32_t>(text.size()));
    Put16(&table, static_cast<uint32_t>(strings.size()));
    strings += text;
  }
  table += strings;
  std::string font;
  Put32(&font, version);
  Put16(&font, 1);  // one table
  Put16(&font, 16);
  Put16(&font, 0);
  Put16(&font, 0);
  font += "name";
  Put32(&font, 0);   // checksum, not looked at
  Put32(&font, 28);  // the table follows the directory
  Put32(&font, static_cast<uint32_t>(table.size()));
  return font + table;
}

// A font whose US English Windows full name is fullName, with a family name and a Macintosh
// name around it.
inline std::string MinimalFont(const std::wstring& fullName) {
  return FontWithNames({{1, 0, 0, 4, L"Mac name"},
                        {3, 1, 0x409, 1, L"Family"},
                        {3, 1, 0x409, 4, fullName}});
}

}  // namespace testfonts
