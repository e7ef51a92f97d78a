#include "unrar/rar5/rar5_unpacker.h"

#include <algorithm>

namespace unrar::rar5 {
namespace {

constexpr size_t kMainCodes = 306;
constexpr size_t kDistCodes = 64;
constexpr size_t kDistCodesV7 = 80;
constexpr size_t kLowDistCodes = 16;
constexpr size_t kLenCodes = 44;
constexpr size_t kLevelCodes = 20;
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

  // The lengths of the level code, 4 bits each; 15 followed by a count stands for zeros.
  uint8_t level_lengths[kLevelCodes];
  for (size_t i = 0; i < kLevelCodes;) {
    const uint8_t length = uint8_t(bits.Read(4));
    if (length != 15) {
      level_lengths[i++] = length;
      continue;
    }
    const unsigned zeros = bits.Read(4);
    if (zeros == 0) {
      level_lengths[i++] = 15;
      continue;
    }
    for (unsigned n = zeros + 2; n > 0 && i < kLevelCodes; --n) level_lengths[i++] = 0;
  }
  HuffmanTable level;
  level.Build(level_lengths, kLevelCodes);

  // The lengths of the four coding tables, in the level code: 0-15 a length, 16/17 repeat the
  // previous one, 18/19 zeros.
  const size_t dist_codes = extra_dist_ ? kDistCodesV7 : kDistCodes;
  const size_t total = kMainCodes + dist_codes + kLowDistCodes + kLenCodes;
  uint8_t lengths[kMainCodes + kDistCodesV7 + kLowDistCodes + kLenCodes];
  for (size_t i = 0; i < total;) {
    const uint32_t symbol = level.Decode(bits);
    if (symbol < 16) {
      lengths[i++] = uint8_t(symbol);
      continue;
    }
    if (symbol >= kLevelCodes) return UnpackStatus::BadData;
    const bool short_run = symbol == 16 || symbol == 18;
    size_t count = short_run ? bits.Read(3) + 3 : bits.Read(7) + 11;
    uint8_t value = 0;
    if (symbol < 18) {
      if (i == 0) return UnpackStatus::BadData;
      value = lengths[i - 1];
    }
    for (; count > 0 && i < total; --count) lengths[i++] = value;
  }

  const uint8_t* next = lengths;
  main_.Build(next, kMainCodes);
  next += kMainCodes;
  dist_.Build(next, dist_codes);
  next += dist_codes;
  low_dist_.Build(next, kLowDistCodes);
  next += kLowDistCodes;
  rep_len_.Build(next, kLenCodes);
  tables_ready_ = true;
  input_.SetPos(bits.pos);
  return UnpackStatus::Ok;
}

// The decoding loop. The fast variant runs while every symbol fits the budget; the careful one
// checks each symbol's output against it, near the end of an entry.
template <bool kCareful>
UnpackStatus Rar5Unpacker::DecodeRun() {
  BitBuffer bits(input_.Cursor().buf, input_.Pos());
  const size_t border = input_border_;
  uint8_t* const win = window_.Data();
  const size_t win_size = window_.Size();
  size_t pos = window_.pos;
  const size_t max_history = window_.MaxHistory();
  const uint64_t history_start = history_;
  const size_t budget_start = budget_;
  size_t budget = budget_;
  UnpackStatus status = UnpackStatus::Ok;

  auto put_literal = [&](uint32_t byte) {
    win[pos] = uint8_t(byte);
    if (++pos == win_size) pos = 0;
    --budget;
  };
  // The fast loop's budget covers a literal and a longest match.
  while (bits.Pos() < border && (kCareful || budget > kMaxMatch)) {
    bits.Refill();  // 56 bits: two symbols, or one with its length bits
    uint32_t symbol = main_.Decode(bits);
    if (symbol < 256) {
      if (kCareful && budget == 0) {
        status = UnpackStatus::BadData;
        break;
      }
      put_literal(symbol);
      // Literals come in runs: take the next symbol straight away while still in the block.
      if (bits.Pos() >= border) continue;
      symbol = main_.Decode(bits);
      if (symbol < 256) {
        if (kCareful && budget == 0) {
          status = UnpackStatus::BadData;
          break;
        }
        put_literal(symbol);
        continue;
      }
    }

    size_t length;
    uint64_t distance;
    if (symbol >= 262) {
      if (symbol >= kMainCodes) {
        status = UnpackStatus::BadData;
        break;
      }
      length = SlotToLength(bits, symbol - 262);
      bits.Refill();  // the distance code and up to 34 extra bits
      const uint32_t slot = dist_.Decode(bits);
      if (slot == HuffmanTable::kInvalid) {
        status = UnpackStatus::BadData;
        break;
      }
      distance = 1;
      if (slot < 4) {
        distance += slot;
      } else {
        const unsigned extra = slot / 2 - 1;
        distance += uint64_t(2 | (slot & 1)) << extra;
        if (extra >= 4) {
          distance += bits.ReadLong(extra - 4) << 4;
          bits.Refill();
          const uint32_t low = low_dist_.Decode(bits);
          if (low == HuffmanTable::kInvalid) {
            status = UnpackStatus::BadData;
            break;
          }
          distance += low;
        } else {
          distance += bits.Read(extra);
        }
      }
      // Far matches are never short: the compressor leaves their shortest lengths out.
      if (distance > 0x100) {
        ++length;
        if (distance > 0x2000) {
          ++length;
          if (distance > 0x40000) ++length;
        }
      }
      if (distance > max_history) {
        status = UnpackStatus::BadData;
        break;
      }
      PushDistance(old_dist_, size_t(distance));
      last_len_ = length;
    } else if (symbol == 256) {
      BitCursor filter_bits{bits.base, bits.Pos()};
      const bool ok = ReadFilter(filter_bits, produced_ + (budget_start - budget));
      bits = BitBuffer(filter_bits.buf, filter_bits.pos);
      if (!ok) {
        status = UnpackStatus::BadData;
        break;
      }
      continue;
    } else if (symbol == 257) {
      if (last_len_ == 0) continue;
      length = last_len_;
      distance = old_dist_[0];
    } else {
      const size_t index = symbol - 258;
      distance = old_dist_[index];
      for (size_t i = index; i > 0; --i) old_dist_[i] = old_dist_[i - 1];
      old_dist_[0] = size_t(distance);
      const uint32_t slot = rep_len_.Decode(bits);
      if (slot == HuffmanTable::kInvalid) {
        status = UnpackStatus::BadData;
        break;
      }
      length = SlotToLength(bits, slot);
      last_len_ = length;
    }

    if (distance == 0 || distance > history_start + (budget_start - budget) ||
        (kCareful && length > budget)) {
      status = UnpackStatus::BadData;
      break;
    }
    CopyMatch(win, win_size, pos, size_t(distance), length);
    budget -= length;
  }

  const size_t produced = budget_start - budget;
  produced_ += produced;
  history_ = std::min<uint64_t>(history_ + produced, max_history);
  window_.pos = pos;
  budget_ = budget;
  input_.SetPos(bits.Pos());
  return status;
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
