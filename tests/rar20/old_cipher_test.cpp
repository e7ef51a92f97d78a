// The RAR 1.5 and 2.0 ciphers: the corpus archive encrypted by RAR 2.02, what a wrong or missing
// password gives, and the ciphers' own properties. Also the old comments inside the headers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/unrar/test_support.h"
#include "unrar/checksum.h"
#include "unrar/crypt_old.h"

namespace {

using unrar_test::CorpusFile;
using unrar_test::OpenedArchive;

// Tests every entry of an archive with the given password ("" for none); the result codes.
std::vector<int> TestAll(const unrar_test::fs::path& archive, const std::string& password) {
  OpenedArchive arc(archive, RAR_OM_EXTRACT);
  EXPECT_NE(arc.handle(), nullptr);
  std::vector<int> codes;
  if (!arc.handle()) return codes;
  if (!password.empty()) {
    std::string p = password;
    RARSetPassword(arc.handle(), &p[0]);
  }
  RARHeaderData h;
  for (int i = 0; i < 100; ++i) {
    std::memset(&h, 0, sizeof h);
    if (RARReadHeader(arc.handle(), &h) != 0) break;
    codes.push_back(RARProcessFile(arc.handle(), RAR_TEST, nullptr, nullptr));
  }
  return codes;
}

TEST(OldCipher, Rar20EntriesDecryptWithTheirPasswordOnly) {
  EXPECT_EQ(TestAll(CorpusFile("rar202-comment-psw.rar"), "password"), (std::vector<int>{0, 0}));
  // A wrong password decrypts to something else: the checksum says so.
  EXPECT_EQ(TestAll(CorpusFile("rar202-comment-psw.rar"), "passwore"), (std::vector<int>{ERAR_BAD_DATA, ERAR_BAD_DATA}));
  EXPECT_EQ(TestAll(CorpusFile("rar202-comment-psw.rar"), ""), (std::vector<int>{ERAR_MISSING_PASSWORD, ERAR_MISSING_PASSWORD}));
}

uint16_t Get16(const std::string& b, size_t at) { return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8)); }
uint32_t Get32(const std::string& b, size_t at) { return Get16(b, at) | (uint32_t(Get16(b, at + 2)) << 16); }

TEST(OldCipher, Rar15EntriesDecryptWithTheirPasswordOnly) {
  // No RAR 1.5 archive with a password is at hand: encrypt the stored second entry of the RAR 1.5
  // corpus archive in a copy, flag it and mend its header checksum.
  std::string arc = unrar_test::ReadFileBytes(CorpusFile("rar15-comment.rar"));
  size_t pos = 7;
  pos += Get16(arc, pos + 5);                                // the main header
  pos += Get16(arc, pos + 5) + size_t(Get32(arc, pos + 7));  // the first entry and its data
  ASSERT_EQ(uint8_t(arc[pos + 2]), 0x74);
  ASSERT_EQ(uint8_t(arc[pos + 24]), 15);    // UNP_VER
  ASSERT_EQ(uint8_t(arc[pos + 25]), 0x30);  // stored
  arc[pos + 3] = char(uint8_t(arc[pos + 3]) | 0x04);
  // With an embedded comment the checksum covers the fixed fields and the name only.
  const size_t covered = 32 + Get16(arc, pos + 26);
  const uint32_t crc = unrar::Crc32(0, arc.data() + pos + 2, covered - 2);
  arc[pos] = char(crc & 0xFF);
  arc[pos + 1] = char((crc >> 8) & 0xFF);
  const size_t data = pos + Get16(arc, pos + 5);
  unrar::Rar15Cipher("old secret").Crypt(reinterpret_cast<uint8_t*>(&arc[data]), Get32(arc, pos + 7));
  unrar_test::TempDir dir;
  const unrar_test::fs::path copy = dir.path() / "encrypted15.rar";
  unrar_test::WriteFileBytes(copy, arc);

  EXPECT_EQ(TestAll(copy, "old secret"), (std::vector<int>{0, 0}));
  EXPECT_EQ(TestAll(copy, "old secreT"), (std::vector<int>{0, ERAR_BAD_DATA}));
}

