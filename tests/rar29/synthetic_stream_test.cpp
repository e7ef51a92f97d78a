// Hand-made LZ streams: filter records parsed and applied (block start, length, registers, a
// block filtered twice), any program other than the standard ones refused, and the
// end-of-entry code deciding whether the next solid entry reads tables.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/rar5/test_support.h"
#include "unrar/checksum.h"
#include "unrar/rar29/rar29_unpacker.h"

namespace rar29test {
namespace {

using unrar::UnpackStatus;

class BitWriter {
 public:
  void Put(uint32_t value, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) {
      if (used_ % 8 == 0) bytes.push_back(0);
      if ((value >> i) & 1) bytes.back() |= uint8_t(0x80 >> (used_ % 8));
      ++used_;
    }
  }
  std::vector<uint8_t> bytes;

 private:
  size_t used_ = 0;
};

// Tables in which every code of a table has one length, so a symbol's code is its number:
// main 9 bits, distances 6, low distances 5, lengths 5. The level code gives all 20 symbols 5 bits.
void PutTables(BitWriter& w) {
  w.Put(0, 1);  // LZ
  w.Put(0, 1);  // fresh lengths
  for (int i = 0; i < 20; ++i) w.Put(5, 4);
  auto lengths = [&](int count, unsigned length) {
    for (int i = 0; i < count; ++i) w.Put(length, 5);  // level symbol = the length itself
  };
  lengths(299, 9);
  lengths(60, 6);
  lengths(17, 5);
  lengths(28, 5);
}

void PutLiterals(BitWriter& w, const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) w.Put(b, 9);
}

// The variable-length numbers of filter records, in their 32-bit form.
void PutNumber(BitWriter& w, uint32_t v) {
  w.Put(3, 2);
  w.Put(v, 32);
}

// Four bytes appended to `code` so that its CRC-32 becomes `target`: the table's top bytes are
// all different, which lets the register be run backwards through four steps.
std::vector<uint8_t> ForgeCrc(std::vector<uint8_t> code, uint32_t target) {
  uint32_t table[256];
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320 & (0 - (c & 1)));
    table[i] = c;
  }
  uint32_t reg = ~unrar::Crc32(0, code.data(), code.size());
  uint32_t back = ~target;
  uint8_t index[4];
  for (int k = 3; k >= 0; --k) {
    for (uint32_t i = 0; i < 256; ++i)
      if ((table[i] >> 24) == (back >> 24)) index[k] = uint8_t(i);
    back = (back ^ table[index[k]]) << 8;
  }
  for (int k = 0; k < 4; ++k) {
    const uint8_t b = uint8_t((reg ^ index[k]) & 0xFF);
    code.push_back(b);
    reg = (reg >> 8) ^ table[index[k]];
  }
  return code;
}

// Symbol 257 and a record: explicit program number, explicit length, R0 from the register mask,
// and the program's code when it is new.
void PutFilter(BitWriter& w, uint32_t number, uint32_t start, uint32_t length, uint32_t r0,
               const std::vector<uint8_t>* code) {
  BitWriter record;
  PutNumber(record, number + 1);
  PutNumber(record, start);
  PutNumber(record, length);
  record.Put(1, 7);  // R0 only
  PutNumber(record, r0);
  if (code) {
    PutNumber(record, uint32_t(code->size()));
    for (uint8_t b : *code) record.Put(b, 8);
  }
  w.Put(257, 9);
  w.Put(0x80 | 0x20 | 0x10 | 6, 8);  // flags; size code 6: the size is the next byte plus 7
  w.Put(uint32_t(record.bytes.size() - 7), 8);
  for (uint8_t b : record.bytes) w.Put(b, 8);
}

unrar::UnpackParams Params(uint64_t size, bool solid = false) {
  unrar::UnpackParams p;
  p.version = 29;
  p.dict_size = 0x100000;
  p.unpacked_size = size;
  p.solid = solid;
  return p;
}

const std::vector<uint8_t> kDeltaProgram = ForgeCrc(std::vector<uint8_t>(25, 0x11), 0x0E06077D);

TEST(Rar29SyntheticStreams, DeltaFilterRecordIsParsedAndApplied) {
  ASSERT_EQ(kDeltaProgram.size(), 29u);
  BitWriter w;
  PutTables(w);
  PutLiterals(w, {'a', 'b'});
  // Two channels over the next 6 bytes, two bytes on.
  PutFilter(w, 0, 0, 6, 2, &kDeltaProgram);
  PutLiterals(w, {0xFF, 0xFE, 0xFF, 0xFE, 0xFF, 0xFE, 'z'});
  w.Put(256, 9);
  w.Put(0, 2);
  unrar::rar29::Rar29Unpacker unpacker;
  const rar5test::DecodeResult r = rar5test::Decode(unpacker, w.bytes, Params(9));
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  // The coded bytes come channel after channel: the first three make bytes 0, 2, 4 of the block,
  // the next three bytes 1, 3, 5; each value is the previous one of its channel minus the coded byte.
  const std::vector<uint8_t> want = {'a', 'b', 1, 2, 3, 3, 4, 5, 'z'};
  EXPECT_EQ(r.out, want);
}

