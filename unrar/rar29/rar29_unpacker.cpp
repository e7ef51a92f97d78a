#include "unrar/rar29/rar29_unpacker.h"

#include <algorithm>
#include <cstring>

#include "unrar/rar29/ppmd.h"

namespace unrar::rar29 {
namespace {

// The largest dictionary of the format; distances cannot reach further.
constexpr uint64_t kMaxDictionary = 0x400000;
// A window always holds the largest filter block and the matches decoded past it.
constexpr uint64_t kMinWindow = 0x40000 + 0x10000;

// The code counts of the four LZ tables, in the order a block sends their lengths.
constexpr size_t kMainCodes = 299;
constexpr size_t kDistCodes = 60;
constexpr size_t kLowDistCodes = 17;
constexpr size_t kLenCodes = 28;
constexpr size_t kTableSize = kMainCodes + kDistCodes + kLowDistCodes + kLenCodes;

constexpr size_t kMaxPrograms = 1024;
constexpr size_t kMaxPendingFilters = 8192;
constexpr uint32_t kMaxFilterCode = 0x10000;
constexpr uint32_t kMaxFilterData = 0x2000;

// Match lengths by slot: base and extra bits.
constexpr uint8_t kLengthBase[kLenCodes] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                            24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t kLengthBits[kLenCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                            2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
// Short matches (length 2) of symbols 263..270.
constexpr uint8_t kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr uint8_t kShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

struct DistanceSlots {
  uint32_t base[kDistCodes];
  uint8_t bits[kDistCodes];
  // Bits grow by one every two slots up to 16, stay at 16 for a run, then 18 to the end.
  constexpr DistanceSlots() : base(), bits() {
    uint32_t next = 0;
    for (size_t slot = 0; slot < kDistCodes; ++slot) {
      uint8_t n = 0;
      if (slot < 4) n = 0;
      else if (slot < 36) n = uint8_t(slot / 2 - 1);
      else if (slot < 48) n = 16;
      else n = 18;
      base[slot] = next;
      bits[slot] = n;
      next += uint32_t(1) << n;
    }
  }
};
constexpr DistanceSlots kDist;

template <class Bits>
inline uint32_t ReadExtra(Bits& bits, unsigned n) {
  return n ? uint32_t(bits.Read(n)) : 0;
}

// Reads a number in the filter records' variable-length form: a 2-bit tag selects 4, 8, 16 or
// 32 bits; an 8-bit value whose top nibble is zero stands for a negative byte instead.
uint32_t ReadFilterNumber(rar5::BitCursor& bits) {
  switch (bits.Read(2)) {
    case 0:
      return bits.Read(4);
    case 1:
      if (bits.Peek32() >> 28 == 0) {
        bits.Skip(4);
        return 0xFFFFFF00u | bits.Read(8);
      }
      return bits.Read(8);
    case 2:
      return bits.Read(16);
    default:
      return bits.Read(32);
  }
}

}  // namespace

Rar29Unpacker::Rar29Unpacker() : WindowDecoder(kMaxMatch, kMinWindow) {}
Rar29Unpacker::~Rar29Unpacker() = default;

UnpackStatus Rar29Unpacker::Prepare(const UnpackParams& params) {
  const UnpackStatus status = PrepareWindow(params, std::min(params.dict_size, kMaxDictionary));
  if (status != UnpackStatus::Ok) return status;
  if (!params.solid) {
    ppm_mode_ = false;
    tables_read_ = false;
    std::memset(old_lengths_, 0, sizeof old_lengths_);
    std::fill(std::begin(old_dist_), std::end(old_dist_), 0);
    last_dist_ = last_len_ = 0;
    low_dist_last_ = 0;
    low_dist_repeats_ = 0;
    programs_.clear();
    last_program_ = 0;
    if (ppm_) ppm_->Forget();
    ppm_escape_ = 2;
  }
  return UnpackStatus::Ok;
}

// False once the decoder has read past the end of the packed data: the stream is truncated.
bool Rar29Unpacker::CheckInput() { return !input_.Eof() || input_.Pos() <= input_.DataEnd(); }

UnpackStatus Rar29Unpacker::DecodeEntry() {
  if (!input_.Refill()) return UnpackStatus::ReadError;
  if (input_.Eof() && input_.DataEnd() == 0)
    return entry_end_ == produced_ ? UnpackStatus::Ok : UnpackStatus::BadData;

  UnpackStatus status = UnpackStatus::Ok;
  if (!tables_read_) status = ReadTables();
  for (bool done = false; status == UnpackStatus::Ok && !done;) {
    if (produced_ == entry_end_) {
      SkipEndMarker();
      break;
    }
    if (input_.NeedsRefill() && !input_.Refill()) return UnpackStatus::ReadError;
    // Out of input with output still to come: truncated.
    if (input_.Eof() && input_.Pos() >= input_.DataEnd()) return UnpackStatus::BadData;
    status = ServiceOutput();
    if (status != UnpackStatus::Ok) break;
    if (ppm_mode_) {
      status = DecodePpmRun(&done);
      continue;
    }
    LzEvent event = LzEvent::None;
    status = budget_ > kMaxMatch ? DecodeLzRun<false>(&event) : DecodeLzRun<true>(&event);
    if (status != UnpackStatus::Ok) break;
    if (!CheckInput()) return UnpackStatus::BadData;
    if (event == LzEvent::EndOfBlock) status = EndOfLzBlock(&done);
    else if (event == LzEvent::Filter) status = ReadLzFilter();
  }
  if (status != UnpackStatus::Ok) return status;
  return FinishEntry();
}

// A block starts byte-aligned with one bit for PPMd (1) or LZ (0).
UnpackStatus Rar29Unpacker::ReadTables() {
  if (input_.NeedsRefill() && !input_.Refill()) return UnpackStatus::ReadError;
  BitCursor bits = input_.Cursor();
  bits.AlignToByte();
  input_.SetPos(bits.pos);
  tables_read_ = false;
  if (!CheckInput() || (input_.Eof() && bits.pos >= input_.DataEnd())) return UnpackStatus::BadData;
  if (bits.Peek32() >> 31) return StartPpm();
  bits.Skip(1);
  const UnpackStatus status = ReadLzTables(bits);
  input_.SetPos(bits.pos);
  if (status != UnpackStatus::Ok) return status;
  return CheckInput() ? UnpackStatus::Ok : UnpackStatus::BadData;
}

UnpackStatus Rar29Unpacker::ReadLzTables(BitCursor& bits) {
  // Without the "keep" bit the new lengths are not deltas from the previous table.
  if (bits.Read(1) == 0) std::memset(old_lengths_, 0, sizeof old_lengths_);
  low_dist_last_ = 0;
  low_dist_repeats_ = 0;

  uint8_t lengths[kTableSize];
  if (!rar5::ReadCodeLengths(bits, old_lengths_, lengths, kTableSize)) return UnpackStatus::BadData;
  std::memcpy(old_lengths_, lengths, kTableSize);

  rar5::BuildTables(lengths, {{&main_, kMainCodes},
                              {&dist_, kDistCodes},
                              {&low_dist_, kLowDistCodes},
                              {&len_, kLenCodes}});
  ppm_mode_ = false;
  tables_read_ = true;
  return UnpackStatus::Ok;
}

// Symbol 256: either new tables follow, or the entry ends and the next bit says whether the
// next solid entry starts with tables of its own.
UnpackStatus Rar29Unpacker::EndOfLzBlock(bool* entry_done) {
  uint32_t bit;
  if (!ReadBits(1, &bit)) return UnpackStatus::BadData;
  if (bit) return ReadTables();
  if (!ReadBits(1, &bit)) return UnpackStatus::BadData;
  tables_read_ = bit == 0;
  *entry_done = true;
  return UnpackStatus::Ok;
}

// The entry's output is complete; the stream then normally holds the end-of-entry code, which
// the next solid entry depends on.
void Rar29Unpacker::SkipEndMarker() {
  if (input_.NeedsRefill() && !input_.Refill()) return;
  if (input_.Eof() && input_.Pos() >= input_.DataEnd()) return;
  if (ppm_mode_) {
    // The PPMd end code (escape, 2) updates the model, which the next solid entry goes on with.
    const uint8_t* buf = input_.Cursor().buf;
    ppm_->SetInput(buf + (input_.Pos() >> 3));
    if (ppm_->DecodeChar() == ppm_escape_) ppm_->DecodeChar();
    input_.SetPos(size_t(ppm_->Input() - buf) * 8);
    return;
  }
  BitCursor bits = input_.Cursor();
  if (main_.Decode(bits) != 256 || bits.Read(1) != 0) return;
  tables_read_ = bits.Read(1) == 0;
  input_.SetPos(bits.pos);
}

bool Rar29Unpacker::ReadBits(unsigned n, uint32_t* value) {
  if (input_.NeedsRefill() && !input_.Refill()) return false;
  BitCursor bits = input_.Cursor();
  *value = bits.Read(n);
  input_.SetPos(bits.pos);
  return CheckInput();
}

// The LZ loop up to the input border. A symbol above the literals is a new match, a short one,
// one repeating a recent distance or the last match, or the end of the block or a filter record,
// which the loop leaves to its caller.
template <bool kCareful>
UnpackStatus Rar29Unpacker::DecodeLzRun(LzEvent* event) {
  const size_t max_history = window_.MaxHistory();
  return DecodeLz<kCareful, kMaxMatch>(
      input_.SafeEnd(), main_, [&](uint32_t symbol, BitBuffer& bits, size_t, LzMatch& match) {
        size_t length;
        size_t distance;
        if (symbol >= 271) {
          if (symbol >= kMainCodes) return LzAction::BadData;
          const uint32_t len_slot = symbol - 271;
          length = kLengthBase[len_slot] + 3 + ReadExtra(bits, kLengthBits[len_slot]);
          bits.Refill();  // the distance code, its extra bits and the low distance code
          const uint32_t slot = dist_.Decode(bits);
          if (slot >= kDistCodes) return LzAction::BadData;
          distance = kDist.base[slot] + 1;
          const unsigned extra = kDist.bits[slot];
          if (slot > 9) {
            // The low four bits of far distances have a code of their own, with a repeat code.
            if (extra > 4) distance += size_t(bits.Read(extra - 4)) << 4;
            if (low_dist_repeats_ > 0) {
              --low_dist_repeats_;
              distance += low_dist_last_;
            } else {
              const uint32_t low = low_dist_.Decode(bits);
              if (low == 16) {
                low_dist_repeats_ = 15;
                distance += low_dist_last_;
              } else if (low < 16) {
                distance += low;
                low_dist_last_ = low;
              } else {
                return LzAction::BadData;
              }
            }
          } else {
            distance += ReadExtra(bits, extra);
          }
          // Far matches are never short: the compressor leaves their shortest lengths out.
          if (distance >= 0x2000) {
            ++length;
            if (distance >= 0x40000) ++length;
          }
          rar5::PushDistance(old_dist_, distance);
        } else if (symbol >= 263) {
          const uint32_t slot = symbol - 263;
          distance = kShortBase[slot] + 1 + bits.Read(kShortBits[slot]);
          length = 2;
          rar5::PushDistance(old_dist_, distance);
        } else if (symbol >= 259) {
          const size_t index = symbol - 259;
          distance = old_dist_[index];
          for (size_t i = index; i > 0; --i) old_dist_[i] = old_dist_[i - 1];
          old_dist_[0] = distance;
          const uint32_t slot = len_.Decode(bits);
          if (slot >= kLenCodes) return LzAction::BadData;
          length = kLengthBase[slot] + 2 + ReadExtra(bits, kLengthBits[slot]);
        } else if (symbol == 258) {
          if (last_len_ == 0) return LzAction::None;
          length = last_len_;
          distance = last_dist_;
        } else {
          *event = symbol == 256 ? LzEvent::EndOfBlock : LzEvent::Filter;
          return LzAction::Stop;
        }
        last_dist_ = distance;
        last_len_ = length;
        if (distance > max_history) return LzAction::BadData;
        match.length = length;
        match.distance = distance;
        return LzAction::Copy;
      });
}

// Symbol 257: a filter record follows, one flag byte, its size, then the record.
UnpackStatus Rar29Unpacker::ReadLzFilter() {
  uint32_t flags, size;
  if (!ReadBits(8, &flags)) return UnpackStatus::BadData;
  size = (flags & 7) + 1;
  if (size == 7) {
    if (!ReadBits(8, &size)) return UnpackStatus::BadData;
    size += 7;
  } else if (size == 8) {
    if (!ReadBits(16, &size)) return UnpackStatus::BadData;
  }
  if (size == 0) return UnpackStatus::BadData;
  std::vector<uint8_t> record(size);
  for (uint8_t& byte : record) {
    uint32_t value;
    if (!ReadBits(8, &value)) return UnpackStatus::BadData;
    byte = uint8_t(value);
  }
  return AddFilter(uint8_t(flags), record);
}

// A filter record: which program (a new one carries its code), where its block starts relative
// to the current output, the block's length, the initial registers and optional global data.
UnpackStatus Rar29Unpacker::AddFilter(uint8_t flags, const std::vector<uint8_t>& record) {
  // Every read starts inside the record; one read goes at most 36 bits on, into the padding.
  std::vector<uint8_t> padded(record.size() + 16, 0);
  std::memcpy(padded.data(), record.data(), record.size());
  BitCursor bits{padded.data(), 0};
  const size_t end = record.size() * 8;
  bool overrun = false;
  auto number = [&]() -> uint32_t {
    if (bits.pos > end) {
      overrun = true;
      return 0;
    }
    return ReadFilterNumber(bits);
  };

  // Programs are numbered from 1 in the record; 0 forgets every program and pending block.
  size_t index = last_program_;
  if (flags & 0x80) {
    const uint32_t n = number();
    if (overrun) return UnpackStatus::BadData;
    if (n == 0) {
      programs_.clear();
      filters_.clear();
    }
    index = n == 0 ? 0 : n - 1;
  }
  if (index > programs_.size() || index >= kMaxPrograms) return UnpackStatus::BadData;
  last_program_ = index;
  const bool is_new = index == programs_.size();

  uint64_t start = number();
  if (flags & 0x40) start += 258;
  start += produced_;
  uint32_t length = 0;
  if (flags & 0x20) length = number();
  else if (!is_new) length = programs_[index].last_length;

  PendingFilter filter{};
  filter.start = start;
  filter.length = length;
  filter.regs[4] = length;
  if (flags & 0x10) {
    const uint32_t mask = bits.pos <= end ? bits.Read(7) : 0;
    for (unsigned i = 0; i < 7; ++i)
      if (mask & (1u << i)) filter.regs[i] = number();
  }
  FilterKind kind = FilterKind::E8;
  if (is_new) {
    const uint32_t code_size = number();
    if (overrun || code_size == 0 || code_size >= kMaxFilterCode || bits.pos + size_t(code_size) * 8 > end)
      return UnpackStatus::BadData;
    std::vector<uint8_t> code(code_size);
    for (uint8_t& byte : code) byte = uint8_t(bits.Read(8));
    if (!IdentifyFilter(code.data(), code.size(), &kind)) return UnpackStatus::BadData;
  }
  if (flags & 0x08) {
    // Global data for the program: the standard programs take nothing from it.
    const uint32_t data_size = number();
    if (data_size > kMaxFilterData) return UnpackStatus::BadData;
    bits.pos += size_t(data_size) * 8;
  }
  if (overrun || bits.pos > end) return UnpackStatus::BadData;

  if (is_new) programs_.push_back(Program{kind});
  Program& program = programs_[index];
  program.last_length = length;
  if (length == 0) return UnpackStatus::BadData;
  filter.kind = program.kind;
  // Blocks come in order and stay inside the entry; a block filtered again is named again with
  // the same start and length.
  if (length > MaxFilterBlock(filter.kind) || start + length > entry_end_) return UnpackStatus::BadData;
  if (!filters_.empty()) {
    const PendingFilter& last = filters_.back();
    const bool chained = last.start == start && last.length == length;
    if (!chained && start < last.start + last.length) return UnpackStatus::BadData;
  }
  if (filters_.size() >= kMaxPendingFilters) return UnpackStatus::BadData;
  filters_.push_back(filter);
  return UnpackStatus::Ok;
}

UnpackStatus Rar29Unpacker::StartPpm() {
  if (!ppm_) ppm_ = std::make_unique<PpmDecoder>();
  const uint8_t* buf = input_.Cursor().buf;
  const uint8_t* next = buf + (input_.Pos() >> 3);
  const PpmStart result = ppm_->Start(next, &ppm_escape_);
  input_.SetPos(size_t(next - buf) * 8);
  if (result == PpmStart::NoMemory) return UnpackStatus::NoMemory;
  if (result != PpmStart::Ok || !CheckInput()) return UnpackStatus::BadData;
  ppm_mode_ = true;
  return UnpackStatus::Ok;
}

void Rar29Unpacker::PutByte(uint8_t byte) {
  uint8_t* win = window_.Data();
  win[window_.pos] = byte;
  if (++window_.pos == window_.Size()) window_.pos = 0;
  ++produced_;
  --budget_;
  if (history_ < window_.MaxHistory()) ++history_;
}

bool Rar29Unpacker::CopyFromHistory(size_t distance, size_t length) {
  if (distance == 0 || distance > history_ || length > budget_) return false;
  rar5::CopyMatch(window_.Data(), window_.Size(), window_.pos, distance, length);
  produced_ += length;
  budget_ -= length;
  history_ = std::min<uint64_t>(history_ + length, window_.MaxHistory());
  return true;
}

// PPMd symbols until the input border or the budget. The escape character followed by a code
// leaves the PPMd block or stands for a match.
UnpackStatus Rar29Unpacker::DecodePpmRun(bool* entry_done) {
  const uint8_t* buf = input_.Cursor().buf;
  const uint8_t* next = buf + (input_.Pos() >> 3);
  const uint8_t* border = buf + (input_.SafeEnd() >> 3);
  UnpackStatus status = UnpackStatus::Ok;
  ppm_->SetInput(next);
  // As in the LZ loop: a budget this small means the entry ends within it.
  const size_t reserve = budget_ > kMaxMatch ? kMaxMatch : 0;
  while (ppm_->Input() < border && budget_ > reserve) {
    int c = ppm_->DecodeChar();
    if (c < 0) {
      status = UnpackStatus::BadData;
      break;
    }
    if (c != ppm_escape_) {
      PutByte(uint8_t(c));
      continue;
    }
    const int code = ppm_->DecodeChar();
    if (code < 0) {
      status = UnpackStatus::BadData;
      break;
    }
    if (code == 0) {  // LZ tables follow
      input_.SetPos(size_t(ppm_->Input() - buf) * 8);
      return ReadTables();
    }
    if (code == 2) {  // end of the entry's data
      *entry_done = true;
      break;
    }
    if (code == 3) {  // a filter record, its bytes coded as symbols
      input_.SetPos(size_t(ppm_->Input() - buf) * 8);
      return ReadPpmFilter();  // it may refill the input: the caller sets the border anew
    }
    if (code == 4) {  // a match: three bytes of distance, one of length
      uint32_t distance = 0;
      int length = 0;
      for (int i = 0; i < 4 && length >= 0; ++i) {
        const int b = ppm_->DecodeChar();
        if (b < 0) length = -1;
        else if (i < 3) distance = distance << 8 | uint32_t(b);
        else length = b;
      }
      if (length < 0 || !CopyFromHistory(distance + 2, size_t(length) + 32)) {
        status = UnpackStatus::BadData;
        break;
      }
      continue;
    }
    if (code == 5) {  // a run of the last byte
      const int length = ppm_->DecodeChar();
      if (length < 0 || !CopyFromHistory(1, size_t(length) + 4)) {
        status = UnpackStatus::BadData;
        break;
      }
      continue;
    }
    // The escape character itself.
    PutByte(uint8_t(ppm_escape_));
  }
  input_.SetPos(size_t(ppm_->Input() - buf) * 8);
  if (status == UnpackStatus::Ok && !CheckInput()) status = UnpackStatus::BadData;
  return status;
}

UnpackStatus Rar29Unpacker::ReadPpmFilter() {
  const uint8_t* buf = input_.Cursor().buf;
  auto next_byte = [&](uint32_t* value) {
    if (input_.NeedsRefill()) {
      if (!input_.Refill()) return false;
      buf = input_.Cursor().buf;
    }
    ppm_->SetInput(buf + (input_.Pos() >> 3));
    const int c = ppm_->DecodeChar();
    input_.SetPos(size_t(ppm_->Input() - buf) * 8);
    *value = uint32_t(c);
    return c >= 0 && CheckInput();
  };
  uint32_t flags, size, low;
  if (!next_byte(&flags)) return UnpackStatus::BadData;
  size = (flags & 7) + 1;
  if (size == 7) {
    if (!next_byte(&size)) return UnpackStatus::BadData;
    size += 7;
  } else if (size == 8) {
    if (!next_byte(&size) || !next_byte(&low)) return UnpackStatus::BadData;
    size = size << 8 | low;
  }
  if (size == 0) return UnpackStatus::BadData;
  std::vector<uint8_t> record(size);
  for (uint8_t& byte : record) {
    uint32_t value;
    if (!next_byte(&value)) return UnpackStatus::BadData;
    byte = uint8_t(value);
  }
  return AddFilter(uint8_t(flags), record);
}

// Runs the front filter on its block, then each further filter named for the same block on the
// previous one's output, and writes the result.
UnpackStatus Rar29Unpacker::WriteFilteredBlock() {
  const PendingFilter first = filters_.front();
  const size_t length = first.length;
  filter_in_.resize(length);
  filter_out_.resize(length);
  const size_t index = WindowIndex(first.start);
  const size_t head = std::min(length, window_.Size() - index);
  std::memcpy(filter_in_.data(), window_.Data() + index, head);
  std::memcpy(filter_in_.data() + head, window_.Data(), length - head);
  const uint32_t file_offset = uint32_t(first.start - entry_start_);
  while (!filters_.empty() && filters_.front().start == first.start && filters_.front().length == length) {
    const PendingFilter& f = filters_.front();
    if (!RunFilter(f.kind, f.regs, file_offset, filter_in_.data(), length, filter_out_.data()))
      return UnpackStatus::BadData;
    filter_in_.swap(filter_out_);
    filters_.pop_front();
  }
  if (!sink_->Write(filter_in_.data(), length)) return UnpackStatus::Aborted;
  flushed_ += length;
  return UnpackStatus::Ok;
}

}  // namespace unrar::rar29
