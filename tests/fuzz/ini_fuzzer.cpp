// libFuzzer target over the INI reader and writer (UnInstall.ini, Setup.ini, GraphEditor.ini):
// the input is a file's bytes, Windows-1251 or, after their marks, UTF-8 or UTF-16LE. The
// sections and keys the file names are looked up and written. Reading must agree with itself
// (a listed key reads as listed, in any case), a rewrite keeps the file's bytes, and a value
// written reads back as written, changes no other key, and does so again once the bytes are
// read anew.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "util/codepage.h"
#include "util/ini.h"
#include "util/text.h"

namespace {

using util::IniEntry;
using util::IniFile;

constexpr size_t kMaxSections = 12;
constexpr size_t kMaxWrites = 12;
constexpr size_t kMaxKeysChecked = 24;  // a section's first keys: lookups cost a pass over the file
const std::wstring kAbsent = L"\n(absent)";  // no value read holds a line break

enum class Encoding { Cp1251, Utf8, Utf16 };

Encoding EncodingOf(const std::string& bytes) {
  if (bytes.compare(0, 2, "\xFF\xFE") == 0) return Encoding::Utf16;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return Encoding::Utf8;
  return Encoding::Cp1251;
}

std::wstring Text(const std::string& bytes) {
  switch (EncodingOf(bytes)) {
    case Encoding::Utf16: return util::FromUtf16le(std::string_view(bytes).substr(2));
    case Encoding::Utf8: return util::FromUtf8(std::string_view(bytes).substr(3));
    case Encoding::Cp1251: break;
  }
  return util::FromCp1251(bytes);
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t from = 0;
  while (from <= text.size()) {
    const size_t end = text.find_first_of(L"\r\n", from);
    lines.push_back(text.substr(from, end == std::wstring::npos ? std::wstring::npos : end - from));
    if (end == std::wstring::npos) break;
    from = end + 1;
  }
  return lines;
}

// Without the characters up to the space at either end (every blank among them).
std::wstring Stripped(const std::wstring& s) {
  size_t begin = 0, end = s.size();
  while (begin < end && s[begin] <= L' ') ++begin;
  while (end > begin && s[end - 1] <= L' ') --end;
  return s.substr(begin, end - begin);
}

bool OneLine(const std::wstring& s) { return s.find_first_of(L"\r\n") == std::wstring::npos; }
bool Bare(const std::wstring& s) { return Stripped(s) == s && OneLine(s); }

// A key line starting with these would make a file's first bytes its UTF-8 or UTF-16LE mark,
// spelled in Windows-1251: such a file is read in that encoding, as Windows reads it.
bool SpellsAMark(const std::wstring& key) {
  return key.compare(0, 3, L"\x043F\x00BB\x0457") == 0 || key.compare(0, 2, L"\x044F\x044E") == 0;
}

// What a write can give back exactly: a name that makes a key line, and a value the reading
// leaves as it is (no blanks at its ends, no enclosing quotes, within the length read).
bool Writable(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  const bool quoted = value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0];
  return Bare(section) && Bare(key) && key.find(L'=') == std::wstring::npos && (key.empty() || key[0] != L'[') &&
         !SpellsAMark(key) && Bare(value) && !quoted && value.size() <= util::kIniValueMax;
}

// The section names the file's header lines spell, and the one without a name.
std::vector<std::wstring> SectionNames(const std::vector<std::wstring>& lines) {
  std::vector<std::wstring> names = {L""};
  for (const std::wstring& line : lines) {
    const std::wstring header = Stripped(line);
    const size_t close = header.rfind(L']');
    if (header.empty() || header[0] != L'[' || close == std::wstring::npos) continue;
    names.push_back(Stripped(header.substr(1, close - 1)));
    if (names.size() == kMaxSections) break;
  }
  return names;
}

