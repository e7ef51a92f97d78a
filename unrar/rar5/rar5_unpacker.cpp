#include "unrar/rar5/rar5_unpacker.h"

#include <algorithm>

namespace unrar::rar5 {
namespace {

constexpr size_t kMainCodes = 306;
constexpr size_t kDistCodes = 64;
constexpr size_t kDistCodesV7 = 80;
constexpr size_t kLowDistCodes = 16;
constexpr size_t kLenCodes = 44;
constexpr size_t kMaxPendingFilters = 8192;

// A window always holds the largest filter block and the matches decoded past it.
constexpr uint64_t kMinWindow = kMaxFilterBlock + 0x10000;

// Match lengths: slots below 8 are the length itself, higher ones carry extra bits.
template <class Bits>
inline size_t SlotToLength(Bits& bits, uint32_t slot) {
  if (slot < 8) return slot + 2;
  const unsigned extra = slot / 4 - 1;
  return 2 + ((4 | (slot & 3)) << extra) + bits.Read(extra);
}

uint32_t ReadFilterNumber(BitCursor& bits) {
  const unsigned bytes = bits.Read(2) + 1;
  uint32_t value = 0;
  for (unsigned i = 0; i < bytes; ++i) value |= bits.Read(8) << (8 * i);
  return value;
}

}  // namespace

Rar5Unpacker::Rar5Unpacker() : WindowDecoder(kMaxMatch, kMinWindow) {}

UnpackStatus Rar5Unpacker::Prepare(const UnpackParams& params) {
  // The cap only keeps the arithmetic below from overflowing; such a window is refused anyway.
  const UnpackStatus status = PrepareWindow(params, std::min<uint64_t>(params.dict_size, uint64_t(1) << 62));
  if (status != UnpackStatus::Ok) return status;
  if (!params.solid) {
    tables_ready_ = false;
    std::fill(std::begin(old_dist_), std::end(old_dist_), 0);
    last_len_ = 0;
  }
  extra_dist_ = params.version == 70;
  filters_end_ = produced_;
  return UnpackStatus::Ok;
}

UnpackStatus Rar5Unpacker::DecodeEntry() {
  if (!input_.Refill()) return UnpackStatus::ReadError;
  if (input_.Eof() && input_.DataEnd() == 0)
    return entry_end_ == produced_ ? UnpackStatus::Ok : UnpackStatus::BadData;

  UnpackStatus status = ReadBlockHeader();
  for (bool done = false; status == UnpackStatus::Ok && !done;) {
    if (input_.Pos() >= input_border_) {
      status = ServiceInput(&done);
      continue;
    }
    status = ServiceOutput();
    if (status != UnpackStatus::Ok) break;
    status = budget_ > kMaxMatch ? DecodeRun<false>() : DecodeRun<true>();
  }
  if (status != UnpackStatus::Ok) return status;
  return FinishEntry();
}

void Rar5Unpacker::UpdateInputBorder() {
  const uint64_t block_end = block_end_ - input_.BaseBits();
  input_border_ = size_t(std::min<uint64_t>(block_end, input_.SafeEnd()));
}

UnpackStatus Rar5Unpacker::ServiceInput(bool* entry_done) {
  if (input_.Eof() && input_.Pos() > input_.DataEnd()) return UnpackStatus::BadData;  // truncated
  const uint64_t position = input_.ToAbsolute(input_.Pos());
  if (position >= block_end_) {
    // A symbol running past the end of its block means the stream is damaged.
    if (position > block_end_) return UnpackStatus::BadData;
    if (last_block_) {
      *entry_done = true;
      return UnpackStatus::Ok;
    }
    return ReadBlockHeader();
  }
  if (input_.Eof()) return UnpackStatus::BadData;
  if (!input_.Refill()) return UnpackStatus::ReadError;
  UpdateInputBorder();
  return UnpackStatus::Ok;
}

UnpackStatus Rar5Unpacker::ReadBlockHeader() {
  BitCursor bits = input_.Cursor();
  bits.AlignToByte();
  input_.SetPos(bits.pos);
  if (input_.NeedsRefill() && !input_.Refill()) return UnpackStatus::ReadError;

  bits = input_.Cursor();
  const uint32_t flags = bits.Read(8);
  const uint32_t check = bits.Read(8);
  const unsigned size_bytes = ((flags >> 3) & 3) + 1;
  if (size_bytes == 4) return UnpackStatus::BadData;
  uint32_t size = 0;
  uint32_t expected = 0x5A ^ flags;
  for (unsigned i = 0; i < size_bytes; ++i) {
    const uint32_t byte = bits.Read(8);
    size |= byte << (8 * i);
    expected ^= byte;
  }
  if (check != expected || size == 0) return UnpackStatus::BadData;
  if (input_.Eof() && bits.pos > input_.DataEnd()) return UnpackStatus::BadData;

  block_end_ = input_.ToAbsolute(bits.pos) + uint64_t(size - 1) * 8 + (flags & 7) + 1;
  last_block_ = (flags & 0x40) != 0;
  input_.SetPos(bits.pos);
  if (flags & 0x80) {
    const UnpackStatus status = ReadTables();
    if (status != UnpackStatus::Ok) return status;
  } else if (!tables_ready_) {
    return UnpackStatus::BadData;
  }
  if (input_.ToAbsolute(input_.Pos()) > block_end_) return UnpackStatus::BadData;
  if (input_.Eof() && input_.Pos() > input_.DataEnd()) return UnpackStatus::BadData;
  UpdateInputBorder();
  return UnpackStatus::Ok;
}

UnpackStatus Rar5Unpacker::ReadTables() {
  BitCursor bits = input_.Cursor();
  const size_t dist_codes = extra_dist_ ? kDistCodesV7 : kDistCodes;
  uint8_t lengths[kMainCodes + kDistCodesV7 + kLowDistCodes + kLenCodes];
  if (!ReadCodeLengths(bits, nullptr, lengths, kMainCodes + dist_codes + kLowDistCodes + kLenCodes))
    return UnpackStatus::BadData;

  BuildTables(lengths, {{&main_, kMainCodes},
                        {&dist_, dist_codes},
                        {&low_dist_, kLowDistCodes},
                        {&rep_len_, kLenCodes}});
  tables_ready_ = true;
  input_.SetPos(bits.pos);
  return UnpackStatus::Ok;
}

// The decoding loop, up to the end of the block or of the input in the buffer. A symbol above the
// literals is a filter record, a new match or one repeating a recent distance.
template <bool kCareful>
UnpackStatus Rar5Unpacker::DecodeRun() {
  const size_t max_history = window_.MaxHistory();
  return DecodeLz<kCareful, kMaxMatch>(
      input_border_, main_,
      [&](uint32_t symbol, BitBuffer& bits, size_t run_produced, LzMatch& match) {
        if (symbol >= 262) {
          if (symbol >= kMainCodes) return LzAction::BadData;
          match.length = SlotToLength(bits, symbol - 262);
          bits.Refill();  // the distance code and up to 34 extra bits
          const uint32_t slot = dist_.Decode(bits);
          if (slot == HuffmanTable::kInvalid) return LzAction::BadData;
          uint64_t distance = 1;
          if (slot < 4) {
            distance += slot;
          } else {
            const unsigned extra = slot / 2 - 1;
            distance += uint64_t(2 | (slot & 1)) << extra;
            if (extra >= 4) {
              distance += bits.ReadLong(extra - 4) << 4;
              bits.Refill();
              const uint32_t low = low_dist_.Decode(bits);
              if (low == HuffmanTable::kInvalid) return LzAction::BadData;
              distance += low;
            } else {
              distance += bits.Read(extra);
            }
          }
          // Far matches are never short: the compressor leaves their shortest lengths out.
          if (distance > 0x100) {
            ++match.length;
            if (distance > 0x2000) {
              ++match.length;
              if (distance > 0x40000) ++match.length;
            }
          }
          if (distance > max_history) return LzAction::BadData;
          PushDistance(old_dist_, size_t(distance));
          last_len_ = match.length;
          match.distance = distance;
          return LzAction::Copy;
        }
        if (symbol == 256) {
          BitCursor filter_bits{bits.base, bits.Pos()};
          const bool ok = ReadFilter(filter_bits, produced_ + run_produced);
          bits = BitBuffer(filter_bits.buf, filter_bits.pos);
          return ok ? LzAction::None : LzAction::BadData;
        }
        if (symbol == 257) {
          if (last_len_ == 0) return LzAction::None;
          match.length = last_len_;
          match.distance = old_dist_[0];
          return LzAction::Copy;
        }
        const size_t index = symbol - 258;
        const size_t distance = old_dist_[index];
        for (size_t i = index; i > 0; --i) old_dist_[i] = old_dist_[i - 1];
        old_dist_[0] = distance;
        const uint32_t slot = rep_len_.Decode(bits);
        if (slot == HuffmanTable::kInvalid) return LzAction::BadData;
        match.length = SlotToLength(bits, slot);
        match.distance = distance;
        last_len_ = match.length;
        return LzAction::Copy;
      });
}

bool Rar5Unpacker::ReadFilter(BitCursor& bits, uint64_t position) {
  const uint32_t start = ReadFilterNumber(bits);
  const uint32_t length = ReadFilterNumber(bits);
  const uint32_t type = bits.Read(3);
  if (type > uint32_t(FilterType::Arm)) return false;
  Filter filter;
  filter.type = FilterType(type);
  if (filter.type == FilterType::Delta) filter.channels = uint8_t(bits.Read(5) + 1);
  filter.start = position + start;
  filter.length = length;

  // Filters come in order, never overlap, and stay inside the entry.
  if (length > kMaxFilterBlock || filter.start < filters_end_ || filter.start + length > entry_end_)
    return false;
  if (filters_.size() >= kMaxPendingFilters) return false;
  if (length == 0) return true;
  filters_end_ = filter.start + length;
  filters_.push_back(filter);
  return true;
}

UnpackStatus Rar5Unpacker::WriteFilteredBlock() {
  const Filter filter = filters_.front();
  filters_.pop_front();
  const size_t index = WindowIndex(filter.start);
  const size_t first = std::min<size_t>(filter.length, window_.Size() - index);
  const FilterSource source{window_.Data() + index, first, window_.Data(), filter.length - first};
  if (filtered_.size() < filter.length) filtered_.resize(filter.length);
  ApplyFilter(filter, source, uint32_t(filter.start - entry_start_), filtered_.data());
  if (!sink_->Write(filtered_.data(), filter.length)) return UnpackStatus::Aborted;
  flushed_ += filter.length;
  return UnpackStatus::Ok;
}

}  // namespace unrar::rar5
