#include "util/ini.h"

#include "util/codepage.h"
#include "util/strings.h"
#include "util/text.h"

namespace util {

bool IsIniBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
         c == 0x1A;  // the DOS end-of-file mark some editors leave
}

namespace {

constexpr size_t npos = std::wstring::npos;

std::wstring TrimIni(const std::wstring& s) { return util::Trim(s, IsIniBlank); }

// One pair of enclosing quotes removed, then cut to what a 2048-unit buffer holds.
std::wstring UnquotedValue(const std::wstring& raw) {
  std::wstring value = raw;
  if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  if (value.size() > kIniValueMax) value.resize(kIniValueMax);
  return value;
}

std::wstring OneLine(const std::wstring& s) {
  std::wstring out = s;
  for (wchar_t& c : out)
    if (c == L'\r' || c == L'\n') c = L' ';
  return out;
}

}  // namespace

IniFile::Line IniFile::MakeLine(std::wstring text, std::wstring newline) {
  Line line;
  line.text = std::move(text);
  line.newline = std::move(newline);
  std::wstring trimmed = TrimIni(line.text);
  if (trimmed.empty()) return line;
  if (trimmed[0] == L'[') {
    size_t close = trimmed.rfind(L']');
    if (close == npos) return line;  // a broken header starts no section
    line.kind = Line::Section;
    line.name = TrimIni(trimmed.substr(1, close - 1));
    return line;
  }
  size_t eq = trimmed.find(L'=');
  if (eq == npos) return line;
  line.kind = Line::Key;
  line.comment = trimmed[0] == L';';
  line.name = TrimIni(trimmed.substr(0, eq));
  line.value = TrimIni(trimmed.substr(eq + 1));
  return line;
}

IniFile IniFile::FromBytes(const std::string& bytes) {
  IniFile ini;
  std::wstring text;
  // A file saved as "Unicode" starts with the UTF-16LE mark; Windows reads those too.
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    ini.utf16_ = true;
    text = FromUtf16le(std::string_view(bytes).substr(2));
  } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    // Editors that save "UTF-8" may put its mark first; Wine's profile functions read those too.
    ini.utf8_ = true;
    text = FromUtf8(std::string_view(bytes).substr(3));
  } else {
    text = FromCp1251(bytes);
  }
  size_t from = 0;
  while (from < text.size()) {
    size_t brk = text.find_first_of(L"\r\n", from);
    if (brk == npos) {
      ini.lines_.push_back(MakeLine(text.substr(from), L""));
      from = text.size();
    } else {
      size_t len = (text[brk] == L'\r' && brk + 1 < text.size() && text[brk + 1] == L'\n') ? 2 : 1;
      ini.lines_.push_back(MakeLine(text.substr(from, brk - from), text.substr(brk, len)));
      from = brk + len;
    }
  }
  return ini;
}

std::string IniFile::ToBytes() const {
  std::wstring text;
  for (const Line& line : lines_) text += line.text + line.newline;
  if (utf16_) return "\xFF\xFE" + ToUtf16le(text);
  if (utf8_) return "\xEF\xBB\xBF" + ToUtf8(text);
  return ToCp1251(text);
}

size_t IniFile::FindSection(const std::wstring& section) const {
  std::wstring wanted = TrimIni(section);
  // Lines before the first header form a section without a name, ahead of every other.
  if (wanted.empty()) return 0;
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Line::Section && EqualsNoCase(lines_[i].name, wanted)) return i + 1;
  return npos;
}

size_t IniFile::SectionEnd(size_t body) const {
  size_t i = body;
  while (i < lines_.size() && lines_[i].kind != Line::Section) ++i;
  return i;
}

bool IniFile::HasSection(const std::wstring& section) const { return FindSection(section) != npos; }

std::wstring IniFile::ReadString(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& defaultValue) const {
  size_t body = FindSection(section);
  if (body == npos) return defaultValue;
  std::wstring wanted = TrimIni(key);
  for (size_t i = body, end = SectionEnd(body); i < end; ++i)
    if (lines_[i].kind == Line::Key && EqualsNoCase(lines_[i].name, wanted)) return UnquotedValue(lines_[i].value);
  return defaultValue;
}

std::vector<IniEntry> IniFile::ReadSection(const std::wstring& section) const {
  std::vector<IniEntry> entries;
  size_t body = FindSection(section);
  if (body == npos) return entries;
  for (size_t i = body, end = SectionEnd(body); i < end; ++i)
    if (lines_[i].kind == Line::Key && !lines_[i].comment) entries.push_back({lines_[i].name, UnquotedValue(lines_[i].value)});
  return entries;
}

std::wstring IniFile::NewlineForAppend() const {
  for (const Line& line : lines_)
    if (!line.newline.empty()) return line.newline;  // the file's own convention
  return L"\r\n";
}

void IniFile::WriteString(const std::wstring& section, const std::wstring& key,
                          const std::wstring& value) {
  std::wstring name = OneLine(TrimIni(key));
  std::wstring text = name + L"=" + OneLine(value);
  std::wstring newline = NewlineForAppend();
  size_t body = FindSection(section);
  if (body == npos) {
    if (!lines_.empty() && lines_.back().newline.empty()) lines_.back().newline = newline;
    lines_.push_back(MakeLine(L"[" + OneLine(TrimIni(section)) + L"]", newline));
    lines_.push_back(MakeLine(text, newline));
    return;
  }
  size_t end = SectionEnd(body);
  for (size_t i = body; i < end; ++i) {
    if (lines_[i].kind == Line::Key && EqualsNoCase(lines_[i].name, name)) {
      // The name keeps its spelling in the file; the line becomes name=value.
      lines_[i] = MakeLine(lines_[i].name + L"=" + OneLine(value), lines_[i].newline);
      return;
    }
  }
  // After the section's last non-blank line, so blank lines before the next section stay there.
  size_t at = end;
  while (at > body && TrimIni(lines_[at - 1].text).empty()) --at;
  if (at > 0 && lines_[at - 1].newline.empty()) lines_[at - 1].newline = newline;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), MakeLine(text, newline));
}

}  // namespace util
