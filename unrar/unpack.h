#pragma once
// The seam between the archive reader and the decompressors. The reader finds an entry's packed
// data (across volumes, already decrypted) and hands it to an Unpacker; the Unpacker writes the
// unpacked bytes to a sink. One Unpacker lives per open archive, so a solid archive's window and
// tables carry over from one entry to the next.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace unrar {

// Packed bytes of one entry, in order. Read returns how many bytes it put into buf (at most n);
// 0 means the packed data has ended. A read error is reported as ok == false.
class PackedSource {
 public:
  virtual ~PackedSource() = default;
  virtual size_t Read(uint8_t* buf, size_t n, bool* ok) = 0;
};

// Receives unpacked bytes in order. Returning false stops the unpacking (Aborted).
class UnpackSink {
 public:
  virtual ~UnpackSink() = default;
  virtual bool Write(const uint8_t* data, size_t n) = 0;
};

enum class UnpackStatus {
  Ok,
  BadData,        // the stream is damaged or not what the header says
  NoMemory,       // the dictionary cannot be allocated
  ReadError,      // the source failed
  Aborted,        // the sink said stop
  UnknownMethod,  // no decoder for this method
};

// The compression of one entry as its header states it.
struct UnpackParams {
  int version = 0;            // RAR4 UNP_VER (15, 20, 26, 29, 36); RAR5: 50 (+ algorithm version 0/1 -> 50/70)
  uint64_t dict_size = 0;     // window size in bytes from the header
  uint64_t unpacked_size = 0; // exact size the entry must produce
  bool solid = false;         // continues the previous entry's state
};

class Unpacker {
 public:
  virtual ~Unpacker() = default;
  // Decodes one entry: exactly params.unpacked_size bytes go to out, or an error status.
  virtual UnpackStatus Unpack(const UnpackParams& params, PackedSource& in, UnpackSink& out) = 0;
};

// The versions of one family (20/26, 29/36, 50/70) are one compression, decoded by one decoder:
// entries of a solid archive may state either and still continue each other.
constexpr int DecoderFamily(int version) {
  return version == 26 ? 20 : version == 36 ? 29 : version == 70 ? 50 : version;
}

// The decoder for a method version, or nullptr when none exists (UnknownMethod).
// Defined in unpack_factory.cpp, the one place that knows every decoder.
std::unique_ptr<Unpacker> MakeUnpacker(int version);

}  // namespace unrar
