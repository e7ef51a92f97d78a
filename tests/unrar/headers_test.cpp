// Header fields the corpus does not reach: sizes above 4 GiB in both formats.
#include <gtest/gtest.h>

#include <string>

#include "unrar/headers.h"

namespace unrar_test {
namespace {

TEST(Headers, Rar5SizesAbove4GiBAreKept) {
  const uint64_t size = (uint64_t(5) << 30) + 7;
  std::string h;
  h += '\x02';  // file header
  h += '\x02';  // with a data area
  h += '\x03';  // data size 3
  h += '\x00';  // file flags
  uint64_t v = size;  // unpacked size as a vint
  while (v >= 0x80) {
    h += static_cast<char>(0x80 | (v & 0x7F));
    v >>= 7;
  }
  h += static_cast<char>(v);
  h += '\x20';  // attributes
  h += '\x00';  // compression: stored
  h += '\x00';  // Windows
  h += '\x05';
  h += "big.x";
  unrar::Block block;
  ASSERT_TRUE(unrar::ParseRar5Header(reinterpret_cast<const uint8_t*>(h.data()), h.size(), &block));
  EXPECT_EQ(block.kind, unrar::BlockKind::File);
  EXPECT_EQ(block.entry.unp_size, size);
  EXPECT_EQ(block.entry.pack_size, 3u);
  EXPECT_EQ(block.entry.name, L"big.x");
  // Cut anywhere, the header is refused rather than read past its end.
  for (size_t n = 1; n < h.size(); n++) {
    unrar::Block cut;
    EXPECT_FALSE(unrar::ParseRar5Header(reinterpret_cast<const uint8_t*>(h.data()), n, &cut) &&
                 cut.entry.name == L"big.x")
        << n;
  }
}

TEST(Headers, Rar4HighSizeFieldsAreAdded) {
  std::string h(40, '\0');
  auto put = [&h](size_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; i++) h[at + i] = static_cast<char>(value >> (8 * i));
  };
  put(2, 0x74, 1);                 // file header
  put(3, 0x8000 | 0x0100, 2);      // long block, 64-bit sizes
  put(5, 40 + 3, 2);               // header size
  put(7, 16, 4);                   // packed size, low
  put(11, 0x10, 4);                // unpacked size, low
  put(15, 2, 1);                   // Windows
  put(24, 29, 1);                  // version
  put(25, 0x30, 1);                // stored
  put(26, 3, 2);                   // name size
  put(28, 0x20, 4);
  put(32, 1, 4);                   // packed size, high
  put(36, 2, 4);                   // unpacked size, high
  h += "abc";
  unrar::Block block;
  ASSERT_TRUE(unrar::ParseRar4Header(reinterpret_cast<const uint8_t*>(h.data()), h.size(), &block));
  EXPECT_EQ(block.entry.pack_size, (uint64_t(1) << 32) + 16);
  EXPECT_EQ(block.entry.unp_size, (uint64_t(2) << 32) + 0x10);
  EXPECT_EQ(block.data_size, block.entry.pack_size);
  EXPECT_EQ(block.entry.name, L"abc");
}

}  // namespace
}  // namespace unrar_test
