// The filter transforms on synthetic data: the x86 and IA-64 address conversions against
// hand-made instructions, RGB against a forward transform built from the format's description
// (green subtracted from red and blue, then each colour plane coded as the Paeth prediction
// minus the value, plane after plane).
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "unrar/rar29/filters.h"

namespace rar29test {
namespace {

using unrar::rar29::FilterKind;
using unrar::rar29::RunFilter;

std::vector<uint8_t> Filter(FilterKind kind, const std::vector<uint8_t>& in, uint32_t r0 = 0, uint32_t r1 = 0,
                         uint32_t file_offset = 0, bool* ok = nullptr) {
  const uint32_t regs[7] = {r0, r1, 0, 0, uint32_t(in.size()), 0, 0};
  std::vector<uint8_t> out(in.size());
  const bool done = RunFilter(kind, regs, file_offset, in.data(), in.size(), out.data());
  if (ok) *ok = done;
  else EXPECT_TRUE(done);
  return out;
}

TEST(Rar29Filters, X86CallTargetsBecomeRelativeAgain) {
  std::vector<uint8_t> code = {
      0xE8, 0x10, 0x00, 0x00, 0x00,  // absolute 0x10 at operand position 1: relative 0x0F
      0xE8, 0xFF, 0xFF, 0xFF, 0xFF,  // -1 at position 6 lies inside the file: 0x00FFFFFF
      0xE8, 0xF0, 0xFF, 0xFF, 0xFF,  // -16 at position 11: before the file start, left alone
      0xE9, 0x20, 0x00, 0x00, 0x00,  // a jump: only E8E9 converts it
      0x90, 0x90, 0x90, 0x90};
  const std::vector<uint8_t> e8 = Filter(FilterKind::E8, code);
  EXPECT_EQ(std::vector<uint8_t>(e8.begin(), e8.begin() + 5), (std::vector<uint8_t>{0xE8, 0x0F, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(e8.begin() + 5, e8.begin() + 10),
            (std::vector<uint8_t>{0xE8, 0xFF, 0xFF, 0xFF, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(e8.begin() + 10, e8.end()), std::vector<uint8_t>(code.begin() + 10, code.end()));

  const std::vector<uint8_t> e8e9 = Filter(FilterKind::E8E9, code, 0, 0, 0x100);
  // With the block 0x100 into the file, the jump operand at 0x110 turns 0x20 into -0xF0.
  EXPECT_EQ(std::vector<uint8_t>(e8e9.begin() + 15, e8e9.begin() + 20),
            (std::vector<uint8_t>{0xE9, 0x10, 0xFF, 0xFF, 0xFF}));
  // The last four bytes can hold no complete operand.
  std::vector<uint8_t> tail = {0x90, 0xE8, 0x01, 0x00, 0x00};
  EXPECT_EQ(Filter(FilterKind::E8, tail), tail);
}

// A 128-bit IA-64 bundle, bit 0 the lowest bit of byte 0.
struct Bundle {
  uint8_t bytes[16] = {};
  void Set(unsigned pos, unsigned count, uint64_t value) {
    for (unsigned i = 0; i < count; ++i) {
      const unsigned bit = pos + i;
      bytes[bit / 8] = uint8_t((bytes[bit / 8] & ~(1u << (bit % 8))) | (((value >> i) & 1) << (bit % 8)));
    }
  }
  uint64_t Get(unsigned pos, unsigned count) const {
    uint64_t v = 0;
    for (unsigned i = 0; i < count; ++i) v |= uint64_t((bytes[(pos + i) / 8] >> ((pos + i) % 8)) & 1) << i;
    return v;
  }
};

TEST(Rar29Filters, ItaniumBranchTargetsBecomeRelativeAgain) {
  // Template 0x10 (MIB) may hold a branch in slot 2 only; 0x16 (BBB) in all three; 0x00 in none.
  std::vector<Bundle> bundles(4);
  const unsigned slot_start[3] = {5, 46, 87};
  bundles[0].Set(0, 5, 0x10);
  for (unsigned s = 0; s < 3; ++s) bundles[0].Set(slot_start[s] + 37, 4, 5);
  bundles[0].Set(slot_start[2] + 13, 20, 0x12345);
  bundles[0].Set(slot_start[1] + 13, 20, 0x11111);  // slot 1 of this template is never a branch
  bundles[1].Set(0, 5, 0x16);
  for (unsigned s = 0; s < 3; ++s) {
    bundles[1].Set(slot_start[s] + 37, 4, s == 1 ? 4 : 5);  // slot 1 holds another opcode
    bundles[1].Set(slot_start[s] + 13, 20, 0x00003 + s);
  }
  bundles[1].Set(slot_start[0] + 33, 4, 0xF);  // bits next to a target stay as they are
  bundles[2].Set(0, 5, 0x00);
  bundles[2].Set(slot_start[2] + 37, 4, 5);
  bundles[2].Set(slot_start[2] + 13, 20, 0x777);
  bundles[3].Set(0, 5, 0x10);
  bundles[3].Set(slot_start[2] + 37, 4, 5);
  bundles[3].Set(slot_start[2] + 13, 20, 0x500);
  std::vector<uint8_t> data;
  for (const Bundle& b : bundles) data.insert(data.end(), b.bytes, b.bytes + 16);

  const uint32_t file_offset = 0x200;  // bundle number 0x20
  const std::vector<uint8_t> out = Filter(FilterKind::Itanium, data, 0, 0, file_offset);
  std::vector<Bundle> got(4);
  for (size_t i = 0; i < 4; ++i) std::copy(out.begin() + 16 * i, out.begin() + 16 * (i + 1), got[i].bytes);

  EXPECT_EQ(got[0].Get(slot_start[2] + 13, 20), uint64_t(0x12345 - 0x20));
  EXPECT_EQ(got[0].Get(slot_start[1] + 13, 20), 0x11111u);
  EXPECT_EQ(got[1].Get(slot_start[0] + 13, 20), uint64_t((0x00003 - 0x21) & 0xFFFFF));  // wraps in 20 bits
  EXPECT_EQ(got[1].Get(slot_start[1] + 13, 20), 0x00004u);
  EXPECT_EQ(got[1].Get(slot_start[2] + 13, 20), uint64_t((0x00005 - 0x21) & 0xFFFFF));
  EXPECT_EQ(got[1].Get(slot_start[0] + 33, 4), 0xFu);
  EXPECT_EQ(got[1].Get(0, 5), 0x16u);
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 32, out.begin() + 48),
            std::vector<uint8_t>(data.begin() + 32, data.begin() + 48));
  // The last bundle is too near the end of the block to be converted.
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 48, out.end()), std::vector<uint8_t>(data.begin() + 48, data.end()));
}

int Paeth(int left, int up, int up_left) {
  const int p = left + up - up_left;
  const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - up_left);
  if (pa <= pb && pa <= pc) return left;
  return pb <= pc ? up : up_left;
}

// What the compressor does to a picture `width` bytes per row.
std::vector<uint8_t> EncodeRgb(const std::vector<uint8_t>& picture, size_t width, size_t red) {
  std::vector<uint8_t> t = picture;
  for (size_t i = red; i + 2 < t.size(); i += 3) {
    t[i] = uint8_t(t[i] - t[i + 1]);
    t[i + 2] = uint8_t(t[i + 2] - t[i + 1]);
  }
  std::vector<uint8_t> coded;
  for (size_t plane = 0; plane < 3; ++plane) {
    for (size_t i = plane; i < t.size(); i += 3) {
      const int left = i >= 3 ? t[i - 3] : 0;
      const int predicted = i >= width ? Paeth(left, t[i - width + 3], t[i - width]) : left;
      coded.push_back(uint8_t(predicted - t[i]));
    }
  }
  return coded;
}

TEST(Rar29Filters, RgbUndoesPlanePredictionAndGreenDifference) {
  const size_t width = 3 * 7;  // seven pixels a row
  std::vector<uint8_t> picture;
  for (size_t y = 0; y < 9; ++y)
    for (size_t x = 0; x < 7; ++x) {
      picture.push_back(uint8_t(40 * x + 3 * y));       // red
      picture.push_back(uint8_t(200 - 11 * y + x * x)); // green
      picture.push_back(uint8_t((x * y * 37) ^ 0x5A));  // blue
    }
  for (size_t red : {0, 1, 2}) {
    SCOPED_TRACE(red);
    EXPECT_EQ(Filter(FilterKind::Rgb, EncodeRgb(picture, width, red), uint32_t(width), uint32_t(red)), picture);
  }
  // A block that is not a whole number of pixels keeps its tail byte as coded.
  std::vector<uint8_t> ragged(picture.begin(), picture.begin() + 50);
  EXPECT_EQ(Filter(FilterKind::Rgb, EncodeRgb(ragged, width, 0), uint32_t(width), 0), ragged);
}

TEST(Rar29Filters, NonsenseParametersAreRefused) {
  const std::vector<uint8_t> data(64, 1);
  bool ok = true;
  Filter(FilterKind::Rgb, data, 2, 0, 0, &ok);  // narrower than a pixel
  EXPECT_FALSE(ok);
  Filter(FilterKind::Rgb, data, 65, 0, 0, &ok);  // wider than the block
  EXPECT_FALSE(ok);
  Filter(FilterKind::Rgb, data, 9, 3, 0, &ok);  // red beyond the pixel
  EXPECT_FALSE(ok);
  Filter(FilterKind::Delta, data, 0, 0, 0, &ok);
  EXPECT_FALSE(ok);
  Filter(FilterKind::Audio, data, 0, 0, 0, &ok);
  EXPECT_FALSE(ok);
  Filter(FilterKind::Itanium, std::vector<uint8_t>(20, 0), 0, 0, 0, &ok);
  EXPECT_FALSE(ok);
  const std::vector<uint8_t> big(unrar::rar29::MaxFilterBlock(FilterKind::Delta) + 1, 0);
  Filter(FilterKind::Delta, big, 1, 0, 0, &ok);
  EXPECT_FALSE(ok);
}

TEST(Rar29Filters, OnlyTheStandardProgramsAreRecognised) {
  FilterKind kind;
  std::vector<uint8_t> program(53, 0x42);  // the E8 program's length, not its code
  EXPECT_FALSE(unrar::rar29::IdentifyFilter(program.data(), program.size(), &kind));
  EXPECT_FALSE(unrar::rar29::IdentifyFilter(program.data(), 0, &kind));
}

}  // namespace
}  // namespace rar29test
