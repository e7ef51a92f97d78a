#include "util/codepage.h"

#include <gtest/gtest.h>

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

TEST(FoldCase, FoldsLatinAndCyrillicIncludingYo) {
  EXPECT_EQ(util::FoldCase(L"general Ёё ЯЯяя ґї"), L"GENERAL ЁЁ ЯЯЯЯ ҐЇ");
  EXPECT_EQ(util::FoldCase(L"àÿ"), L"ÀŸ");
  EXPECT_EQ(util::FoldCase(L"1_[]"), L"1_[]");
  EXPECT_TRUE(util::EqualsNoCase(L"Профиль", L"ПРОФИЛЬ"));
  EXPECT_TRUE(util::EqualsNoCase(L"ёлка", L"ЁЛКА"));
  EXPECT_FALSE(util::EqualsNoCase(L"елка", L"ёлка"));
  EXPECT_FALSE(util::EqualsNoCase(L"a", L"ab"));
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
