#pragma once
// The output side that the RAR 2.9 and RAR5 decoders share. The decoding loops write into a
// sliding window; this part sizes the window for each entry, hands the decoded bytes to the sink
// in chunks, holds a filter block back until it is whole (the decoder filters and writes it), and
// tells the loops how much they may produce before the next check. It also runs the LZ loop both
// formats have: literals and matches into the window, with the format's own match codes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>

#include "unrar/entry_decoder.h"
#include "unrar/rar5/bit_input.h"
#include "unrar/rar5/huffman.h"
#include "unrar/rar5/window.h"

namespace unrar::rar5 {

// The largest window we try to allocate: a 32-bit process cannot hold 2 GB in one piece.
constexpr uint64_t kMaxWindow =
    sizeof(size_t) < 8 ? (uint64_t(1) << 31) - 0x100000 : (uint64_t(1) << 32) + 0x100000;

// What a format's match step made of a main code symbol above the literals.
enum class LzAction {
  Copy,     // copy the match it set
  None,     // nothing to write: the loop goes on
  Stop,     // the caller takes over from here (end of block, a filter record)
  BadData,  // the stream is damaged
};

// A match to copy: length bytes from distance back.
struct LzMatch {
  size_t length;
  uint64_t distance;
};

// PendingFilter has `start` (an output position) and `length`; the queue is in start order.
template <class PendingFilter>
class WindowDecoder : public EntryDecoder {
 protected:
  // max_match: the most one symbol produces; min_window: what a window always holds (the
  // largest filter block and the matches decoded past it).
  WindowDecoder(size_t max_match, uint64_t min_window) : max_match_(max_match), min_window_(min_window) {}

  // Sizes the window for an entry with this dictionary and sets the positions: a solid entry
  // keeps the history, a non-solid one starts empty and, never reaching back past its own start,
  // gets a window only as large as it needs.
  UnpackStatus PrepareWindow(const UnpackParams& params, uint64_t dict) {
    const bool solid = params.solid;
    const uint64_t full = std::max(dict, min_window_) + Window::kSlack;
    uint64_t need = full;
    if (!solid && params.unpacked_size < full) {
      // Powers of two, so a run of growing entries reallocates only a few times.
      uint64_t small = kSmallWindow;
      while (small < params.unpacked_size + 2 * max_match_) small *= 2;
      need = std::min(full, small + Window::kSlack);
    }
    if (need > kMaxWindow) return UnpackStatus::NoMemory;
    if (!window_.Reserve(need, solid, size_t(std::min<uint64_t>(history_, SIZE_MAX))))
      return UnpackStatus::NoMemory;
    if (!solid) produced_ = flushed_ = history_ = 0;
    history_ = std::min<uint64_t>(history_, window_.MaxHistory());
    entry_start_ = produced_;
    entry_end_ = produced_ + params.unpacked_size;
    next_flush_ = produced_;
    filters_.clear();
    return UnpackStatus::Ok;
  }

  // Flushes when a chunk is due or the window is nearly full of unflushed output, then sets the
  // budget: what the loops may produce without overrunning the window, the entry or the chunk.
  UnpackStatus ServiceOutput() {
    const uint64_t size_for_output = window_.Size() - Window::kSlack;
    if (produced_ >= next_flush_ || size_for_output - (produced_ - flushed_) < 2 * max_match_) {
      const UnpackStatus status = Flush();
      if (status != UnpackStatus::Ok) return status;
      // The next flush comes a chunk later, or once a filter block holding it up is complete.
      next_flush_ = flushed_ + kFlushChunk;
      if (!filters_.empty()) {
        const PendingFilter& f = filters_.front();
        if (f.start < next_flush_ && f.start + f.length > next_flush_) next_flush_ = f.start + f.length;
      }
    }
    const uint64_t unflushed = produced_ - flushed_;
    uint64_t budget = size_for_output > unflushed ? size_for_output - unflushed : 0;
    budget = std::min(budget, entry_end_ - produced_);
    budget = std::min(budget, next_flush_ - produced_ + max_match_);
    budget_ = size_t(budget);
    return UnpackStatus::Ok;
  }

  // The last flush of an entry, which must have produced exactly its size.
  UnpackStatus FinishEntry() {
    const UnpackStatus status = Flush();
    if (status != UnpackStatus::Ok) return status;
    if (produced_ != entry_end_ || !filters_.empty()) return UnpackStatus::BadData;
    return UnpackStatus::Ok;
  }

