#include "util/strings.h"

#include <gtest/gtest.h>

#include "util/codepage.h"
#include "util/ini.h"

namespace {

using util::SplitToList;

// One trim, the blanks each caller means: a typed name loses every control character, the INI
// reader only the private-profile functions' blanks, a path's level only its spaces.
TEST(Trim, TakesOffWhatTheCallerCallsBlankAtBothEndsOnly) {
  const auto spaces = [](wchar_t c) { return c == L' '; };
  const struct {
    std::wstring text;
    std::wstring typed, ini, levels;
  } cases[] = {
      {L"  a b  ", L"a b", L"a b", L"a b"},
      {L"\t\r\na\x1A", L"a", L"a", L"\t\r\na\x1A"},
      {L"\x01"
       L"a\x1F",
       L"a",
       L"\x01"
       L"a\x1F",
       L"\x01"
       L"a\x1F"},
      {L"\u00A0a", L"\u00A0a", L"\u00A0a", L"\u00A0a"},  // a no-break space is no blank
      {L" \t ", L"", L"", L"\t"},
      {L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(util::Trim(c.text), c.typed);
    EXPECT_EQ(util::Trim(c.text, util::IsIniBlank), c.ini);
    EXPECT_EQ(util::Trim(c.text, spaces), c.levels);
  }
}

TEST(LeftChars, TakesTheFirstCharactersAndNothingForZeroOrLess) {
  EXPECT_EQ(util::LeftChars(L"abcdef", 3), L"abc");
  EXPECT_EQ(util::LeftChars(L"abc", 3), L"abc");
  EXPECT_EQ(util::LeftChars(L"abc", 0), L"");
  EXPECT_EQ(util::LeftChars(L"abc", -2), L"");
}

TEST(ReplaceAll, CollapsesRunsBecauseEverySearchStartsAgain) {
  EXPECT_EQ(util::ReplaceAll(L"a\\\\\\\\\\b", L"\\\\", L"\\"), L"a\\b");  // five backslashes
  EXPECT_EQ(util::ReplaceAll(L"Firm\\\\\\Sub", L"\\\\", L"\\"), L"Firm\\Sub");
  EXPECT_EQ(util::ReplaceAll(L"1.2.3", L".", L"_"), L"1_2_3");
  EXPECT_EQ(util::ReplaceAll(L"no dots", L".", L"_"), L"no dots");
}

TEST(ReplaceAll, EqualFindAndReplacementOrEmptyFindLeaveTheText) {
  EXPECT_EQ(util::ReplaceAll(L"a.b", L".", L"."), L"a.b");
  EXPECT_EQ(util::ReplaceAll(L"a.b", L"", L"x"), L"a.b");
}

TEST(ReplaceAll, AReplacementHoldingTheSearchEndsAfterOnePass) {
  // Searching from the start again would never stop here.
  EXPECT_EQ(util::ReplaceAll(L"a.b.", L".", L".."), L"a..b..");
}

TEST(FormatText, FillsTheFirstPlaceholderOnceAndOnlyIt) {
  EXPECT_EQ(util::FormatText(L"Профиль %s уже существует!", L"Схемы"),
            L"Профиль Схемы уже существует!");
  EXPECT_EQ(util::FormatText(L"%s and %s", L"a"), L"a and %s");
  EXPECT_EQ(util::FormatText(L"%s!", L"50%s"), L"50%s!");  // a placeholder in the text stays
  EXPECT_EQ(util::FormatText(L"no placeholder", L"x"), L"no placeholder");
}

struct SplitCase {
  const wchar_t* text;
  std::vector<std::wstring> parts;
};

TEST(SplitToList, FollowsTheBarRules) {
  const SplitCase cases[] = {
      {L"a|b||c", {L"a", L"b", L"", L"c"}},
      {L"|a|b", {L"a", L"b"}},
      {L"a|b|", {L"a", L"b"}},
      {L"||a", {L"", L"a"}},
      {L"", {}},
      {L"abc", {L"abc"}},
      {L"|", {}},
      {L"a||", {L"a", L""}},
  };
  for (const SplitCase& c : cases) {
    std::vector<std::wstring> list{L"old"};
    SplitToList(c.text, L'|', list, true);
    EXPECT_EQ(list, c.parts) << "text: " << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(SplitToList, AppendsWithoutClearing) {
  std::vector<std::wstring> list{L"old"};
  SplitToList(L"a|b", L'|', list, false);
  EXPECT_EQ(list, (std::vector<std::wstring>{L"old", L"a", L"b"}));
}

TEST(ConsistsOf, ChecksEveryCharacterCaseSensitively) {
  const std::wstring allowed = L"ABCabc:\\ _";
  EXPECT_TRUE(util::ConsistsOf(L"", allowed));
  EXPECT_TRUE(util::ConsistsOf(L"C:\\abc\\ A_B", allowed));
  EXPECT_FALSE(util::ConsistsOf(L"C:\\a.b", allowed));
  EXPECT_FALSE(util::ConsistsOf(L"D", allowed));
}

TEST(AddBackslash, AppendsOnlyWhenMissing) {
  EXPECT_EQ(util::AddBackslash(L"C:\\X"), L"C:\\X\\");
  EXPECT_EQ(util::AddBackslash(L"C:\\X\\"), L"C:\\X\\");
  EXPECT_EQ(util::AddBackslash(L""), L"\\");
}

// The 866 and 1251 tables (checked against Windows' own) are the measure: a byte that is a Russian
// letter in 866 becomes the same letter in 1251, every other byte stays as it is.
TEST(DosToWin, MovesEveryRussianLetterYoIncludedAndNothingElse) {
  int moved = 0;
  for (int b = 0; b < 256; ++b) {
    const std::string in(1, static_cast<char>(b));
    const wchar_t letter = util::FromCp866(in)[0];
    const bool russian = (letter >= L'А' && letter <= L'я') || letter == L'Ё' || letter == L'ё';
    if (russian) {
      EXPECT_EQ(util::FromCp1251(util::DosToWin(in)), std::wstring(1, letter)) << "byte " << b;
      ++moved;
    } else {
      EXPECT_EQ(util::DosToWin(in), in) << "byte " << b;
    }
  }
  EXPECT_EQ(moved, 66);  // 33 letters, each in two cases
  EXPECT_EQ(util::DosToWin(std::string("A\0B", 3)).size(), 3u);
}

TEST(DosToWin, ADosNameReadsAsTheSameRussianWords) {
  for (const wchar_t* name : {L"Схема_Ёлка.dwg", L"ёжик в тумане", L"ПРОЕКТ проект", L"Щит 1 ЁЖ"})
    EXPECT_EQ(util::FromCp1251(util::DosToWin(util::ToCp866(name))), name);
}

// A character past the BMP counts two units on either build, and is never cut in half.
TEST(LeftUtf16Units, CountsUnitsAndKeepsSurrogatePairsWhole) {
  std::wstring clef;  // U+1D11E, two UTF-16 units
  if (sizeof(wchar_t) == 2)
    clef = {static_cast<wchar_t>(0xD834), static_cast<wchar_t>(0xDD1E)};
  else
    clef = {static_cast<wchar_t>(0x1D11E)};
  const std::wstring text = L"ab" + clef + L"c";
  struct Case {
    size_t units;
    std::wstring left;
  };
  const Case cases[] = {{0, L""}, {2, L"ab"}, {3, L"ab"}, {4, L"ab" + clef}, {5, text}, {99, text}};
  for (const Case& c : cases) EXPECT_EQ(util::LeftUtf16Units(text, c.units), c.left) << c.units;
  EXPECT_EQ(util::LeftUtf16Units(L"Щит управления", 3), L"Щит");
}

TEST(ChangeFileExt, ReplacesTheLastComponentsExtension) {
  EXPECT_EQ(util::ChangeFileExt(L"BIN\\APP.EXE", L".ico"), L"BIN\\APP.ico");
  EXPECT_EQ(util::ChangeFileExt(L"BIN\\APP", L".ico"), L"BIN\\APP.ico");
  EXPECT_EQ(util::ChangeFileExt(L"B.IN\\APP", L".ico"), L"B.IN\\APP.ico");
  EXPECT_EQ(util::ChangeFileExt(L"a.b.c", L".ico"), L"a.b.ico");
}

}  // namespace
