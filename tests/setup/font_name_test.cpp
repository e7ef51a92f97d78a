// Reading a TrueType font's full name, from real fonts and from damaged ones.
#include "setup/font_name.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/setup/test_fonts.h"

namespace {

using setup::TrueTypeFullName;
using testfonts::FontWithNames;

TEST(FontName, TheWindowsFullNameInUsEnglishComesFirst) {
  EXPECT_EQ(TrueTypeFullName(testfonts::MinimalFont(L"GOST type A")), L"GOST type A");
  // Another language only: taken when there is no US English one.
  EXPECT_EQ(TrueTypeFullName(FontWithNames({{3, 1, 0x419, 4, L"ГОСТ тип А"}, {3, 1, 0x409, 4, L"GOST A"}})),
            L"GOST A");
  EXPECT_EQ(TrueTypeFullName(FontWithNames({{3, 1, 0x419, 4, L"ГОСТ тип А"}})), L"ГОСТ тип А");
  // "true", the Apple TrueType mark, is TrueType too.
  EXPECT_EQ(TrueTypeFullName(FontWithNames({{3, 1, 0x409, 4, L"A"}}, 0x74727565)), L"A");
}

TEST(FontName, FontsWithoutAUsableNameOrNotTrueTypeGiveNone) {
  const std::string fonts[] = {
      "",
      "plain text, not a font at all",
      FontWithNames({{1, 0, 0, 4, L"Macintosh only"}}),
      FontWithNames({{3, 1, 0x409, 1, L"Family only"}}),
      FontWithNames({{3, 1, 0x409, 4, L"   "}}),
      FontWithNames({{3, 1, 0x409, 4, L"Line\nbreak"}}),
      FontWithNames({{3, 1, 0x409, 4, std::wstring(300, L'x')}}),
      FontWithNames({{3, 1, 0x409, 4, L"CFF outlines"}}, 0x4F54544F),  // "OTTO"
  };
  for (const std::string& font : fonts) EXPECT_EQ(TrueTypeFullName(font), L"") << font.size();
}

// Sets the big-endian 16- or 32-bit field at `at`.
std::string With(std::string font, size_t at, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i, value >>= 8) font[at + static_cast<size_t>(i)] = static_cast<char>(value & 0xFF);
  return font;
}

TEST(FontName, DamagedTablesNeverReadPastTheData) {
  const std::string good = FontWithNames({{3, 1, 0x409, 4, L"GOST"}});
  const size_t name = 28;  // where the name table starts
  const std::string damaged[] = {
      With(With(good, 12, 0x6E616D66, 4), 4, 0xFFFF, 2),  // more tables than the file holds, none "name"
      With(good, 20, 0xFFFFFFF0u, 4),     // the name table's offset past the end
      With(good, 24, 0x7FFFFFFF, 4),      // its length past the end
      With(good, name + 2, 0xFFFF, 2),    // more records than the table holds
      With(good, name + 4, 0xFFFF, 2),    // the strings' offset past the table
      With(good, name + 6 + 8, 0xFFFE, 2),   // a string longer than the table
      With(good, name + 6 + 10, 0xFFF0, 2),  // a string's offset past the table
      With(good, name + 6 + 8, 7, 2),        // an odd length
  };
  for (const std::string& font : damaged) EXPECT_EQ(TrueTypeFullName(font), L"");
  // Cut anywhere, the font gives no name (the last byte is the name's).
  for (size_t size = 0; size < good.size(); ++size)
    EXPECT_EQ(TrueTypeFullName(good.substr(0, size)), L"") << size;
  // Any single byte changed: whatever comes out, nothing is read outside.
  for (size_t at = 0; at < good.size(); ++at) TrueTypeFullName(With(good, at, 0xFF, 1));
}

#ifndef _WIN32
TEST(FontName, RealFontsOfTheSystem) {
  struct Case {
    const char* file;
    const wchar_t* name;
  };
  const Case cases[] = {
      {"/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf", L"DejaVu Sans Condensed"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf", L"DejaVu Serif Bold"},
  };
  for (const Case& c : cases) {
    std::ifstream in(c.file, std::ios::binary);
    ASSERT_TRUE(in) << c.file << " (fonts-dejavu-core)";
    std::string font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(TrueTypeFullName(font), c.name);
    // The real font cut short before its name table ends gives no name, and no crash.
    EXPECT_EQ(TrueTypeFullName(font.substr(0, 4096)), L"");
  }
}
#endif

}  // namespace
