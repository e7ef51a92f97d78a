#pragma once
// The RAR 2.9 decoder, method versions 29 and 36 (RAR 2.9 to 4.x): Huffman coded LZ blocks and
// PPMd blocks over one sliding window, with the standard filters.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "unrar/rar29/filters.h"
#include "unrar/rar5/bit_input.h"
#include "unrar/rar5/huffman.h"
#include "unrar/rar5/window.h"
#include "unrar/rar5/window_decoder.h"
#include "unrar/unpack.h"

namespace unrar::rar29 {

class PpmDecoder;

// A filter block waiting for its data: the standard filter and the registers its record set.
struct PendingFilter {
  FilterKind kind;
  uint64_t start;
  uint32_t length;
  uint32_t regs[7];
};

class Rar29Unpacker final : public rar5::WindowDecoder<PendingFilter> {
 public:
  Rar29Unpacker();
  ~Rar29Unpacker() override;

  // The most output one symbol or escape produces.
  static constexpr size_t kMaxMatch = 0x120;

 private:
  using BitBuffer = rar5::BitBuffer;
  using BitCursor = rar5::BitCursor;
  using HuffmanTable = rar5::HuffmanTable;
  using LzAction = rar5::LzAction;
  using LzMatch = rar5::LzMatch;

  // Why the LZ loop handed control back.
  enum class LzEvent { None, EndOfBlock, Filter };

  bool Handles(int version) const override { return DecoderFamily(version) == 29; }
  UnpackStatus Prepare(const UnpackParams& params) override;
  UnpackStatus DecodeEntry() override;
  UnpackStatus ReadTables();
  UnpackStatus ReadLzTables(BitCursor& bits);
  UnpackStatus StartPpm();
  template <bool kCareful>
  UnpackStatus DecodeLzRun(LzEvent* event);
  UnpackStatus DecodePpmRun(bool* entry_done);
  UnpackStatus EndOfLzBlock(bool* entry_done);
  UnpackStatus ReadLzFilter();
  UnpackStatus ReadPpmFilter();
  UnpackStatus AddFilter(uint8_t flags, const std::vector<uint8_t>& record);
  void SkipEndMarker();
  bool CheckInput();
  bool ReadBits(unsigned n, uint32_t* value);

  void PutByte(uint8_t byte);
  bool CopyFromHistory(size_t distance, size_t length);
  UnpackStatus WriteFilteredBlock() override;


  // Block state, carried from one solid entry to the next.
  bool ppm_mode_ = false;
  bool tables_read_ = false;  // the next solid entry goes on without reading tables
  uint8_t old_lengths_[404] = {};
  HuffmanTable main_, dist_, low_dist_, len_;
  size_t old_dist_[4] = {};
  size_t last_dist_ = 0;
  size_t last_len_ = 0;
  uint32_t low_dist_last_ = 0;
  unsigned low_dist_repeats_ = 0;

  // Filter programs seen so far (solid entries keep them) and the blocks waiting for output.
  struct Program {
    FilterKind kind;
    uint32_t last_length = 0;  // a record without a length repeats the last one
  };
  std::vector<Program> programs_;
  size_t last_program_ = 0;
  std::vector<uint8_t> filter_in_, filter_out_;

  std::unique_ptr<PpmDecoder> ppm_;
  int ppm_escape_ = 2;
};

}  // namespace unrar::rar29
