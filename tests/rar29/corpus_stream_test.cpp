// The decoder against real RAR 2.9 streams of the corpus, fed straight from the archives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/rar29/rar4_entries.h"
#include "tests/rar5/test_support.h"
#include "unrar/rar29/rar29_unpacker.h"

namespace rar29test {
namespace {

using rar5test::CorpusFile;
using rar5test::Crc32;
using rar5test::Decode;
using rar5test::DecodeResult;
using unrar::UnpackStatus;

std::string Hex(uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

bool IsRar29(const Rar4Entry& e) {
  return e.compressed && !e.encrypted && (e.params.version == 29 || e.params.version == 36);
}

TEST(Rar29CorpusStreams, EveryCompressedEntryDecodesToItsListing) {
  size_t decoded = 0;
  for (const rar5test::ManifestRow& row : rar5test::ReadManifest()) {
    if (row.format != "rar4" || row.expected != "ok") continue;
    SCOPED_TRACE(row.file);
    const std::vector<rar5test::ExpectedEntry> expected = rar5test::ReadExpected(row.file);
    const std::vector<Rar4Entry> entries = ReadRar4Entries(CorpusFile(row.file));
    if (entries.empty()) continue;  // encrypted headers
    if (entries.size() != expected.size()) {
      // Only old-style volume sets, all stored, cannot be followed by this walker.
      EXPECT_TRUE(std::none_of(entries.begin(), entries.end(), IsRar29));
      continue;
    }
    unrar::rar29::Rar29Unpacker unpacker;  // one per archive: solid state carries over
    for (size_t i = 0; i < entries.size(); ++i) {
      if (!IsRar29(entries[i])) continue;
      SCOPED_TRACE(expected[i].name);
      const DecodeResult r = Decode(unpacker, entries[i].packed, entries[i].params);
      ASSERT_EQ(r.status, UnpackStatus::Ok);
      EXPECT_EQ(r.out.size(), expected[i].size);
      EXPECT_EQ(Hex(Crc32(r.out)), expected[i].crc);
      ++decoded;
    }
  }
  EXPECT_GE(decoded, 30u);
}

}  // namespace
}  // namespace rar29test
