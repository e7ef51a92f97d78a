// The RAR 1.5 decoder on streams put together bit by bit from the format's description: the first
// flag byte and literals from the initial sets, a used literal moving to the front of its set, and
// a solid entry that finds the sets as the previous one left them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/rar5/test_support.h"
#include "unrar/unpack.h"

namespace {

using unrar::UnpackStatus;

UnpackStatus Decode(unrar::Unpacker& d, const std::vector<uint8_t>& packed, uint64_t size, bool solid,
                    std::string* out) {
  unrar::UnpackParams params;
  params.version = 15;
  params.dict_size = 64 * 1024;
  params.unpacked_size = size;
  params.solid = solid;
  const rar5test::DecodeResult r = rar5test::Decode(d, packed, params);
  out->assign(r.out.begin(), r.out.end());
  return r.status;
}

// 00001: the flag byte at place 1 of the initial flag set, 0xFF (every flag "1": literals).
// 11100101: place 65 of the literal set ('A'), an 8-bit code of the table in use at the start.
// 00000: place 0, where 'A' has moved after its first use.
// 11100110: place 66, still 'B'.
const std::vector<uint8_t> kAab = {0x0F, 0x28, 0x39, 0x80};

TEST(Rar15Stream, LiteralsMoveToTheFrontOfTheirSet) {
  auto d = unrar::MakeUnpacker(15);
  std::string out;
  ASSERT_EQ(Decode(*d, kAab, 3, false, &out), UnpackStatus::Ok);
  EXPECT_EQ(out, "AAB");
}

TEST(Rar15Stream, SolidEntriesKeepTheSets) {
  // Place 0 of the flag set now holds 0xFF, and place 0 of the literal set 'A'.
  const std::vector<uint8_t> zeros = {0x00, 0x00};
  auto d = unrar::MakeUnpacker(15);
  std::string out;
  ASSERT_EQ(Decode(*d, kAab, 3, false, &out), UnpackStatus::Ok);
  ASSERT_EQ(Decode(*d, zeros, 1, true, &out), UnpackStatus::Ok);
  EXPECT_EQ(out, "A");
  // A fresh decoder reads the same bits differently.
  auto fresh = unrar::MakeUnpacker(15);
  Decode(*fresh, zeros, 1, false, &out);
  EXPECT_NE(out, "A");
}

TEST(Rar15Stream, TruncatedStreamEndsWithBadData) {
  auto d = unrar::MakeUnpacker(15);
  std::string out;
  EXPECT_EQ(Decode(*d, {0x0F}, 3, false, &out), UnpackStatus::BadData);
  EXPECT_LE(out.size(), 3u);
  // The solid continuation of a failed entry is refused.
  EXPECT_EQ(Decode(*d, {0x00, 0x00}, 1, true, &out), UnpackStatus::BadData);
}

}  // namespace
