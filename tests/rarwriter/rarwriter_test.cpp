// The writer's own contract: the AES cipher it carries, where entries land, reproducible output,
// and refusing what the formats cannot hold. Whether readers accept its archives is peer_test's.
#include <cstring>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "tests/rarwriter/aes_encrypt.h"
#include "tests/rarwriter/rarwriter.h"

namespace {
using rarwriter::Archive;
using rarwriter::Format;

std::string Hex(const uint8_t* p, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

TEST(AesEncryptor, MatchesTheStandardsExampleVectors) {
  std::string key;
  for (int i = 0; i < 32; ++i) key += static_cast<char>(i);
  const uint8_t plain[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                             0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
  uint8_t out[16];
  rarwriter::AesEncryptor(key.substr(0, 16)).EncryptBlock(plain, out);
  EXPECT_EQ(Hex(out, 16), "69c4e0d86a7b0430d8cdb78070b4c55a");
  rarwriter::AesEncryptor(key).EncryptBlock(plain, out);
  EXPECT_EQ(Hex(out, 16), "8ea2b7ca516745bfeafc49904b496089");
}

class WriterTest : public ::testing::TestWithParam<Format> {};

TEST_P(WriterTest, LayoutPointsAtEachEntrysData) {
  Archive a;
  a.format = GetParam();
  a.entries = {rarwriter::MakeFile(a.format, "a.txt", "alpha"), rarwriter::MakeDirectory(a.format, "dir"),
               rarwriter::MakeFile(a.format, "dir/b.txt", "bravo bravo")};
  const rarwriter::Written w = rarwriter::Write(a);
  ASSERT_EQ(w.entries.size(), 3u);
  EXPECT_EQ(w.bytes.substr(w.entries[0].data_offset, w.entries[0].data_size), "alpha");
  EXPECT_EQ(w.entries[1].data_size, 0u);
  EXPECT_EQ(w.bytes.substr(w.entries[2].data_offset, w.entries[2].data_size), "bravo bravo");
  EXPECT_LT(w.entries[0].header_offset, w.entries[0].data_offset);
  EXPECT_LT(w.entries[0].data_offset, w.entries[1].header_offset);
}

TEST_P(WriterTest, EncryptedOutputDependsOnlyOnInputAndSeed) {
  Archive a;
  a.format = GetParam();
  a.password = "Sketrion_Setup_2005A";
  a.rar5_kdf_log2 = 4;
  a.entries = {rarwriter::MakeFile(a.format, "secret.txt", "the same plain text, twice over")};
  a.entries[0].encrypted = true;
  const std::string first = rarwriter::Write(a).bytes;
  EXPECT_EQ(rarwriter::Write(a).bytes, first);
  const rarwriter::Written w = rarwriter::Write(a);
  EXPECT_EQ(w.entries[0].data_size, 32u);  // padded to the AES block
  EXPECT_EQ(w.bytes.find("the same plain text"), std::string::npos);
  a.seed = 2;
  EXPECT_NE(rarwriter::Write(a).bytes, first);
}

TEST_P(WriterTest, RefusesWhatTheFormatCannotHold) {
  Archive a;
  a.format = GetParam();
  a.entries = {rarwriter::MakeFile(a.format, "secret.txt", "x")};
  a.entries[0].encrypted = true;
  EXPECT_THROW(rarwriter::Write(a), std::invalid_argument);  // no password

  Archive h;
  h.format = GetParam();
  h.encrypt_headers = true;
  EXPECT_THROW(rarwriter::Write(h), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(BothFormats, WriterTest, ::testing::Values(Format::Rar4, Format::Rar5),
                         [](const ::testing::TestParamInfo<Format>& info) {
                           return info.param == Format::Rar4 ? "Rar4" : "Rar5";
                         });

TEST(Rar4Writer, RefusesLongPasswordsAndNames) {
  Archive a;
  a.format = Format::Rar4;
  a.password = std::string(28, 'p');  // needs RAR 2.9's altered SHA-1
  a.entries = {rarwriter::MakeFile(a.format, "x", "x")};
  EXPECT_THROW(rarwriter::Write(a), std::invalid_argument);

  Archive n;
  n.format = Format::Rar4;
  rarwriter::Entry e;
  e.oem_name = std::string(70000, 'n');
  n.entries = {e};
  EXPECT_THROW(rarwriter::Write(n), std::invalid_argument);
}

TEST(WriterNames, Cp866AndUtf16ConversionsKeepCyrillic) {
  const std::u16string name = rarwriter::Utf8ToUtf16("Ёлка/пАПКА №1");
  EXPECT_EQ(rarwriter::Utf16ToUtf8(name), "Ёлка/пАПКА №1");
  EXPECT_EQ(rarwriter::ToCp866(name), "\xf0\xab\xaa\xa0/\xaf\x80\x8f\x8a\x80 \xfc\x31");
  EXPECT_EQ(rarwriter::ToCp866(u"\u00e9"), "?");  // not in 866
}

}  // namespace