TEST(Rar29SyntheticStreams, ABlockNamedTwiceIsFilteredTwice) {
  BitWriter w;
  PutTables(w);
  PutFilter(w, 0, 0, 4, 1, &kDeltaProgram);
  PutFilter(w, 0, 0, 4, 1, nullptr);  // the same program again on the same block
  PutLiterals(w, {1, 1, 1, 1});
  w.Put(256, 9);
  w.Put(0, 2);
  unrar::rar29::Rar29Unpacker unpacker;
  const rar5test::DecodeResult r = rar5test::Decode(unpacker, w.bytes, Params(4));
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  // Once: 255 254 253 252; twice: 1 3 6 10 (each minus the once-filtered byte, mod 256).
  EXPECT_EQ(r.out, (std::vector<uint8_t>{1, 3, 6, 10}));
}

TEST(Rar29SyntheticStreams, OtherProgramsAndBadBlocksAreRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> code;
    uint32_t start, length;
  };
  std::vector<uint8_t> other = kDeltaProgram;
  other[3] ^= 1;
  const Case cases[] = {
      {"unknown program", other, 0, 4},
      {"block past the entry's end", kDeltaProgram, 2, 4},
      {"empty block", kDeltaProgram, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BitWriter w;
    PutTables(w);
    PutFilter(w, 0, c.start, c.length, 1, &c.code);
    PutLiterals(w, {1, 2, 3, 4});
    w.Put(256, 9);
    w.Put(0, 2);
    unrar::rar29::Rar29Unpacker unpacker;
    const rar5test::DecodeResult r = rar5test::Decode(unpacker, w.bytes, Params(4));
    EXPECT_EQ(r.status, UnpackStatus::BadData);
    EXPECT_TRUE(r.out.empty());
  }
}

TEST(Rar29SyntheticStreams, ARecordShorterThanItsFieldsIsRefused) {
  BitWriter w;
  PutTables(w);
  w.Put(257, 9);
  w.Put(0x80 | 0x20 | 0x10 | 0, 8);  // a one-byte record that promises 32-bit numbers
  w.Put(0xFF, 8);
  PutLiterals(w, {1, 2, 3, 4});
  unrar::rar29::Rar29Unpacker unpacker;
  const rar5test::DecodeResult r = rar5test::Decode(unpacker, w.bytes, Params(4));
  EXPECT_EQ(r.status, UnpackStatus::BadData);
}

TEST(Rar29SyntheticStreams, EndCodeSaysWhetherTheNextSolidEntryReadsTables) {
  for (bool new_tables : {false, true}) {
    SCOPED_TRACE(new_tables);
    BitWriter first;
    PutTables(first);
    PutLiterals(first, {'x', 'y'});
    first.Put(256, 9);
    first.Put(0, 1);
    first.Put(new_tables, 1);
    // The next entry either goes on with the same codes or starts with tables of its own.
    BitWriter second;
    if (new_tables) PutTables(second);
    PutLiterals(second, {'z'});
    second.Put(256, 9);
    second.Put(0, 2);
    unrar::rar29::Rar29Unpacker unpacker;
    ASSERT_EQ(rar5test::Decode(unpacker, first.bytes, Params(2)).status, UnpackStatus::Ok);
    const rar5test::DecodeResult r = rar5test::Decode(unpacker, second.bytes, Params(1, true));
    ASSERT_EQ(r.status, UnpackStatus::Ok);
    EXPECT_EQ(r.out, std::vector<uint8_t>{'z'});
  }
}

// Output several times longer than the window of a 64 KiB dictionary runs across the ring's end.
// Each unit is a literal and a match of 10 bytes from 4 back; the leads shift where the end falls
// in a unit, so that a literal lands on the ring's last byte, a match writes across the end and
// another reads across it. The expected output is built byte by byte.
TEST(Rar29SyntheticStreams, OutputRunsAcrossTheWindowEnd) {
  constexpr size_t kOutput = 1 << 20;
  for (size_t lead = 4; lead < 4 + 11; ++lead) {
    SCOPED_TRACE(lead);
    std::minstd_rand random{unsigned(lead)};
    BitWriter w;
    PutTables(w);
    std::vector<uint8_t> want;
    auto literal = [&] {
      want.push_back(uint8_t(random()));
      PutLiterals(w, {want.back()});
    };
    while (want.size() < lead) literal();
    while (want.size() + 11 <= kOutput) {
      literal();
      w.Put(271 + 7, 9);  // length slot 7: 10 bytes
      w.Put(3, 6);        // distance slot 3: 4 back
      for (int i = 0; i < 10; ++i) want.push_back(want[want.size() - 4]);
    }
    while (want.size() < kOutput) literal();
    w.Put(256, 9);
    w.Put(0, 2);

    unrar::UnpackParams params = Params(kOutput);
    params.dict_size = 0x10000;
    unrar::rar29::Rar29Unpacker unpacker;
    const rar5test::DecodeResult r = rar5test::Decode(unpacker, w.bytes, params);
    ASSERT_EQ(r.status, UnpackStatus::Ok);
    EXPECT_TRUE(r.out == want);  // not EXPECT_EQ: a megabyte of difference says nothing
  }
}

}  // namespace
}  // namespace rar29test
