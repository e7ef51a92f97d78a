#include "util/text.h"

#include <gtest/gtest.h>

namespace util {
namespace {

// "Ж€𝄞": two, three and four UTF-8 bytes; the last is a pair of units on Windows.
const std::string kSampleUtf8 = "\xD0\x96\xE2\x82\xAC\xF0\x9D\x84\x9E";
std::wstring Sample() {
  std::wstring text = L"Ж€";
  AppendCodePoint(&text, 0x1D11E);
  return text;
}

TEST(Text, WellFormedTextRoundTripsThroughEveryForm) {
  EXPECT_EQ(ToUtf8(Sample()), kSampleUtf8);
  EXPECT_EQ(FromUtf8(kSampleUtf8), Sample());
  EXPECT_EQ(FromUtf16(ToUtf16(Sample())), Sample());
  EXPECT_EQ(ToUtf16(Sample()).size(), 4u);  // the clef is a surrogate pair in UTF-16
  EXPECT_EQ(FromUtf16le(ToUtf16le(Sample())), Sample());
  for (BadInput bad : {BadInput::kReplace, BadInput::kRefuse, BadInput::kAsLatin1}) {
    std::wstring text;
    EXPECT_TRUE(FromUtf8(kSampleUtf8, &text, bad));
    EXPECT_EQ(text, Sample());
  }
}

TEST(Text, EachPolicyHandlesBadUtf8AsItSays) {
  struct Case {
    const char* what;
    std::string bytes;
    std::wstring replaced, asLatin1;
  };
  const Case cases[] = {
      {"lone continuation byte", "a\x80" "b", L"a\uFFFD" L"b", L"a\u0080" L"b"},
      {"overlong slash", "\xC0\xAF", L"\uFFFD\uFFFD", L"\u00C0\u00AF"},
      {"encoded surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD", L"\u00ED\u00A0\u0080"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD", L"\u00F4\u0090\u0080\u0080"},
      {"cut sequence at the end", "x\xE2\x82", L"x\uFFFD\uFFFD", L"x\u00E2\u0082"},
      {"1251 text", "\xCF\xF3\xF1\xEA", L"\uFFFD\uFFFD\uFFFD\uFFFD", L"\u00CF\u00F3\u00F1\u00EA"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::wstring text = L"left over";
    EXPECT_FALSE(FromUtf8(c.bytes, &text, BadInput::kRefuse));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(FromUtf8(c.bytes, &text, BadInput::kReplace));
    EXPECT_EQ(text, c.replaced);
    EXPECT_FALSE(FromUtf8(c.bytes, &text, BadInput::kAsLatin1));
    EXPECT_EQ(text, c.asLatin1);
  }
}

TEST(Text, UnpairedSurrogatesBecomeTheReplacementCharacter) {
  const std::u16string units = {u'a', 0xD800, u'b', 0xDC00};
  EXPECT_EQ(FromUtf16(units), L"a\uFFFD" L"b\uFFFD");
  std::wstring lone = L"a";
  lone += static_cast<wchar_t>(0xDC00);
  std::string bytes;
  EXPECT_FALSE(ToUtf8(lone, &bytes, BadInput::kReplace));
  EXPECT_EQ(bytes, "a\xEF\xBF\xBD");
  EXPECT_FALSE(ToUtf8(lone, &bytes, BadInput::kRefuse));
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(FromUtf16le(std::string("a\0b", 3)), L"a");  // an odd last byte is no unit
}

}  // namespace
}  // namespace util
