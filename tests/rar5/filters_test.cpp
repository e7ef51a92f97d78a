// The filters on their own: a block split by the window's end gives what the whole block gives.
#include <gtest/gtest.h>

#include <vector>

#include "unrar/rar5/filters.h"

namespace {

using unrar::rar5::ApplyFilter;
using unrar::rar5::Filter;
using unrar::rar5::FilterSource;
using unrar::rar5::FilterType;

std::vector<uint8_t> Filtered(const Filter& f, const std::vector<uint8_t>& in, size_t split, uint32_t offset) {
  std::vector<uint8_t> out(in.size());
  const FilterSource src{in.data(), split, in.data() + split, in.size() - split};
  ApplyFilter(f, src, offset, out.data());
  return out;
}

TEST(Rar5Filters, SplitBlocksGiveTheSameResult) {
  std::vector<uint8_t> data(4096);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i % 7 == 0 ? 0xE8 : i % 11 == 0 ? 0xEB : i * 31);
  for (FilterType type : {FilterType::Delta, FilterType::E8, FilterType::E8E9, FilterType::Arm}) {
    Filter f;
    f.type = type;
    f.channels = 5;
    f.length = uint32_t(data.size());
    const std::vector<uint8_t> whole = Filtered(f, data, data.size(), 12345);
    EXPECT_NE(whole, data) << int(type);
    for (size_t split : {size_t(0), size_t(1), size_t(3), size_t(2047), size_t(4095)})
      EXPECT_EQ(Filtered(f, data, split, 12345), whole) << int(type) << " split " << split;
  }
}

TEST(Rar5Filters, X86FilterConvertsCallsAndOnlyE8E9ConvertsJumps) {
  // A CALL at 0 and a JMP at 5, both to absolute 0x100, in a block at file offset 0x10.
  const std::vector<uint8_t> data = {0xE8, 0x00, 0x01, 0, 0, 0xE9, 0x00, 0x01, 0, 0, 0x90, 0x90};
  Filter f;
  f.length = uint32_t(data.size());
  f.type = FilterType::E8;
  const std::vector<uint8_t> calls = Filtered(f, data, data.size(), 0x10);
  EXPECT_EQ(calls, (std::vector<uint8_t>{0xE8, 0xEF, 0, 0, 0, 0xE9, 0x00, 0x01, 0, 0, 0x90, 0x90}));
  f.type = FilterType::E8E9;
  const std::vector<uint8_t> both = Filtered(f, data, data.size(), 0x10);
  EXPECT_EQ(both, (std::vector<uint8_t>{0xE8, 0xEF, 0, 0, 0, 0xE9, 0xEA, 0, 0, 0, 0x90, 0x90}));
}

TEST(Rar5Filters, ArmFilterConvertsBranchWithLinkOnly) {
  // BL to word 0x40 at offset 8 of a block at file offset 0x20; the second word is no BL.
  const std::vector<uint8_t> data = {0, 0, 0, 0, 1, 2, 3, 0xEA, 0x40, 0, 0, 0xEB};
  Filter f;
  f.type = FilterType::Arm;
  f.length = uint32_t(data.size());
  EXPECT_EQ(Filtered(f, data, 6, 0x20), (std::vector<uint8_t>{0, 0, 0, 0, 1, 2, 3, 0xEA, 0x36, 0, 0, 0xEB}));
}

}  // namespace