TEST(OldCipher, Rar20BlocksRoundTripAndChainTheirKeys) {
  std::vector<uint8_t> plain(64);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = uint8_t(i * 7);
  std::vector<uint8_t> data = plain;
  unrar::Rar20Cipher enc("secret");
  for (size_t i = 0; i < data.size(); i += 16) enc.EncryptBlock(&data[i]);
  EXPECT_NE(data, plain);
  // Equal plain blocks encrypt differently: the keys move on with every block.
  std::vector<uint8_t> twice(32, 0x41);
  unrar::Rar20Cipher enc2("secret");
  enc2.EncryptBlock(&twice[0]);
  enc2.EncryptBlock(&twice[16]);
  EXPECT_NE(std::vector<uint8_t>(twice.begin(), twice.begin() + 16), std::vector<uint8_t>(twice.begin() + 16, twice.end()));

  unrar::Rar20Cipher dec("secret");
  for (size_t i = 0; i < data.size(); i += 16) dec.DecryptBlock(&data[i]);
  EXPECT_EQ(data, plain);
}

TEST(OldCipher, Rar15KeystreamDependsOnThePassword) {
  std::vector<uint8_t> a(100, 0), b(100, 0);
  unrar::Rar15Cipher("one").Crypt(a.data(), a.size());
  unrar::Rar15Cipher("two").Crypt(b.data(), b.size());
  EXPECT_NE(a, b);
  EXPECT_NE(a, std::vector<uint8_t>(100, 0));
  // The same keystream undoes it, also when applied in pieces.
  unrar::Rar15Cipher again("one");
  again.Crypt(a.data(), 33);
  again.Crypt(a.data() + 33, 67);
  EXPECT_EQ(a, std::vector<uint8_t>(100, 0));
}

std::string ArchiveComment(const std::string& archive) {
  OpenedArchive arc(CorpusFile(archive), RAR_OM_LIST);
  EXPECT_NE(arc.handle(), nullptr);
  EXPECT_EQ(arc.data().CmtState, 1u) << archive;
  if (arc.data().CmtState != 1) return "";
  return std::string(arc.data().CmtBuf, arc.data().CmtSize > 0 ? arc.data().CmtSize - 1 : 0);
}

TEST(OldComments, CompressedMainCommentsReachTheBuffer) {
  EXPECT_EQ(ArchiveComment("rar202-comment-nopsw.rar"), "RARcomment");
  EXPECT_EQ(ArchiveComment("rar202-comment-psw.rar"), "RARcomment");
  EXPECT_EQ(ArchiveComment("rar15-comment.rar"), "RARcomment -----");
}

// Each entry's comment, as RARReadHeader hands it over.
std::vector<std::string> EntryComments(const std::string& archive) {
  OpenedArchive arc(CorpusFile(archive), RAR_OM_LIST);
  EXPECT_NE(arc.handle(), nullptr);
  std::vector<std::string> out;
  if (!arc.handle()) return out;
  static char buf[65536];
  RARHeaderData h;
  for (int i = 0; i < 100; ++i) {
    std::memset(&h, 0, sizeof h);
    h.CmtBuf = buf;
    h.CmtBufSize = sizeof buf - 1;
    if (RARReadHeader(arc.handle(), &h) != 0) break;
    out.push_back(h.CmtState == 1 ? std::string(buf, h.CmtSize - 1) : "state " + std::to_string(h.CmtState));
    RARProcessFile(arc.handle(), RAR_SKIP, nullptr, nullptr);
  }
  return out;
}

TEST(OldComments, FileCommentsReachTheHeaderRecord) {
  EXPECT_EQ(EntryComments("rar15-comment.rar"), (std::vector<std::string>{"file1comment -----", "file2comment -----"}));
  EXPECT_EQ(EntryComments("rar202-comment-nopsw.rar"), (std::vector<std::string>{"file1comment", "file2comment"}));
  EXPECT_EQ(EntryComments("rar202-comment-psw.rar"), (std::vector<std::string>{"file1comment", "file2comment"}));
  // Archives of later versions have none.
  EXPECT_EQ(EntryComments("rar3-subdirs.rar")[0], "state 0");
}

}  // namespace
