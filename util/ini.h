#pragma once
// INI files with the Windows private-profile rules, read as Windows-1251 and written back as
// 1251 bytes:
// - section and key names match case-blind (FoldCase), blanks around them ignored;
// - the first of equal sections, and the first of equal keys in it, wins;
// - a value has blanks around it and one pair of enclosing quotes ('...' or "...") removed, and
//   is cut to 2047 characters (what GetPrivateProfileStringW leaves in a 2048-unit buffer);
// - lines without "=" hold no value; comment lines (starting with ';') are never listed;
// - lines before the first section header form a section without a name;
// - writing replaces the first matching key's line, appends a missing key at the end of its
//   section and a missing section at the end of the file, and keeps every other byte.
// A missing, unreadable, empty, binary or enormous file reads as empty: every key gives its
// default. A file that starts with the UTF-16LE mark is read (and written back) as UTF-16, as
// Windows does; one that starts with the UTF-8 mark, as UTF-8.
#include <cstddef>
#include <string>
#include <vector>

namespace util {

constexpr size_t kIniValueMax = 2047;
// Larger files are not read (and never rewritten): they give the defaults.
constexpr size_t kIniFileMax = 16u << 20;

// The blanks trimmed around names and values: fewer than a typed name loses (util::Trim), since
// the private-profile functions keep other control characters.
bool IsIniBlank(wchar_t c);

struct IniEntry {
  std::wstring name;   // as written, trimmed
  std::wstring value;  // as ReadString gives it for this line
};

class IniFile {
 public:
  IniFile() = default;
  // Parses the bytes of a file in Windows-1251.
  static IniFile FromBytes(const std::string& bytes);
  // Files are read and written through platform/file_io.h.

  std::wstring ReadString(const std::wstring& section, const std::wstring& key,
                          const std::wstring& defaultValue) const;
  bool HasSection(const std::wstring& section) const;
  // Every key=value line of the first matching section, in file order (equal keys included).
  std::vector<IniEntry> ReadSection(const std::wstring& section) const;

  // Sets key to value (line breaks in value become blanks, so a value stays one line).
  void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);

  std::string ToBytes() const;

 private:
  struct Line {
    std::wstring text;     // without its line break
    std::wstring newline;  // "\r\n", "\n", "\r" or "" for a last line without one
    // What the text is, worked out once when the line is made.
    enum Kind { Other, Section, Key } kind = Other;
    bool comment = false;  // a key line starting with ';': found by its name, never listed
    std::wstring name;     // section or key name, trimmed
    std::wstring value;    // raw value of a key, trimmed
  };
  static Line MakeLine(std::wstring text, std::wstring newline);
  // Index of the first line after the first matching section's header; npos when absent.
  size_t FindSection(const std::wstring& section) const;
  // Index past the last line of the section whose lines start at `body`.
  size_t SectionEnd(size_t body) const;
  std::wstring NewlineForAppend() const;

  std::vector<Line> lines_;
  bool utf16_ = false;  // the file began with the UTF-16LE mark and is written back so
  bool utf8_ = false;   // the same with the UTF-8 mark
};

}  // namespace util