  // Hands everything decoded so far to the sink, except a filter block still being decoded.
  UnpackStatus Flush() {
    while (flushed_ < produced_) {
      if (filters_.empty()) {
        if (!WriteWindow(flushed_, produced_)) return UnpackStatus::Aborted;
        flushed_ = produced_;
        break;
      }
      const PendingFilter& filter = filters_.front();
      if (flushed_ < filter.start) {
        const uint64_t to = std::min<uint64_t>(filter.start, produced_);
        if (!WriteWindow(flushed_, to)) return UnpackStatus::Aborted;
        flushed_ = to;
        continue;
      }
      if (filter.start < flushed_) return UnpackStatus::BadData;
      if (produced_ < filter.start + filter.length) break;
      const UnpackStatus status = WriteFilteredBlock();
      if (status != UnpackStatus::Ok) return status;
    }
    return UnpackStatus::Ok;
  }

  // The LZ loop: literals and matches until the input border, the budget, or a symbol the step
  // leaves to the caller. The fast variant runs while every symbol fits the budget (kMaxMatch is
  // the most one symbol produces); the careful one checks each symbol's output against it, near
  // the end of an entry. decode_match(symbol, bits, run_produced, match) decodes a symbol of `main`
  // above the literals; run_produced is what this run has written so far.
  template <bool kCareful, size_t kMaxMatch, class DecodeMatch>
  UnpackStatus DecodeLz(size_t border, const HuffmanTable& main, DecodeMatch&& decode_match) {
    BitBuffer bits(input_.Cursor().buf, input_.Pos());
    uint8_t* const win = window_.Data();
    const size_t win_size = window_.Size();
    size_t pos = window_.pos;
    const uint64_t history_start = history_;
    const size_t budget_start = budget_;
    size_t budget = budget_;
    UnpackStatus status = UnpackStatus::Ok;

    auto put_literal = [&](uint32_t byte) {
      win[pos] = uint8_t(byte);
      if (++pos == win_size) pos = 0;
      --budget;
    };
    while (bits.Pos() < border && (kCareful || budget > kMaxMatch)) {
      bits.Refill();  // 56 bits: two literals, or one symbol with its length bits
      uint32_t symbol = main.Decode(bits);
      if (symbol < 256) {
        if (kCareful && budget == 0) {
          status = UnpackStatus::BadData;
          break;
        }
        put_literal(symbol);
        // Literals come in runs: take the next symbol straight away while before the border.
        if (bits.Pos() >= border) continue;
        symbol = main.Decode(bits);
        if (symbol < 256) {
          if (kCareful && budget == 0) {
            status = UnpackStatus::BadData;
            break;
          }
          put_literal(symbol);
          continue;
        }
      }

      LzMatch match;
      const LzAction action = decode_match(symbol, bits, budget_start - budget, match);
      if (action == LzAction::None) continue;
      if (action == LzAction::Stop) break;
      if (action == LzAction::BadData || match.distance == 0 ||
          match.distance > history_start + (budget_start - budget) ||
          (kCareful && match.length > budget)) {
        status = UnpackStatus::BadData;
        break;
      }
      CopyMatch(win, win_size, pos, size_t(match.distance), match.length);
      budget -= match.length;
    }

    const size_t produced = budget_start - budget;
    produced_ += produced;
    history_ = std::min<uint64_t>(history_ + produced, window_.MaxHistory());
    window_.pos = pos;
    budget_ = budget;
    input_.SetPos(bits.Pos());
    return status;
  }

  // Filters the front block (whole in the window), writes it and moves flushed_ past it.
  virtual UnpackStatus WriteFilteredBlock() = 0;

  // Where an output position is in the ring; it must be within the window behind produced_.
  size_t WindowIndex(uint64_t position) const {
    const size_t back = size_t(produced_ - position);
    return window_.pos >= back ? window_.pos - back : window_.pos + window_.Size() - back;
  }

  bool WriteWindow(uint64_t from, uint64_t to) {
    const size_t index = WindowIndex(from);
    const size_t count = size_t(to - from);
    const size_t first = std::min(count, window_.Size() - index);
    if (!sink_->Write(window_.Data() + index, first)) return false;
    return count == first || sink_->Write(window_.Data(), count - first);
  }

  Window window_;
  // Output positions count bytes since the window was last emptied.
  uint64_t produced_ = 0;    // decoded into the window
  uint64_t flushed_ = 0;     // handed to the sink
  uint64_t history_ = 0;     // bytes behind the write position that matches may use
  uint64_t entry_start_ = 0;
  uint64_t entry_end_ = 0;
  uint64_t next_flush_ = 0;  // produced_ at which the next chunk goes to the sink
  size_t budget_ = 0;        // bytes the decoding loops may produce before the next check
  std::deque<PendingFilter> filters_;

 private:
  // A small entry still gets this much, so entries of different sizes rarely reallocate.
  static constexpr uint64_t kSmallWindow = 0x40000;
  // Output goes to the sink in chunks of about this size.
  static constexpr uint64_t kFlushChunk = 0x100000;

  const size_t max_match_;
  const uint64_t min_window_;
};

}  // namespace unrar::rar5
