#include "util/codepage.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

TEST(CodePages, EveryByteSurvivesTheRoundTrip) {
  EXPECT_EQ(util::ToCp1251(util::FromCp1251(AllBytes())), AllBytes());
  EXPECT_EQ(util::ToCp866(util::FromCp866(AllBytes())), AllBytes());
}

TEST(CodePages, RussianTextHasItsKnownBytes) {
  EXPECT_EQ(util::ToCp1251(L"Установка Ёё№"), "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0 \xA8\xB8\xB9");
  EXPECT_EQ(util::FromCp1251("\xC0\xDF\xE0\xFF"), L"АЯая");
  EXPECT_EQ(util::ToCp866(L"АЯапрЯяЁё"), "\x80\x9F\xA0\xAF\xE0\x9F\xEF\xF0\xF1");
  EXPECT_EQ(util::FromCp866("\xB3\xC4"), L"│─");
}

TEST(CodePages, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(util::ToCp1251(L"a\u4E2Db\u00E9"), "a?b?");
  EXPECT_EQ(util::ToCp866(L"\u20AC"), "?");
}

TEST(FoldCase, FoldsEveryScriptsLettersToTheirSimpleUpperCase) {
  struct Case {
    const wchar_t* text;
    const wchar_t* folded;
  };
  const Case cases[] = {
      {L"general 1_[]", L"GENERAL 1_[]"},
      {L"àÿ éß", L"ÀŸ Éß"},  // ß has no one-letter upper case
      {L"ёлка ґї ѣ", L"ЁЛКА ҐЇ Ѣ"},
      {L"ǆ ǅ Ǆ", L"Ǆ ǅ Ǆ"},        // the title-case digraph folds nowhere, as in Windows
      {L"σοφία ς", L"ΣΟΦΊΑ ς"},    // nor the final sigma
      {L"µ ı ſ", L"µ ı ſ"},        // nor letters whose upper case belongs to another lower case
      {L"k \u212A", L"K \u212A"},  // the Kelvin sign is not "K"
      {L"աբգ ａｂｃ ⅰⅱ ⓐ", L"ԱԲԳ ＡＢＣ ⅠⅡ Ⓐ"},
      {L"\uAB70\u13F8", L"\u13A0\u13F0"},  // Cherokee small letters fold far down
      {L"\u2C30\u2D00", L"\u2C00\u10A0"},  // Glagolitic, Georgian Nuskhuri
  };
  for (const Case& c : cases)
    EXPECT_EQ(util::FoldCase(c.text), c.folded) << testing::PrintToString(c.text);
}

TEST(FoldCase, LeavesWhatLiesPastTheBasicPlaneAlone) {
  // U+10428 DESERET SMALL LETTER LONG I: one unit natively, a surrogate pair on Windows; either
  // way it is not folded.
  std::wstring deseret;
  if (sizeof(wchar_t) == 2)
    deseret = {static_cast<wchar_t>(0xD801), static_cast<wchar_t>(0xDC28)};
  else
    deseret = {static_cast<wchar_t>(0x10428)};
  EXPECT_EQ(util::FoldCase(deseret + L"a"), deseret + L"A");
  EXPECT_FALSE(util::EqualsNoCase(deseret, L"\U00010400"));
}

TEST(FoldCase, IsStableAndNeverFoldsIntoAscii) {
  for (uint32_t c = 0; c < 0x10000; ++c) {
    const wchar_t folded = util::FoldCase(static_cast<wchar_t>(c));
    EXPECT_EQ(util::FoldCase(folded), folded) << "U+" << std::hex << c;
    // A name that is not ASCII never matches an ASCII one.
    if (c >= 0x80) {
      EXPECT_GE(static_cast<uint32_t>(folded), 0x80u) << "U+" << std::hex << c;
    }
  }
}

TEST(EqualsNoCase, MatchesPathsThatDifferOnlyInCase) {
  EXPECT_TRUE(util::EqualsNoCase(L"Профиль", L"ПРОФИЛЬ"));
  EXPECT_TRUE(util::EqualsNoCase(L"C:\\Program files\\Café\\«Кавычки».txt",
                                 L"c:\\PROGRAM FILES\\CAFÉ\\«КАВЫЧКИ».TXT"));
  EXPECT_TRUE(util::EqualsNoCase(L"ΣΟΦΊΑ", L"σοφία"));
  EXPECT_FALSE(util::EqualsNoCase(L"елка", L"ёлка"));
  EXPECT_FALSE(util::EqualsNoCase(L"a", L"ab"));
  EXPECT_FALSE(util::EqualsNoCase(L"Straße", L"STRASSE"));
}

TEST(CompareNoCase, OrdersAsUpperCaseLikeTheRegistry) {
  // Folding to upper case puts "_" (0x5F) after the letters, as Windows orders key names.
  EXPECT_LT(util::CompareNoCase(L"abc", L"_x"), 0);
  EXPECT_LT(util::CompareNoCase(L"R15.0", L"r16.0"), 0);
  EXPECT_GT(util::CompareNoCase(L"b", L"A"), 0);
  EXPECT_LT(util::CompareNoCase(L"a", L"AB"), 0);
  EXPECT_EQ(util::CompareNoCase(L"Профиль", L"пРОФИЛЬ"), 0);
}

}  // namespace
