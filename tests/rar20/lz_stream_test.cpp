// The RAR 2.0 decoder on streams written symbol by symbol: every kind of match, tables sent as
// deltas, solid entries, the multimedia mode with several channels, and damaged streams. Both
// old decoders on garbage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "tests/rar20/stream_writer.h"
#include "tests/rar5/test_support.h"
#include "unrar/unpack.h"

namespace {

using rar20test::StreamWriter;
using unrar::UnpackParams;
using unrar::UnpackStatus;

using Result = rar5test::DecodeResult;

Result Decode(unrar::Unpacker& unpacker, const std::vector<uint8_t>& packed, uint64_t size, bool solid = false,
              size_t chunk = 1 << 20, int version = 20) {
  UnpackParams params;
  params.version = version;
  params.dict_size = 1 << 20;
  params.unpacked_size = size;
  params.solid = solid;
  return rar5test::Decode(unpacker, packed, params, chunk);
}

std::unique_ptr<unrar::Unpacker> NewDecoder() { return unrar::MakeUnpacker(20); }

std::vector<uint8_t> Text(const char* s) { return std::vector<uint8_t>(s, s + strlen(s)); }

TEST(Rar20Stream, EveryKindOfMatchDecodes) {
  StreamWriter w;
  w.LzTables();
  w.Literals(Text("abcdefgh-abcdefgh"));
  for (int i = 0; i < 250; ++i) w.Literal(uint8_t('A' + i % 26));
  w.Match(2, 9);        // short distance, length 2
  w.Match(2, 200);      // short distance from the last slot range
  w.Match(12, 18);      // a general match
  w.RepeatLast();       // the same length and distance again
  w.OldDistance(1, 5);  // the distance before the last one
  w.OldDistance(3, 4);
  w.Match(258, 1);      // the longest run
  auto e = w.Finish();
  auto d = NewDecoder();
  Result r = Decode(*d, e.packed, e.output.size());
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  EXPECT_EQ(r.out, e.output);
}

TEST(Rar20Stream, FarMatchesCarryTheirLengthBonus) {
  // Distances past 0x2000 and 0x40000 lengthen the match by one and two.
  std::vector<uint8_t> noise;
  uint32_t x = 7;
  for (int i = 0; i < 0x41000; ++i) {
    x = x * 1664525 + 1013904223;
    noise.push_back(uint8_t(x >> 24));
  }
  StreamWriter w;
  w.LzTables();
  w.Literals(noise);
  w.Match(40, 0x3000);
  w.Match(50, 0x40800);
  w.OldDistance(0, 7);   // the far distance again, through the repeat table
  w.OldDistance(1, 9);
  auto e = w.Finish();
  auto d = NewDecoder();
  Result r = Decode(*d, e.packed, e.output.size(), false, 777);
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  EXPECT_TRUE(r.out == e.output);
}

TEST(Rar20Stream, TablesSentAsDeltasToThePreviousOnes) {
  StreamWriter w;
  w.LzTables();
  w.Literals(Text("first tables "));
  w.NewTablesSymbol();
  w.LzTables(true);
  w.Literals(Text("second tables"));
  w.Match(6, 13);
  auto e = w.Finish();
  auto d = NewDecoder();
  Result r = Decode(*d, e.packed, e.output.size());
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  EXPECT_EQ(r.out, e.output);
}

TEST(Rar20Stream, SolidEntriesKeepWindowTablesAndDistances) {
  StreamWriter w;
  w.LzTables();
  w.Literals(Text("shared history of the solid stream"));
  auto first = w.Finish();
  // The second entry has no tables of its own and reaches back into the first.
  w.Match(13, 34);
  w.OldDistance(0, 3);
  w.Literal('!');
  // New tables at the very end of an entry are read for the next one: here, audio tables.
  w.NewTablesSymbol();
  w.AudioTables(1);
  w.Bits(0, 32);  // the stream's padding
  auto second = w.Finish();
  for (int i = 0; i < 100; ++i) w.Sample(uint8_t(i * 4));
  auto third = w.Finish();

  auto d = NewDecoder();
  Result r1 = Decode(*d, first.packed, first.output.size());
  ASSERT_EQ(r1.status, UnpackStatus::Ok);
  EXPECT_EQ(r1.out, first.output);
  Result r2 = Decode(*d, second.packed, second.output.size(), true);
  ASSERT_EQ(r2.status, UnpackStatus::Ok);
  EXPECT_EQ(r2.out, second.output);
  Result r3 = Decode(*d, third.packed, third.output.size(), true);
  ASSERT_EQ(r3.status, UnpackStatus::Ok);
  EXPECT_EQ(r3.out, third.output);
}

TEST(Rar20Stream, MultimediaModeInterleavesChannelsAndSwitchesBackToLz) {
  StreamWriter w;
  w.AudioTables(3);
  for (int i = 0; i < 3000; ++i) {
    w.Sample(uint8_t(i * 2));         // a ramp
    w.Sample(uint8_t(200 - i % 50));  // a saw
    w.Sample(uint8_t((i * i) >> 4));  // a curve
  }
  w.NewTablesSymbol();
  w.AudioTables(2);  // fewer channels: the channel count restarts
  for (int i = 0; i < 500; ++i) {
    w.Sample(uint8_t(i));
    w.Sample(uint8_t(255 - i));
  }
  w.NewTablesSymbol();
  w.LzTables();
  w.Literals(Text("back to LZ"));
  w.Match(100, 2);
  auto e = w.Finish();
  auto d = NewDecoder();
  Result r = Decode(*d, e.packed, e.output.size(), false, 333);
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  EXPECT_TRUE(r.out == e.output);
}

TEST(Rar20Stream, SolidAudioKeepsEachChannelsPredictor) {
  StreamWriter w;
  w.AudioTables(2);
  for (int i = 0; i < 700; ++i) {
    w.Sample(uint8_t(i * 5));
    w.Sample(uint8_t(i * 3));
  }
  w.Sample(1);  // ends on the first channel: the next entry starts with the second
  auto first = w.Finish();
  for (int i = 0; i < 300; ++i) w.Sample(uint8_t(i * 7));
  auto second = w.Finish();
  auto d = NewDecoder();
  ASSERT_EQ(Decode(*d, first.packed, first.output.size()).out, first.output);
  Result r = Decode(*d, second.packed, second.output.size(), true);
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  EXPECT_EQ(r.out, second.output);
}

TEST(Rar20Stream, DamagedStreamsEndWithBadData) {
  StreamWriter w;
  w.LzTables();
  w.Literals(Text("some text to cut short"));
  auto e = w.Finish();
  auto d = NewDecoder();

  // Truncated: the stream ends before the declared size.
  std::vector<uint8_t> cut(e.packed.begin(), e.packed.begin() + std::ptrdiff_t(e.packed.size() / 2));
  Result r = Decode(*d, cut, e.output.size());
  EXPECT_EQ(r.status, UnpackStatus::BadData);
  EXPECT_LE(r.out.size(), e.output.size());

  // A solid continuation of a failed entry cannot be decoded.
  EXPECT_EQ(Decode(*d, e.packed, e.output.size(), true).status, UnpackStatus::BadData);

  // A match reaching before the start of the data.
  StreamWriter far;
  far.LzTables();
  far.Literals(Text("abc"));
  far.Bits(270, 9);  // length 3
  far.Bits(10, 6);   // distance slot 10: 33..48
  far.Bits(0, 4);
  EXPECT_EQ(Decode(*d, far.Finish().packed, 6).status, UnpackStatus::BadData);

  // A code the flat main table does not have.
  StreamWriter bad;
  bad.LzTables();
  bad.Bits(400, 9);
  EXPECT_EQ(Decode(*d, bad.Finish().packed, 1).status, UnpackStatus::BadData);

  // "Repeat the previous length" as the very first table entry.
  StreamWriter first_repeat;
  first_repeat.Bits(0, 2);
  for (int i = 0; i < 19; ++i) first_repeat.Bits(5, 4);
  first_repeat.Bits(16, 5);
  first_repeat.Bits(0, 32);
  first_repeat.Bits(0, 32);
  EXPECT_EQ(Decode(*d, first_repeat.Finish().packed, 1).status, UnpackStatus::BadData);
}

TEST(OldStreams, GarbageNeverProducesMoreThanTheDeclaredSize) {
  uint32_t x = 99;
  for (int round = 0; round < 600; ++round) {
    const int version = round % 2 ? 15 : 20;
    std::vector<uint8_t> junk(64 + round * 7);
    for (uint8_t& b : junk) {
      x = x * 1103515245 + 12345;
      b = uint8_t(x >> 16);
    }
    auto d = unrar::MakeUnpacker(version);
    Result r = Decode(*d, junk, 5000, false, 13, version);
    EXPECT_LE(r.out.size(), 5000u);
    if (r.status == UnpackStatus::Ok) EXPECT_EQ(r.out.size(), 5000u);
    else EXPECT_EQ(r.status, UnpackStatus::BadData);
  }
}

}  // namespace