void CheckReading(const IniFile& ini, const std::wstring& section) {
  const std::vector<IniEntry> entries = ini.ReadSection(section);
  FuzzRequire(entries.empty() || ini.HasSection(section), "keys listed for a section that is not there");
  FuzzRequire(ini.HasSection(util::FoldCase(section)) == ini.HasSection(section), "a section found in one case only");
  for (size_t i = 0; i < entries.size() && i < kMaxKeysChecked; ++i) {
    const IniEntry& e = entries[i];
    FuzzRequire(e.value.size() <= util::kIniValueMax, "a value longer than a read gives");
    FuzzRequire(OneLine(e.name) && OneLine(e.value), "a line break in a listed key");
    bool first = true;
    for (size_t j = 0; j < i && first; ++j) first = !util::EqualsNoCase(entries[j].name, e.name);
    if (!first) continue;
    FuzzRequire(ini.ReadString(section, e.name, kAbsent) == e.value, "a listed key reads otherwise");
    FuzzRequire(ini.ReadString(util::FoldCase(section), util::FoldCase(e.name), kAbsent) == e.value,
                "a listed key reads otherwise in another case");
  }
}

// The keys of a section other than `key`, name and value.
std::vector<IniEntry> OtherKeys(const IniFile& ini, const std::wstring& section, const std::wstring& key) {
  std::vector<IniEntry> others;
  for (IniEntry& e : ini.ReadSection(section))
    if (!util::EqualsNoCase(e.name, key)) others.push_back(std::move(e));
  return others;
}

bool SameEntries(const std::vector<IniEntry>& a, const std::vector<IniEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].value != b[i].value) return false;
  return true;
}

void Write(IniFile* ini, const std::vector<std::wstring>& sections, const std::wstring& section,
           const std::wstring& key, const std::wstring& value) {
  if (!Writable(section, key, value)) return;
  std::vector<std::vector<IniEntry>> before;
  for (const std::wstring& s : sections) before.push_back(OtherKeys(*ini, s, util::EqualsNoCase(s, section) ? key : L""));
  ini->WriteString(section, key, value);
  FuzzRequire(ini->ReadString(section, key, kAbsent) == value, "a value written reads otherwise");
  for (size_t i = 0; i < sections.size(); ++i) {
    const std::wstring& s = sections[i];
    FuzzRequire(SameEntries(OtherKeys(*ini, s, util::EqualsNoCase(s, section) ? key : L""), before[i]),
                "writing a key changed another");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  IniFile ini = IniFile::FromBytes(bytes);

  // A rewrite keeps every byte of a file whose text decodes cleanly, and settles at once for any.
  const std::string rewritten = ini.ToBytes();
  const Encoding encoding = EncodingOf(bytes);
  std::wstring strict;
  if (encoding == Encoding::Cp1251 ||
      (encoding == Encoding::Utf8 && util::FromUtf8(std::string_view(bytes).substr(3), &strict, util::BadInput::kRefuse)))
    FuzzRequire(rewritten == bytes, "a rewrite lost bytes of a well-formed file");
  FuzzRequire(IniFile::FromBytes(rewritten).ToBytes() == rewritten, "a rewrite changes the file again");

  const std::vector<std::wstring> lines = Lines(Text(bytes));
  std::vector<std::wstring> sections = SectionNames(lines);
  for (const std::wstring& s : sections) CheckReading(ini, s);

  // Each section's keys get values taken from other lines of the file; then a key and a section
  // that may be new.
  size_t writes = 0;
  for (size_t i = 0; i < sections.size() && writes < kMaxWrites; ++i) {
    for (const IniEntry& e : ini.ReadSection(sections[i])) {
      if (++writes > kMaxWrites) break;
      Write(&ini, sections, sections[i], e.name, Stripped(lines[(writes * 7) % lines.size()]));
    }
  }
  sections.push_back(L"UnInstall");
  Write(&ini, sections, sections.front(), L"Path", L"C:\\Program Files\\Sketrion\\");
  Write(&ini, sections, sections.back(), L"Name", L"Электро 7.2");

  // The bytes written read as the file in memory reads.
  const std::string written = ini.ToBytes();
  const IniFile again = IniFile::FromBytes(written);
  for (const std::wstring& s : sections)
    FuzzRequire(SameEntries(again.ReadSection(s), ini.ReadSection(s)), "the bytes written read otherwise");
  FuzzRequire(again.ToBytes() == written, "the bytes written change on a second rewrite");
  return 0;
}
