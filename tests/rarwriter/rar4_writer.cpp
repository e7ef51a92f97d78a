// RAR 2.9-4.x archives: marker, main header, one file header per entry, end block. Stored data;
// AES-128 with RAR3's key derivation for encrypted entries and headers.
#include <stdexcept>

#include "tests/rarwriter/byte_writer.h"
#include "tests/rarwriter/formats.h"
#include "tests/rarwriter/names.h"
#include "tests/rarwriter/rarwriter.h"
#include "tests/rarwriter/seeded_bytes.h"
#include "tests/rarwriter/writer_crypto.h"

namespace rarwriter {
namespace {

enum : uint16_t {
  kMainHeadersEncrypted = 0x0080,
  kFileEncrypted = 0x0004,
  kFileDirectory = 0x00E0,
  kFileUnicodeName = 0x0200,
  kFileSalt = 0x0400,
  kFileExtTime = 0x1000,
  kLongBlock = 0x8000,
  kEndSkipIfUnknown = 0x4000,
};

// DOS times cover 1980..2107 only.
int64_t ClampToDosRange(int64_t unix_time) {
  if (unix_time < 315532800) return 315532800;          // 1980-01-01
  if (unix_time > 4354819199LL) return 4354819199LL;    // 2107-12-31 23:59:59
  return unix_time;
}

// DOS date and time (2-second steps) of a UTC Unix time in the DOS range.
uint32_t DosTime(int64_t unix_time) {
  int64_t days = unix_time / 86400, secs = unix_time % 86400;
  // Civil date from days since 1970-01-01 (Howard Hinnant's algorithm).
  int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  int64_t day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
  int64_t year = yoe + era * 400 + (month <= 2);
  uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  uint32_t time = static_cast<uint32_t>(((secs / 3600) << 11) | ((secs / 60 % 60) << 5) | (secs % 60 / 2));
  return (date << 16) | time;
}

class Rar4Writer {
 public:
  Rar4Writer(const Archive& archive) : a_(archive), random_(archive.seed) {}

  Written Run() {
    out_.Bytes(std::string_view("Rar!\x1a\x07\x00", 7));
    WriteMainHeader();
    if (NeedsKey(a_)) {
      salt_ = random_.Take(8);
      key_ = DeriveRar3Key(Utf8ToUtf16(a_.password), salt_);
    }
    for (size_t i = 0; i < a_.entries.size(); ++i) {
      WriteEntry(a_.entries[i], static_cast<int>(i) == a_.corrupt_header_after);
    }
    if (a_.end_block) {
      ByteWriter end;
      end.U8(0x7B);
      end.U16(kEndSkipIfUnknown);
      end.U16(7);
      EmitHeader(end.str(), static_cast<int>(a_.entries.size()) == a_.corrupt_header_after);
    }
    return {std::move(out_.str()), std::move(layout_)};
  }

 private:
  void WriteMainHeader() {
    ByteWriter h;
    h.U8(0x73);
    h.U16(a_.encrypt_headers ? kMainHeadersEncrypted : 0);
    h.U16(13);
    h.U16(0);
    h.U32(0);
    EmitPlainHeader(h.str());
  }

  // body = everything from HEAD_TYPE on; the CRC goes in front.
  void EmitPlainHeader(const std::string& body) {
    out_.U16(static_cast<uint16_t>(Crc32(body)));
    out_.Bytes(body);
  }

  void EmitHeader(std::string body, bool corrupt) {
    ByteWriter plain;
    uint16_t crc = static_cast<uint16_t>(Crc32(body));
    if (corrupt) {
      crc ^= 0xFFFF;
      if (a_.header_damage == Archive::HeaderDamage::Garbled) body[3] = body[4] = '\0';  // HEAD_SIZE 0
    }
    plain.U16(crc);
    plain.Bytes(body);
    if (a_.encrypt_headers) {
      out_.Bytes(salt_);
      out_.Bytes(AesCbcEncrypt(Key(), Iv(), PadTo16(plain.str())));
    } else {
      out_.Bytes(plain.str());
    }
  }

  std::string_view Key() const { return {reinterpret_cast<const char*>(key_.key.data()), 16}; }
  std::string_view Iv() const { return {reinterpret_cast<const char*>(key_.iv.data()), 16}; }

  void WriteEntry(const Entry& e, bool corrupt) {
    const bool encrypted = e.encrypted && !e.directory;
    if (encrypted && a_.password.empty()) throw std::invalid_argument("rarwriter: encrypted entry without a password");
    std::string name = e.oem_name.empty() ? ToCp866(e.unicode_name) : e.oem_name;
    if (!e.unicode_name.empty()) {
      name += '\0';
      name += EncodeRar4UnicodeName(e.unicode_name);
    }
    std::string packed = e.directory ? std::string() : e.data;
    if (encrypted) packed = AesCbcEncrypt(Key(), Iv(), PadTo16(packed));
    uint32_t crc = e.directory ? 0 : Crc32(e.data);
    if (e.bad_data_crc) crc ^= 0xFFFFFFFF;

    uint16_t flags = kLongBlock | kFileExtTime;
    if (e.directory) flags |= kFileDirectory;
    if (!e.unicode_name.empty()) flags |= kFileUnicodeName;
    if (encrypted) flags |= kFileEncrypted | kFileSalt;
    uint32_t attributes = e.attributes ? e.attributes : (e.directory ? 0x10 : 0x20);

    ByteWriter h;
    h.U8(0x74);
    h.U16(flags);
    size_t size = 32 + name.size() + (encrypted ? 8 : 0) + 2 + (e.mtime_100ns ? 3 : 0);
    if (size > 0xFFFF) throw std::invalid_argument("rarwriter: RAR4 header too long for its name");
    h.U16(static_cast<uint16_t>(size));
    h.U32(static_cast<uint32_t>(packed.size()));
    h.U32(static_cast<uint32_t>(e.directory ? 0 : e.data.size()));
    h.U8(2);  // Win32
    h.U32(crc);
    const int64_t mtime = ClampToDosRange(e.mtime);
    h.U32(DosTime(mtime));
    h.U8(29);    // the version AES-encrypted entries need
    h.U8(0x30);  // stored
    h.U16(static_cast<uint16_t>(name.size()));
    h.U32(attributes);
    h.Bytes(name);
    if (encrypted) h.Bytes(salt_);
    // EXT_TIME: mtime only; DOS time has 2-second steps, so an odd second is one flag bit.
    uint16_t mtime_flags = 0x8 | (mtime % 2 ? 0x4 : 0) | (e.mtime_100ns ? 3 : 0);
    h.U16(static_cast<uint16_t>(mtime_flags << 12));
    if (e.mtime_100ns) {
      h.U8(static_cast<uint8_t>(e.mtime_100ns));
      h.U8(static_cast<uint8_t>(e.mtime_100ns >> 8));
      h.U8(static_cast<uint8_t>(e.mtime_100ns >> 16));
    }

    EntryLayout layout;
    layout.header_offset = out_.size();
    EmitHeader(h.str(), corrupt);
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
  Rar3Key key_{};
};

}  // namespace

Written WriteRar4(const Archive& archive) {
  if (!archive.password.empty() && Utf8ToUtf16(archive.password).size() >= 28) {
    // Such passwords need RAR 2.9's altered SHA-1, which the platform's SHA-1 cannot give.
    throw std::invalid_argument("rarwriter: RAR4 passwords must be shorter than 28 characters");
  }
  return Rar4Writer(archive).Run();
}

}  // namespace rarwriter
