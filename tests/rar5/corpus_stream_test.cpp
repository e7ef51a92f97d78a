// The decoder against real RAR5 streams of the corpus, fed straight from the archives.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "tests/rar5/test_support.h"
#include "unrar/unpack.h"

namespace rar5test {
namespace {

using unrar::UnpackStatus;

std::string Hex(uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

std::vector<ManifestRow> Rar5Archives(const std::string& expected) {
  std::vector<ManifestRow> rows;
  for (const ManifestRow& row : ReadManifest())
    if (row.format == "rar5" && row.expected == expected && row.password == "-") rows.push_back(row);
  return rows;
}

TEST(Rar5CorpusStreams, EveryCompressedEntryDecodesToItsListing) {
  size_t decoded = 0;
  for (const ManifestRow& row : Rar5Archives("ok")) {
    SCOPED_TRACE(row.file);
    std::vector<ExpectedEntry> expected = ReadExpected(row.file);
    std::vector<bool> used(expected.size(), false);
    std::unique_ptr<unrar::Unpacker> unpacker;  // one per archive: solid state carries over
    for (const CorpusEntry& entry : ReadRar5Entries(CorpusFile(row.file))) {
      if (!entry.compressed) continue;
      SCOPED_TRACE(entry.name);
      if (!unpacker) unpacker = unrar::MakeUnpacker(entry.params.version);
      ASSERT_TRUE(unpacker);
      const DecodeResult r = Decode(*unpacker, entry.packed, entry.params);
      ASSERT_EQ(r.status, UnpackStatus::Ok);
      size_t i = 0;
      while (i < expected.size() && (used[i] || expected[i].name != entry.name)) ++i;
      ASSERT_LT(i, expected.size()) << "not in the listing";
      used[i] = true;
      EXPECT_EQ(r.out.size(), expected[i].size);
      EXPECT_EQ(Hex(Crc32(r.out)), expected[i].crc);
      ++decoded;
    }
  }
  // The corpus holds this many compressed RAR5 entries outside encrypted archives.
  EXPECT_GE(decoded, 60u);
}

TEST(Rar5CorpusStreams, LargeOutputReachesTheSinkInLargeBlocks) {
  const std::vector<CorpusEntry> entries = ReadRar5Entries(CorpusFile("Large.rar"));
  ASSERT_EQ(entries.size(), 1u);
  auto unpacker = unrar::MakeUnpacker(50);
  const DecodeResult r = Decode(*unpacker, entries[0].packed, entries[0].params);
  ASSERT_EQ(r.status, UnpackStatus::Ok);
  ASSERT_EQ(r.out.size(), 64u << 20);
  EXPECT_LE(r.writes, 100u);  // about one write per MiB
  EXPECT_GE(r.writes, 32u);   // yet not everything at the end
}

TEST(Rar5CorpusStreams, SolidEntryNeedsTheEntriesBeforeIt) {
  std::vector<CorpusEntry> entries;
  for (const CorpusEntry& e : ReadRar5Entries(CorpusFile("Rar5.solid.rar")))
    if (e.compressed) entries.push_back(e);
  ASSERT_GE(entries.size(), 3u);
  ASSERT_TRUE(entries[1].params.solid);
  auto fresh = unrar::MakeUnpacker(50);
  EXPECT_NE(Decode(*fresh, entries[1].packed, entries[1].params).status, UnpackStatus::Ok);

  // After a failed entry the solid chain cannot go on, but a non-solid entry starts afresh.
  EXPECT_EQ(Decode(*fresh, entries[2].packed, entries[2].params).status, UnpackStatus::BadData);
  EXPECT_EQ(Decode(*fresh, entries[0].packed, entries[0].params).status, UnpackStatus::Ok);
  EXPECT_EQ(Decode(*fresh, entries[1].packed, entries[1].params).status, UnpackStatus::Ok);
}

// Truncations, flipped bits and odd read sizes: an error or the declared size, never more, and
// always an end (the test's timeout catches a hang).
TEST(Rar5CorpusStreams, DamagedStreamsEndCleanly) {
  std::mt19937 rng(20261207);
  for (const char* file : {"test_read_format_rar5_arm.rar", "test_read_format_rar5_multiarchive.part01.rar",
                           "Rar5.rar", "test_read_format_rar5_win32.rar"}) {
    SCOPED_TRACE(file);
    for (const CorpusEntry& entry : ReadRar5Entries(CorpusFile(file))) {
      if (!entry.compressed || entry.params.solid || entry.packed.size() < 16) continue;
      const std::vector<uint8_t>& good = entry.packed;
      auto unpacker = unrar::MakeUnpacker(entry.params.version);
      for (size_t cut : {size_t(0), size_t(1), size_t(4), good.size() / 3, good.size() / 2, good.size() - 1}) {
        std::vector<uint8_t> bad(good.begin(), good.begin() + cut);
        const DecodeResult r = Decode(*unpacker, bad, entry.params);
        EXPECT_NE(r.status, UnpackStatus::Ok) << "cut at " << cut;
        EXPECT_LE(r.out.size(), entry.params.unpacked_size);
      }
      for (int round = 0; round < 60; ++round) {
        std::vector<uint8_t> bad = good;
        for (int flips = 1 + round % 3; flips > 0; --flips) bad[rng() % bad.size()] ^= uint8_t(1 << (rng() % 8));
        const DecodeResult r = Decode(*unpacker, bad, entry.params, 1 + rng() % 5000);
        if (r.status == UnpackStatus::Ok)
          EXPECT_EQ(r.out.size(), entry.params.unpacked_size);
        else
          EXPECT_LE(r.out.size(), entry.params.unpacked_size);
      }
      // The unpacker that saw all that still decodes the intact stream.
      const DecodeResult r = Decode(*unpacker, good, entry.params, 7);
      EXPECT_EQ(r.status, UnpackStatus::Ok);
      EXPECT_EQ(r.out.size(), entry.params.unpacked_size);
    }
  }
}

// The corpus's fuzzed archives carry garbage method versions; their streams fail either way.
TEST(Rar5CorpusStreams, FuzzedCorpusStreamsFail) {
  size_t tried = 0;
  for (const ManifestRow& row : Rar5Archives("error")) {
    SCOPED_TRACE(row.file);
    std::vector<CorpusEntry> entries;
    try {
      entries = ReadRar5Entries(CorpusFile(row.file));
    } catch (const std::exception&) {
      continue;  // headers too broken to find a stream
    }
    for (CorpusEntry& entry : entries) {
      if (entry.packed.empty()) continue;
      for (int version : {50, 70}) {
        auto unpacker = unrar::MakeUnpacker(version);
        entry.params.version = version;
        entry.params.solid = false;
        entry.params.dict_size = std::min<uint64_t>(entry.params.dict_size, 1 << 22);
        const DecodeResult r = Decode(*unpacker, entry.packed, entry.params);
        EXPECT_NE(r.status, UnpackStatus::Ok);
        ++tried;
      }
    }
  }
  EXPECT_GE(tried, 4u);
}

}  // namespace
}  // namespace rar5test
