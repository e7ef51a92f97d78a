// RAR5 archives: signature, optional archive encryption header, main header, one file header per
// entry, end header. Stored data; AES-256 with PBKDF2 for encrypted entries and headers.
#include <stdexcept>

#include "tests/rarwriter/byte_writer.h"
#include "tests/rarwriter/formats.h"
#include "tests/rarwriter/rarwriter.h"
#include "tests/rarwriter/seeded_bytes.h"
#include "tests/rarwriter/writer_crypto.h"

namespace rarwriter {
namespace {

enum : uint64_t {
  kHeadMain = 1, kHeadFile = 2, kHeadService = 3, kHeadCrypt = 4, kHeadEnd = 5,
  kHasExtra = 0x1, kHasData = 0x2,
  kFileDirectory = 0x1, kFileCrc = 0x4,
  kExtraCrypt = 1, kExtraTime = 3,
  kCryptCheck = 0x1, kCryptTweak = 0x2,
  kTimeMtime = 0x2,
};

constexpr uint64_t kFiletimeUnixEpoch = 116444736000000000ull;

std::string KeyBytes(const uint8_t* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

class Rar5Writer {
 public:
  Rar5Writer(const Archive& archive) : a_(archive), random_(archive.seed) {}

  Written Run() {
    out_.Bytes(std::string_view("Rar!\x1a\x07\x01\x00", 8));
    if (NeedsKey(a_)) {
      if (a_.rar5_kdf_log2 < 0 || a_.rar5_kdf_log2 > 24) throw std::invalid_argument("rarwriter: KDF count out of range");
      salt_ = random_.Take(16);
      key_ = DeriveRar5Key(a_.password, salt_, a_.rar5_kdf_log2);
    }
    if (a_.encrypt_headers) WriteArchiveEncryptionHeader();
    ByteWriter main;
    main.VInt(0);  // archive flags
    EmitHeader(kHeadMain, 0, "", main.str(), false);
    if (!a_.comment.empty()) WriteComment();
    for (size_t i = 0; i < a_.entries.size(); ++i) {
      WriteEntry(a_.entries[i], static_cast<int>(i) == a_.corrupt_header_after);
    }
    if (a_.end_block) {
      ByteWriter end;
      end.VInt(0);  // not followed by another volume
      EmitHeader(kHeadEnd, 0, "", end.str(), static_cast<int>(a_.entries.size()) == a_.corrupt_header_after);
    }
    return {std::move(out_.str()), std::move(layout_)};
  }

 private:
  void WriteArchiveEncryptionHeader() {
    ByteWriter f;
    f.VInt(0);  // AES-256
    f.VInt(kCryptCheck);
    f.U8(static_cast<uint8_t>(a_.rar5_kdf_log2));
    f.Bytes(salt_);
    f.Bytes(KeyBytes(key_.check.data(), 12));
    ByteWriter body;
    body.VInt(kHeadCrypt);
    body.VInt(0);
    body.Bytes(f.str());
    out_.Bytes(Frame(body.str(), false));  // the one header that stays plain
  }

  // CRC32 and size in front of type, flags and the rest.
  std::string Frame(const std::string& body, bool corrupt) const {
    ByteWriter sized;
    sized.VInt(body.size());
    sized.Bytes(body);
    uint32_t crc = Crc32(sized.str());
    if (corrupt) {
      crc ^= 0xFFFFFFFF;
      if (a_.header_damage == Archive::HeaderDamage::Garbled) {
        sized = ByteWriter();
        sized.VInt(0);  // no header is that small
        sized.Bytes(body);
      }
    }
    ByteWriter framed;
    framed.U32(crc);
    framed.Bytes(sized.str());
    return framed.str();
  }

  // fields = the type-specific part; a header with a data area gives its size.
  void EmitHeader(uint64_t type, uint64_t flags, const std::string& extra, const std::string& fields,
                  bool corrupt, const uint64_t* data_size = nullptr) {
    ByteWriter body;
    body.VInt(type);
    if (!extra.empty()) flags |= kHasExtra;
    if (data_size) flags |= kHasData;
    body.VInt(flags);
    if (!extra.empty()) body.VInt(extra.size());
    if (data_size) body.VInt(*data_size);
    body.Bytes(fields);
    body.Bytes(extra);
    std::string framed = Frame(body.str(), corrupt);
    if (a_.encrypt_headers) {
      std::string iv = random_.Take(16);
      out_.Bytes(iv);
      out_.Bytes(AesCbcEncrypt(KeyBytes(key_.key.data(), 32), iv, PadTo16(framed)));
    } else {
      out_.Bytes(framed);
    }
  }

  static void Record(ByteWriter& extra, uint64_t type, const std::string& data) {
    extra.VInt(VIntSize(type) + data.size());
    extra.VInt(type);
    extra.Bytes(data);
  }

  // The comment is a service header laid out like a file header, named "CMT".
  void WriteComment() {
    Entry c;
    c.oem_name = "CMT";
    c.data = a_.comment;
    c.encrypted = a_.encrypt_comment;
    WriteEntry(c, false, kHeadService);
    layout_.pop_back();  // the layout lists the entries only
  }

  void WriteEntry(const Entry& e, bool corrupt, uint64_t head_type = kHeadFile) {
    const bool encrypted = e.encrypted && !e.directory;
    if (encrypted && a_.password.empty()) throw std::invalid_argument("rarwriter: encrypted entry without a password");
    const std::string name = e.unicode_name.empty() ? e.oem_name : Utf16ToUtf8(e.unicode_name);

    ByteWriter extra;
    std::string iv;
    if (encrypted) {
      iv = random_.Take(16);
      ByteWriter r;
      r.VInt(0);  // AES-256
      r.VInt(kCryptCheck | kCryptTweak);
      r.U8(static_cast<uint8_t>(a_.rar5_kdf_log2));
      r.Bytes(salt_);
      r.Bytes(iv);
      r.Bytes(KeyBytes(key_.check.data(), 12));
      Record(extra, kExtraCrypt, r.str());
    }
    {
      ByteWriter r;
      r.VInt(kTimeMtime);  // Windows FILETIME
      r.U64(static_cast<uint64_t>(e.mtime * 10000000 + e.mtime_100ns) + kFiletimeUnixEpoch);
      Record(extra, kExtraTime, r.str());
    }

    std::string packed = e.directory ? std::string() : e.data;
    if (encrypted) packed = AesCbcEncrypt(KeyBytes(key_.key.data(), 32), iv, PadTo16(packed));
    uint32_t crc = Crc32(e.directory ? std::string() : e.data);
    if (encrypted) crc = TweakCrc(crc, key_);
    if (e.bad_data_crc) crc ^= 0xFFFFFFFF;

    ByteWriter f;
    f.VInt(e.directory ? kFileDirectory : kFileCrc);
    f.VInt(e.directory ? 0 : e.data.size());
    f.VInt(e.attributes ? e.attributes : (e.directory ? 0x10 : 0x20));
    if (!e.directory) f.U32(crc);
    f.VInt(0);  // compression: version 0, stored, smallest dictionary
    f.VInt(0);  // Windows
    f.VInt(name.size());
    f.Bytes(name);

    EntryLayout layout;
    layout.header_offset = out_.size();
    const uint64_t data_size = packed.size();
    // RAR gives directories an empty data area too, and some readers insist on it.
    EmitHeader(head_type, 0, extra.str(), f.str(), corrupt, &data_size);
    layout.data_offset = out_.size();
    layout.data_size = packed.size();
    out_.Bytes(packed);
    layout_.push_back(layout);
  }

  const Archive& a_;
  SeededBytes random_;
  ByteWriter out_;
  std::vector<EntryLayout> layout_;
  std::string salt_;
  Rar5Key key_{};
};

}  // namespace

Written WriteRar5(const Archive& archive) { return Rar5Writer(archive).Run(); }

}  // namespace rarwriter
