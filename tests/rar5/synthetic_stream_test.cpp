// The decoder against streams made by the test's own writer: every kind of symbol, the filters
// with known input, solid carry-over, refusals and damage the corpus has no example of.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/rar5/stream_writer.h"
#include "tests/rar5/test_support.h"
#include "unrar/unpack.h"

namespace rar5test {
namespace {

using unrar::UnpackParams;
using unrar::UnpackStatus;

UnpackParams Params(uint64_t unpacked, bool solid = false, int version = 50, uint64_t dict = 1 << 20) {
  UnpackParams p;
  p.version = version;
  p.dict_size = dict;
  p.unpacked_size = unpacked;
  p.solid = solid;
  return p;
}

std::vector<uint8_t> Text(const char* s) { return std::vector<uint8_t>(s, s + std::strlen(s)); }

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

void WriteAllSymbolKinds(StreamWriter& w) {
  w.NewBlock(true);
  w.Literals(Text("abcdefghijklmnopqrstuvwxyz0123456789"));
  w.Match(7, 1);      // a run
  w.Match(25, 3);     // overlapping
  w.Match(300, 9);    // overlapping, long
  w.Match(4097, 2);   // the longest coded length
  for (int i = 0; i < 9000; ++i) w.Literal(uint8_t(i * 7 + i / 13));
  w.NewBlock(false);  // a block that keeps the tables
  w.Match(40, 0x2100);  // far: two length bonuses
  w.Match(12, 0x150);   // one bonus
  w.RepeatLast();
  w.OldDistance(1, 9);
  w.OldDistance(3, 130);
  w.OldDistance(2, 4000);
  w.NewBlock(true);   // fresh tables mid-entry
  w.Literals(Text("tail"));
  w.Match(3, 4);
}

TEST(Rar5Stream, EveryKindOfSymbolRebuildsTheOutput) {
  for (bool v7 : {false, true}) {
    SCOPED_TRACE(v7 ? "version 70" : "version 50");
    StreamWriter w(v7);
    WriteAllSymbolKinds(w);
    const StreamWriter::Entry e = w.Finish();
    auto unpacker = unrar::MakeUnpacker(v7 ? 70 : 50);
    for (size_t chunk : {size_t(1), size_t(3), size_t(1) << 20}) {
      const DecodeResult r = Decode(*unpacker, e.packed, Params(e.output.size(), false, v7 ? 70 : 50), chunk);
      ASSERT_EQ(r.status, UnpackStatus::Ok) << "chunk " << chunk;
      EXPECT_EQ(r.out, e.output);
    }
    // The table layouts differ, so the other version cannot read the stream.
    auto other = unrar::MakeUnpacker(v7 ? 50 : 70);
    const DecodeResult r = Decode(*other, e.packed, Params(e.output.size(), false, v7 ? 50 : 70));
    EXPECT_FALSE(r.status == UnpackStatus::Ok && r.out == e.output);
  }
}

// Each filter gets a block whose original content is known; the writer stores what the
// compressor would have made of it, and the decoder must give the original back.
struct FilterCase {
  int type;
  std::vector<uint8_t> original;
  std::vector<uint8_t> stored;
  int channels = 1;
};

constexpr size_t kPrefix = 1003;                // output before the filter record
constexpr size_t kBlockOffset = kPrefix + 5;    // the record says: starting 5 bytes on

FilterCase X86Case(bool jumps_too) {
  FilterCase c{jumps_too ? 2 : 1, std::vector<uint8_t>(2000, 0x90), {}};
  struct Site { size_t at; uint8_t opcode; uint32_t rel; };
  const Site sites[] = {{10, 0xE8, 0x1234}, {100, 0xE8, 0xFFFFFFE0}, {300, 0xE9, 0x777},
                        {700, 0xE8, 0xFFFFF000}, {1995, 0xE8, 0x42}};
  for (const Site& s : sites) {
    c.original[s.at] = s.opcode;
    Put32(c.original, s.at + 1, s.rel);
  }
  c.stored = c.original;
  for (const Site& s : sites) {
    if (s.opcode == 0xE9 && !jumps_too) continue;
    const uint32_t absolute = s.rel + uint32_t(kBlockOffset + s.at + 1);
    if (int32_t(absolute) >= 0 && absolute < 0x1000000) Put32(c.stored, s.at + 1, absolute);
  }
  return c;
}

FilterCase ArmCase() {
  FilterCase c{3, std::vector<uint8_t>(1024, 0x11), {}};
  const size_t sites[] = {0, 64, 512, 1020};
  for (size_t at : sites) Put32(c.original, at, 0xEB000000 | uint32_t(at * 3));
  c.stored = c.original;
  for (size_t at : sites) {
    const uint32_t target = uint32_t(at * 3) + uint32_t(kBlockOffset + at) / 4;
    Put32(c.stored, at, 0xEB000000 | (target & 0xFFFFFF));
  }
  return c;
}

FilterCase DeltaCase(int channels) {
  FilterCase c{0, std::vector<uint8_t>(999), {}, channels};
  for (size_t i = 0; i < c.original.size(); ++i) c.original[i] = uint8_t(i * i / 7 + (i % channels) * 40);
  for (int ch = 0; ch < channels; ++ch) {
    uint8_t prev = 0;
    for (size_t i = ch; i < c.original.size(); i += channels) {
      c.stored.push_back(uint8_t(prev - c.original[i]));
      prev = c.original[i];
    }
  }
  return c;
}

TEST(Rar5Stream, FiltersRestoreTheirBlocks) {
  const FilterCase cases[] = {X86Case(false), X86Case(true), ArmCase(), DeltaCase(1), DeltaCase(3), DeltaCase(32)};
  for (const FilterCase& c : cases) {
    SCOPED_TRACE("filter type " + std::to_string(c.type) + ", channels " + std::to_string(c.channels));
    ASSERT_NE(c.stored, c.original);
    StreamWriter w;
    w.NewBlock(true);
    for (size_t i = 0; i < kPrefix; ++i) w.Literal(uint8_t('A' + i % 26));
    w.Filter(5, uint32_t(c.stored.size()), c.type, c.channels);
    for (int i = 0; i < 5; ++i) w.Literal('-');
    w.Literals(c.stored);
    w.Literals(Text("after"));
    const StreamWriter::Entry e = w.Finish();

    std::vector<uint8_t> expected = e.output;
    std::copy(c.original.begin(), c.original.end(), expected.begin() + kBlockOffset);
    auto unpacker = unrar::MakeUnpacker(50);
    const DecodeResult r = Decode(*unpacker, e.packed, Params(e.output.size()));
    ASSERT_EQ(r.status, UnpackStatus::Ok);
    EXPECT_EQ(r.out, expected);
  }
}

// A filter block that runs across the end of the ring buffer, in a solid entry whose own
// offsets differ from the window's.
TEST(Rar5Stream, FilterBlockAcrossTheWindowEnd) {
  StreamWriter w;
  w.NewBlock(true);
  w.Literal('x');
  for (size_t produced = 1; produced + 4097 <= 4000000;) {
    w.Match(4097, 1);
    produced += 4097;
  }
  const StreamWriter::Entry first = w.Finish();

  // DELTA of a ramp stores one 0 and then 0xFF throughout: cheap to write as a run.
  const uint32_t length = 0x400000;
  w.NewBlock(false);
  w.Filter(0, length, 0);
  w.Literal(0);
  w.Literal(0xFF);
  size_t left = length - 2;
  for (; left >= 4097; left -= 4097) w.Match(4097, 1);
  if (left >= 2) w.Match(left, 1);
  else if (left == 1) w.Literal(0xFF);
  const StreamWriter::Entry second = w.Finish();

  auto unpacker = unrar::MakeUnpacker(50);
  ASSERT_EQ(Decode(*unpacker, first.packed, Params(first.output.size())).status, UnpackStatus::Ok);
  const DecodeResult r = Decode(*unpacker, second.packed, Params(second.output.size(), true));
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  ASSERT_EQ(r.out.size(), length);
  size_t wrong = 0;
  for (size_t i = 0; i < length; ++i) wrong += r.out[i] != uint8_t(i);
  EXPECT_EQ(wrong, 0u);
}

TEST(Rar5Stream, SolidEntryContinuesWindowTablesAndDistances) {
  StreamWriter w;
  w.NewBlock(true);
  w.Literals(Text("The quick brown fox jumps over the lazy dog. "));
  w.Match(20, 45);
  w.Match(6, 10);
  const StreamWriter::Entry first = w.Finish();
  w.NewBlock(false);      // no tables: the previous entry's are still in force
  w.RepeatLast();         // last length and distance of the previous entry
  w.OldDistance(1, 11);   // an older distance of the previous entry
  w.Match(30, 70);        // reaches back into the previous entry
  w.Literals(Text("!"));
  const StreamWriter::Entry second = w.Finish();

  auto unpacker = unrar::MakeUnpacker(50);
  ASSERT_EQ(Decode(*unpacker, first.packed, Params(first.output.size())).status, UnpackStatus::Ok);
  const DecodeResult r = Decode(*unpacker, second.packed, Params(second.output.size(), true));
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  EXPECT_EQ(r.out, second.output);

  // Without the previous entry there are neither tables nor history.
  auto fresh = unrar::MakeUnpacker(50);
  EXPECT_EQ(Decode(*fresh, second.packed, Params(second.output.size(), true)).status, UnpackStatus::BadData);
  EXPECT_EQ(Decode(*unpacker, second.packed, Params(second.output.size(), false)).status,
            UnpackStatus::BadData);
}

StreamWriter::Entry SmallEntry() {
  StreamWriter w(true);
  w.NewBlock(true);
  w.Literals(Text("small entry, "));
  w.Match(26, 13);
  return w.Finish();
}

TEST(Rar5Stream, DictionaryTheProcessCannotHoldIsNoMemory) {
  const StreamWriter::Entry small = SmallEntry();
  auto unpacker = unrar::MakeUnpacker(70);
  // RAR 7 allows dictionaries far beyond any address space.
  const uint64_t huge = uint64_t(1) << 37;
  EXPECT_EQ(Decode(*unpacker, small.packed, Params(huge, false, 70, huge)).status, UnpackStatus::NoMemory);
  // A solid entry needs the whole dictionary even when it is small itself.
  EXPECT_EQ(Decode(*unpacker, small.packed, Params(small.output.size(), true, 70, huge)).status,
            UnpackStatus::NoMemory);
  // A non-solid entry never reaches back past its own start: it only needs its own size.
  const DecodeResult r = Decode(*unpacker, small.packed, Params(small.output.size(), false, 70, huge));
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  EXPECT_EQ(r.out, small.output);
}

#if defined(_WIN32) && !defined(_WIN64)
// The 32-bit program cannot have a 2 GB or 4 GB window, the largest RAR 5.0 dictionaries.
TEST(Rar5Stream, DictionariesOf2GbAnd4GbAreNoMemoryIn32Bits) {
  const StreamWriter::Entry small = SmallEntry();
  auto unpacker = unrar::MakeUnpacker(50);
  for (uint64_t dict : {uint64_t(1) << 31, uint64_t(1) << 32}) {
    EXPECT_EQ(Decode(*unpacker, small.packed, Params(uint64_t(5) << 30, false, 50, dict)).status,
              UnpackStatus::NoMemory);
  }
  // A window the process can have still works after the refusals.
  StreamWriter w;
  w.NewBlock(true);
  w.Literals(Text("still works"));
  const StreamWriter::Entry e = w.Finish();
  const DecodeResult r = Decode(*unpacker, e.packed, Params(e.output.size(), false, 50, 64 << 20));
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  EXPECT_EQ(r.out, e.output);
}
#endif

// Streams that are wrong in one way each.
TEST(Rar5Stream, DamagedStreamsAreBadData) {
  struct Case {
    const char* what;
    void (*write)(StreamWriter&);
    long size_change;  // declared size against the real output
  };
  const Case cases[] = {
      {"distance before the start", [](StreamWriter& w) { w.Literals(Text("abc")); w.Match(5, 10); }, 0},
      {"unset old distance", [](StreamWriter& w) { w.Literals(Text("abc")); w.OldDistance(2, 3); }, 0},
      {"filter type 5", [](StreamWriter& w) { w.Filter(0, 10, 5); w.Literals(Text("0123456789")); }, 0},
      {"filter past the end", [](StreamWriter& w) { w.Filter(0, 11, 1); w.Literals(Text("0123456789")); }, 0},
      {"filter over 4 MiB",
       [](StreamWriter& w) {
         w.Filter(0, 0x400001, 1);
         w.Literal('a');
         for (int i = 0; i < 1024; ++i) w.Match(4097, 1);
       },
       0},
      {"overlapping filters",
       [](StreamWriter& w) { w.Filter(0, 8, 1); w.Filter(4, 4, 1); w.Literals(Text("0123456789")); }, 0},
      {"more output than declared", [](StreamWriter& w) { w.Literals(Text("0123456789")); }, -1},
      {"less output than declared", [](StreamWriter& w) { w.Literals(Text("0123456789")); }, +1},
      {"long match past the declared end", [](StreamWriter& w) { w.Literal('z'); w.Match(2000, 1); }, -100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StreamWriter w;
    w.NewBlock(true);
    c.write(w);
    const StreamWriter::Entry e = w.Finish();
    auto unpacker = unrar::MakeUnpacker(50);
    const DecodeResult r = Decode(*unpacker, e.packed, Params(e.output.size() + c.size_change));
    EXPECT_EQ(r.status, UnpackStatus::BadData);
    EXPECT_LE(r.out.size(), e.output.size() + c.size_change);
  }

  StreamWriter w;
  w.NewBlock(false);  // the first block of an entry must bring tables
  w.Literals(Text("abc"));
  auto unpacker = unrar::MakeUnpacker(50);
  EXPECT_EQ(Decode(*unpacker, w.Finish().packed, Params(3)).status, UnpackStatus::BadData);

  StreamWriter good;
  good.NewBlock(true);
  good.Literals(Text("abc"));
  std::vector<uint8_t> packed = good.Finish().packed;
  packed[1] ^= 0x10;  // the block header's check byte
  EXPECT_EQ(Decode(*unpacker, packed, Params(3)).status, UnpackStatus::BadData);
}

class FailingSource : public unrar::PackedSource {
 public:
  size_t Read(uint8_t*, size_t, bool* ok) override {
    *ok = false;
    return 0;
  }
};

class RefusingSink : public unrar::UnpackSink {
 public:
  bool Write(const uint8_t*, size_t) override { return false; }
};

TEST(Rar5Stream, SourceAndSinkFailuresAndUnknownMethods) {
  StreamWriter w;
  w.NewBlock(true);
  w.Literals(Text("some data"));
  const StreamWriter::Entry e = w.Finish();
  auto unpacker = unrar::MakeUnpacker(50);

  FailingSource failing;
  RefusingSink refusing;
  class : public unrar::UnpackSink {
   public:
    bool Write(const uint8_t*, size_t) override { return true; }
  } accepting;
  EXPECT_EQ(unpacker->Unpack(Params(e.output.size()), failing, accepting), UnpackStatus::ReadError);

  class OneShot : public unrar::PackedSource {
   public:
    explicit OneShot(const std::vector<uint8_t>& d) : d_(d) {}
    size_t Read(uint8_t* buf, size_t n, bool* ok) override {
      *ok = true;
      n = std::min(n, d_.size() - pos_);
      std::copy(d_.begin() + pos_, d_.begin() + pos_ + n, buf);
      pos_ += n;
      return n;
    }
    const std::vector<uint8_t>& d_;
    size_t pos_ = 0;
  } source(e.packed);
  EXPECT_EQ(unpacker->Unpack(Params(e.output.size()), source, refusing), UnpackStatus::Aborted);

  EXPECT_EQ(Decode(*unpacker, e.packed, Params(e.output.size(), false, 29)).status, UnpackStatus::UnknownMethod);
  EXPECT_EQ(unrar::MakeUnpacker(51), nullptr);
  const DecodeResult r = Decode(*unpacker, e.packed, Params(e.output.size()));
  EXPECT_EQ(r.status, UnpackStatus::Ok);
  EXPECT_EQ(r.out, e.output);
}

}  // namespace
}  // namespace rar5test
