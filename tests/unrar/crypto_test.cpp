// The platform's primitives against published vectors (CNG under Wine, libcrypto natively), and
// the library's own parts: BLAKE2s/BLAKE2sp and the RAR5 key chain.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/crypto.h"
#include "unrar/checksum.h"
#include "util/crc32_fold.h"
#include "unrar/rar_keys.h"
#include "unrar/unrar.h"

namespace unrar_test {
namespace {

namespace crypto = platform::crypto;

std::string Hex(const uint8_t* p, size_t n) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; i++) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

TEST(Crypto, Sha1AndSha256MatchTheStandardVectors) {
  uint8_t d[32];
  auto sha1 = crypto::NewSha1();
  ASSERT_TRUE(sha1);
  ASSERT_TRUE(sha1->Update("ab", 2));
  auto copy = sha1->Clone();  // a copy finishes on its own, the original goes on
  ASSERT_TRUE(copy && copy->Final(d));
  EXPECT_EQ(Hex(d, 20), "da23614e02469a0d7c7bd1bdab5c9c474b1904dc");
  ASSERT_TRUE(sha1->Update("c", 1) && sha1->Final(d));
  EXPECT_EQ(Hex(d, 20), "a9993e364706816aba3e25717850c26c9cd0d89d");
  ASSERT_TRUE(crypto::Sha256("abc", 3, d));
  EXPECT_EQ(Hex(d, 32), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Crypto, HmacAndPbkdf2MatchTheRfcVectors) {
  uint8_t mac[32];
  std::string key(20, '\x0b');
  ASSERT_TRUE(crypto::HmacSha256(key.data(), key.size(), "Hi There", 8, mac));  // RFC 4231, case 1
  EXPECT_EQ(Hex(mac, 32), "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
  uint8_t out[64];
  ASSERT_TRUE(crypto::Pbkdf2HmacSha256("passwd", 6, "salt", 4, 1, out, 64));  // RFC 7914, section 11
  EXPECT_EQ(Hex(out, 64),
            "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
            "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
}

TEST(Crypto, AesCbcDecryptsTheNistVectorsAcrossCalls) {
  // SP 800-38A F.2.2 (AES-128) and F.2.6 (AES-256), first two blocks.
  std::string iv = Unhex("000102030405060708090a0b0c0d0e0f");
  std::string k128 = Unhex("2b7e151628aed2a6abf7158809cf4f3c");
  std::string c128 = Unhex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2");
  auto aes = crypto::NewAesCbcDecryptor(reinterpret_cast<const uint8_t*>(k128.data()), 16,
                                        reinterpret_cast<const uint8_t*>(iv.data()));
  ASSERT_TRUE(aes);
  uint8_t* p = reinterpret_cast<uint8_t*>(&c128[0]);
  ASSERT_TRUE(aes->Decrypt(p, 16) && aes->Decrypt(p + 16, 16));  // the chain carries over
  EXPECT_EQ(Hex(p, 32), "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51");
  std::string k256 = Unhex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
  std::string c256 = Unhex("f58c4c04d6e5f1ba779eabfb5f7bfbd6");
  aes = crypto::NewAesCbcDecryptor(reinterpret_cast<const uint8_t*>(k256.data()), 32,
                                   reinterpret_cast<const uint8_t*>(iv.data()));
  ASSERT_TRUE(aes && aes->Decrypt(reinterpret_cast<uint8_t*>(&c256[0]), 16));
  EXPECT_EQ(Hex(reinterpret_cast<const uint8_t*>(c256.data()), 16), "6bc1bee22e409f96e93d7e117393172a");
  EXPECT_FALSE(aes->Decrypt(reinterpret_cast<uint8_t*>(&c256[0]), 15));
}

TEST(Checksums, Crc32AndBlake2sMatchTheirVectors) {
  EXPECT_EQ(unrar::Crc32(0, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(unrar::Crc32(unrar::Crc32(0, "1234", 4), "56789", 5), 0xCBF43926u);
  unrar::Blake2s b;  // RFC 7693, appendix B
  b.Update(reinterpret_cast<const uint8_t*>("abc"), 3);
  uint8_t d[32];
  b.Final(d);
  EXPECT_EQ(Hex(d, 32), "508c5e8c327c14e2e1a72ba34eeb452f37458b209ed63a294d999b4c86675982");
}

TEST(Checksums, Crc32FoldingAgreesWithTheTablesOnEveryLengthAndAlignment) {
  // The folding path runs wherever the CPU has carry-less multiply (any x86 of the last decade,
  // so both the native and the Wine run); the tables are the reference.
  std::vector<uint8_t> data(70000);
  uint32_t seed = 12345;
  for (auto& b : data) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 23);
  namespace crc = util::crc32_detail;
  if (!crc::FoldAvailable()) GTEST_SKIP() << "this CPU has no carry-less multiply";
  for (size_t offset = 0; offset < 16; offset++)
    for (size_t n : {0, 1, 15, 16, 63, 64, 65, 127, 128, 129, 255, 256, 1000, 4096, 65537}) {
      for (uint32_t start : {0u, 0xFFFFFFFFu, 0x12345678u})
        ASSERT_EQ(crc::FoldUpdate(start, data.data() + offset, n),
                  crc::TableUpdate(start, data.data() + offset, n))
            << "offset " << offset << ", length " << n << ", register " << start;
    }
  // Through the public function, in pieces of every size, against one pass.
  uint32_t whole = unrar::Crc32(0, data.data(), data.size()), pieces = 0;
  for (size_t pos = 0, step = 1; pos < data.size(); pos += step, step = step * 7 % 3001 + 1)
    pieces = unrar::Crc32(pieces, data.data() + pos, std::min(step, data.size() - pos));
  EXPECT_EQ(pieces, whole);
  EXPECT_EQ(whole, ~crc::TableUpdate(0xFFFFFFFFu, data.data(), data.size()));
}

TEST(Checksums, Blake2spMatchesThePublishedUnkeyedVectors) {
  uint8_t d[32];
  unrar::Blake2sp empty;
  empty.Final(d);
  EXPECT_EQ(Hex(d, 32), "dd0e891776933f43c7d032b08a917e25741f8aa9a12c12e1cac8801500f2ca4f");
  unrar::Blake2sp one;
  const uint8_t zero = 0;
  one.Update(&zero, 1);
  one.Final(d);
  EXPECT_EQ(Hex(d, 32), "a6b9eecc25227ad788c99d3f236debc8da408849e9a5178978727a81457f7239");
}

TEST(Checksums, Blake2spIsTheSameInAnyPieces) {
  std::string data(5000, '\0');
  for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<char>(i * 7 + 3);
  uint8_t whole[32], pieces[32];
  unrar::Blake2sp a;
  a.Update(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  a.Final(whole);
  unrar::Blake2sp b;
  for (size_t pos = 0, step = 1; pos < data.size(); pos += step, step = step * 3 % 97 + 1)
    b.Update(reinterpret_cast<const uint8_t*>(data.data()) + pos, std::min(step, data.size() - pos));
  b.Final(pieces);
  EXPECT_EQ(Hex(whole, 32), Hex(pieces, 32));
  // The RAR-made archives with BLAKE2sp checksums (rar5-blake.rar, Rar5.crc_blake2.rar) check
  // the tree mode against real data in the corpus tests.
}

TEST(RarKeys, TheRar5ChainStartsWithPlainPbkdf2AndChecksThePassword) {
  uint8_t salt[16];
  for (int i = 0; i < 16; i++) salt[i] = static_cast<uint8_t>(i * 17);
  unrar::Rar5Keys keys;
  ASSERT_TRUE(unrar::DeriveRar5Keys("password", salt, 10, &keys));
  uint8_t reference[32];
  ASSERT_TRUE(crypto::Pbkdf2HmacSha256("password", 8, salt, 16, 1 << 10, reference, 32));
  EXPECT_EQ(Hex(keys.key, 32), Hex(reference, 32));
  EXPECT_NE(Hex(keys.hash_key, 32), Hex(keys.key, 32));
  // A stored check record: the 8 folded bytes and the start of their SHA-256.
  uint8_t stored[12];
  memcpy(stored, keys.check, 8);
  uint8_t digest[32];
  ASSERT_TRUE(crypto::Sha256(stored, 8, digest));
  memcpy(stored + 8, digest, 4);
  EXPECT_EQ(unrar::CheckRar5Password(keys, stored), unrar::PasswordCheck::Match);
  unrar::Rar5Keys other;
  ASSERT_TRUE(unrar::DeriveRar5Keys("Password", salt, 10, &other));
  EXPECT_EQ(unrar::CheckRar5Password(other, stored), unrar::PasswordCheck::Mismatch);
  stored[9] ^= 1;
  EXPECT_EQ(unrar::CheckRar5Password(keys, stored), unrar::PasswordCheck::Damaged);
  EXPECT_FALSE(unrar::DeriveRar5Keys("password", salt, unrar::kRar5MaxKdfLog2 + 1, &keys));
}

TEST(RarKeys, NewSaltsStopBeingDerivedOnceTheBudgetIsSpent) {
  unrar::KeyCache cache(0x80000);  // two RAR3 derivations
  uint8_t salts[3][8] = {{1}, {2}, {3}};
  uint8_t key[16], iv[16], again[16];
  EXPECT_TRUE(cache.Rar3(u"pw", salts[0], key, iv));
  EXPECT_TRUE(cache.Rar3(u"pw", salts[1], key, iv));
  EXPECT_FALSE(cache.Rar3(u"pw", salts[2], key, iv));
  EXPECT_EQ(cache.failure_code(), ERAR_BAD_DATA);
  // What was derived stays at hand.
  EXPECT_TRUE(cache.Rar3(u"pw", salts[0], again, iv));
  EXPECT_TRUE(cache.Rar3(u"pw", salts[0], key, iv));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(key), 16), std::string(reinterpret_cast<char*>(again), 16));
}

}  // namespace
}  // namespace unrar_test
