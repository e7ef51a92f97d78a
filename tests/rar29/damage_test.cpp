// Damaged and hostile streams: truncated and bit-flipped corpus streams end with an error after
// bounded work and never produce more than the declared size; solid entries need their
// predecessors; PPMd block headers asking for what cannot be.
#include <gtest/gtest.h>

#include <random>

#include "tests/rar29/rar4_entries.h"
#include "tests/rar5/test_support.h"
#include "unrar/rar29/rar29_unpacker.h"

namespace rar29test {
namespace {

using rar5test::CorpusFile;
using rar5test::Decode;
using rar5test::DecodeResult;
using unrar::UnpackStatus;

// The first RAR 2.9 entry of an archive (LZ, PPMd, filters, by the archive chosen).
Rar4Entry FirstRar29Entry(const std::string& archive) {
  for (const Rar4Entry& e : ReadRar4Entries(CorpusFile(archive)))
    if (e.compressed && (e.params.version == 29 || e.params.version == 36)) return e;
  ADD_FAILURE() << "no RAR 2.9 entry in " << archive;
  return {};
}

const char* const kSamples[] = {
    "test_read_format_rar_compress_normal.rar",        // LZ
    "test_read_format_rar_filter.rar",                 // DELTA and E8E9 filters
    "Rar.Audio_program.rar",                           // AUDIO filter
    "test_read_format_rar_ppmd_lzss_conversion.rar",   // PPMd and LZ blocks in turn
    "test_read_format_rar_compress_best.rar",          // PPMd
};

// The last bytes of a stream may hold only its end code, so the cuts stop short of them.
TEST(Rar29Damage, TruncatedStreamsFail) {
  for (const char* archive : kSamples) {
    SCOPED_TRACE(archive);
    const Rar4Entry entry = FirstRar29Entry(archive);
    ASSERT_GT(entry.packed.size(), 16u);
    for (size_t keep : {size_t(0), size_t(1), size_t(5), entry.packed.size() / 3, entry.packed.size() / 2,
                        entry.packed.size() * 9 / 10}) {
      SCOPED_TRACE(keep);
      std::vector<uint8_t> cut(entry.packed.begin(), entry.packed.begin() + keep);
      unrar::rar29::Rar29Unpacker unpacker;
      const DecodeResult r = Decode(unpacker, cut, entry.params, 4096);
      EXPECT_EQ(r.status, UnpackStatus::BadData);
      EXPECT_LT(r.out.size(), entry.params.unpacked_size);
    }
  }
}

TEST(Rar29Damage, FlippedBitsNeverOverrunTheDeclaredSize) {
  std::mt19937 rng(29);
  for (const char* archive : kSamples) {
    SCOPED_TRACE(archive);
    const Rar4Entry entry = FirstRar29Entry(archive);
    size_t failures = 0;
    for (int round = 0; round < 40; ++round) {
      std::vector<uint8_t> damaged = entry.packed;
      for (int flips = 0; flips < 3; ++flips) {
        const size_t bit = rng() % (damaged.size() * 8);
        damaged[bit / 8] ^= uint8_t(1u << (bit % 8));
      }
      unrar::rar29::Rar29Unpacker unpacker;
      const DecodeResult r = Decode(unpacker, damaged, entry.params);
      ASSERT_TRUE(r.status == UnpackStatus::Ok || r.status == UnpackStatus::BadData ||
                  r.status == UnpackStatus::NoMemory);
      if (r.status == UnpackStatus::Ok) EXPECT_EQ(r.out.size(), entry.params.unpacked_size);
      else {
        EXPECT_LE(r.out.size(), entry.params.unpacked_size);
        ++failures;
      }
    }
    // Most damage is noticed by the decoder itself; the rest is left to the CRC.
    EXPECT_GT(failures, 20u);
  }
}

TEST(Rar29Damage, SolidEntryNeedsTheEntriesBeforeIt) {
  std::vector<Rar4Entry> entries;
  for (const Rar4Entry& e : ReadRar4Entries(CorpusFile("Rar.solid.rar")))
    if (e.compressed) entries.push_back(e);
  ASSERT_GE(entries.size(), 3u);
  ASSERT_TRUE(entries[1].params.solid);
  unrar::rar29::Rar29Unpacker fresh;
  EXPECT_NE(Decode(fresh, entries[1].packed, entries[1].params).status, UnpackStatus::Ok);
  // After a failed entry the solid chain cannot go on, but a non-solid entry starts afresh.
  EXPECT_EQ(Decode(fresh, entries[2].packed, entries[2].params).status, UnpackStatus::BadData);
  EXPECT_EQ(Decode(fresh, entries[0].packed, entries[0].params).status, UnpackStatus::Ok);
  EXPECT_EQ(Decode(fresh, entries[1].packed, entries[1].params).status, UnpackStatus::Ok);
}

// A PPMd block header: flags (0x80 PPMd, 0x20 new model with its memory byte, low bits the
// order), then the range decoder's first four bytes and some data.
std::vector<uint8_t> PpmBlock(uint8_t flags, uint8_t megabytes) {
  std::vector<uint8_t> s = {uint8_t(0x80 | flags)};
  if (flags & 0x20) s.push_back(megabytes);
  for (int i = 0; i < 64; ++i) s.push_back(uint8_t(i * 37));
  return s;
}

TEST(Rar29Damage, ImpossiblePpmdHeadersAreRefused) {
  unrar::UnpackParams params;
  params.version = 29;
  params.dict_size = 0x100000;
  params.unpacked_size = 1000;
  {
    SCOPED_TRACE("order 1");
    unrar::rar29::Rar29Unpacker unpacker;
    EXPECT_EQ(Decode(unpacker, PpmBlock(0x20 | 0, 1), params).status, UnpackStatus::BadData);
  }
  {
    SCOPED_TRACE("continues a model that does not exist");
    unrar::rar29::Rar29Unpacker unpacker;
    EXPECT_EQ(Decode(unpacker, PpmBlock(0x05, 0), params).status, UnpackStatus::BadData);
  }
  {
    SCOPED_TRACE("the largest model memory there is");
    unrar::rar29::Rar29Unpacker unpacker;
    const DecodeResult r = Decode(unpacker, PpmBlock(0x20 | 5, 0xFF), params);
    EXPECT_TRUE(r.status == UnpackStatus::BadData || r.status == UnpackStatus::NoMemory);
    EXPECT_LE(r.out.size(), params.unpacked_size);
  }
}

}  // namespace
}  // namespace rar29test
