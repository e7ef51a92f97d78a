// RAR 1.5-4.x headers: a 7-byte base (CRC16, type, flags, size), then the type's fields.
#include "unrar/byte_reader.h"
#include "unrar/checksum.h"
#include "unrar/headers.h"
#include "unrar/text.h"

namespace unrar {
namespace {

enum : uint8_t { kMain = 0x73, kFile = 0x74, kOldSub = 0x77, kNewSub = 0x7A, kEnd = 0x7B };

enum : uint32_t {
  kMainVolume = 0x0001, kMainComment = 0x0002, kMainLock = 0x0004, kMainSolid = 0x0008,
  kMainNewNumbering = 0x0010, kMainAuth = 0x0020, kMainRecovery = 0x0040, kMainPassword = 0x0080,
  kMainFirstVolume = 0x0100,
};

enum : uint32_t {
  kFileSplitBefore = 0x01, kFileSplitAfter = 0x02, kFilePassword = 0x04, kFileComment = 0x08, kFileSolid = 0x10,
  kFileWindowMask = 0xE0, kFileDirectory = 0xE0, kFileLarge = 0x100, kFileUnicode = 0x200, kFileSalt = 0x400,
  kFileExtTime = 0x1000, kLongBlock = 0x8000,
};

uint16_t Crc16(const uint8_t* from, size_t n) { return static_cast<uint16_t>(Crc32(0, from, n)); }

// EXT_TIME: four nibbles (mtime, ctime, atime, archive time), each with optional extra precision.
void ParseExtTime(ByteReader& r, Entry* e) {
  uint16_t flags = r.U16();
  uint64_t* targets[4] = {&e->mtime, &e->ctime, &e->atime, nullptr};
  for (int i = 0; i < 4 && r.ok(); i++) {
    unsigned mode = (flags >> ((3 - i) * 4)) & 0xF;
    if (!(mode & 8)) continue;
    uint64_t t = i == 0 ? DosTimeToFileTime(e->dos_time) : DosTimeToFileTime(r.U32());
    unsigned count = mode & 3;
    uint32_t rem = 0;
    for (unsigned j = 0; j < count; j++) rem |= static_cast<uint32_t>(r.U8()) << ((j + 3 - count) * 8);
    if (!r.ok()) return;
    t += rem;
    if (mode & 4) t += 10000000;
    if (targets[i] && t != 0) *targets[i] = t;
  }
}

}  // namespace

bool Rar4HeaderCrcMatches(const uint8_t* h, size_t size, const uint8_t* data, size_t data_size) {
  if (size < 7) return false;
  uint16_t stored = static_cast<uint16_t>(h[0] | (h[1] << 8));
  if (Crc16(h + 2, size - 2) == stored) return true;
  uint8_t type = h[2];
  uint16_t flags = static_cast<uint16_t>(h[3] | (h[4] << 8));
  if (type == kMain && (flags & kMainComment) && size >= 13) return Crc16(h + 2, 11) == stored;
  if (type == kFile && (flags & kFileComment) && size >= 32) {
    size_t end = 32 + static_cast<size_t>(h[26] | (h[27] << 8));
    return end <= size && Crc16(h + 2, end - 2) == stored;
  }
  if (type == kOldSub && data) {
    uint32_t crc = Crc32(0, h + 2, size - 2);
    crc = Crc32(crc, data, data_size);
    return static_cast<uint16_t>(crc) == stored;
  }
  return false;
}

bool ParseRar4Header(const uint8_t* h, size_t size, Block* out) {
  ByteReader r(h, size);
  r.U16();
  uint8_t type = r.U8();
  uint32_t flags = r.U16();
  uint16_t head_size = r.U16();
  if (!r.ok() || head_size != size || head_size < 7) return false;
  out->rar4_type = type;
  switch (type) {
    case kMain: {
      out->kind = BlockKind::Main;
      ArchiveInfo& a = out->main;
      a.format = Format::Rar4;
      a.volume = flags & kMainVolume;
      a.has_comment = flags & kMainComment;
      a.locked = flags & kMainLock;
      a.solid = flags & kMainSolid;
      a.new_numbering = flags & kMainNewNumbering;
      a.signed_ = flags & kMainAuth;
      a.recovery = flags & kMainRecovery;
      a.headers_encrypted = flags & kMainPassword;
      a.first_volume = flags & kMainFirstVolume;
      r.U16();
      r.U32();
      if (!r.ok()) return false;
      if (a.has_comment && size > 13) out->old_comment.assign(h + 13, h + size);
      return true;
    }
    case kFile:
    case kNewSub: {
      out->kind = type == kFile ? BlockKind::File : BlockKind::Service;
      Entry& e = out->entry;
      e.rar4_flags = flags;
      uint64_t pack = r.U32();
      uint64_t unp = r.U32();
      e.host_os = r.U8();
      e.crc = r.U32();
      e.hash = HashKind::Crc32;
      e.dos_time = r.U32();
      e.unp_ver = r.U8();
      e.method = r.U8() - 0x30;
      uint16_t name_size = r.U16();
      e.attributes = r.U32();
      if (flags & kFileLarge) {
        pack |= static_cast<uint64_t>(r.U32()) << 32;
        unp |= static_cast<uint64_t>(r.U32()) << 32;
      }
      if (!r.ok() || name_size > r.left()) return false;
      const uint8_t* name = r.here();
      r.Skip(name_size);
      if (type == kFile && (flags & kFileComment)) out->old_comment.assign(r.here(), r.here() + r.left());
      if (flags & kFileSalt) {
        r.Bytes(e.crypt.salt, 8);
        e.crypt.has_salt = true;
      }
      e.mtime = DosTimeToFileTime(e.dos_time);
      e.local_times = true;
      if (flags & kFileExtTime) {
        ByteReader t(r.here(), r.left());
        ParseExtTime(t, &e);  // a malformed time record is tolerated, as RAR itself does
      }
      if (!r.ok()) return false;
      e.pack_size = pack;
      e.unp_size = unp;
      out->data_size = pack;
      e.split_before = flags & kFileSplitBefore;
      e.split_after = flags & kFileSplitAfter;
      e.solid = flags & kFileSolid;
      e.unix_attributes = e.host_os == 3;
      bool dos_like = e.host_os == 0 || e.host_os == 1 || e.host_os == 2;
      e.directory = (flags & kFileWindowMask) == kFileDirectory || (dos_like && (e.attributes & 0x10)) ||
                    (e.unix_attributes && (e.attributes & 0xF000) == 0x4000);
      e.dict_size = e.directory ? 0 : (64u * 1024u) << ((flags & kFileWindowMask) >> 5);
      if (flags & kFilePassword) e.crypt.scheme = e.unp_ver >= 29 ? 29 : e.unp_ver >= 20 ? 20 : 15;
      if (e.unix_attributes && (e.attributes & 0xF000) == 0xA000) e.redirect = Redirect::UnixSymlink;
      if (type == kNewSub) {
        out->service_name.assign(reinterpret_cast<const char*>(name), name_size);
        size_t zero = out->service_name.find('\0');
        if (zero != std::string::npos) out->service_name.resize(zero);
      } else {
        e.name = DecodeRar4Name(name, name_size, flags & kFileUnicode, e.host_os == 3);
        for (wchar_t& c : e.name)
          if (c == L'\\') c = L'/';
      }
      return true;
    }
    case kEnd:
      out->kind = BlockKind::End;
      out->end_more_volumes = flags & 0x0001;
      return true;
    default:
      out->kind = BlockKind::Other;
      if (flags & kLongBlock) {
        out->data_size = r.U32();
        if (!r.ok()) return false;
      }
      return true;
  }
}

uint64_t DosTimeToFileTime(uint32_t dos) {
  if (dos == 0) return 0;
  int year = static_cast<int>((dos >> 25) & 0x7F) + 1980;
  unsigned month = (dos >> 21) & 0xF, day = (dos >> 16) & 0x1F;
  unsigned hour = (dos >> 11) & 0x1F, minute = (dos >> 5) & 0x3F, second = (dos & 0x1F) * 2;
  if (month < 1 || month > 12 || day < 1) return 0;
  // Days from 1970-01-01 (civil calendar).
  int y = year - (month <= 2);
  int era = y / 400;
  unsigned yoe = static_cast<unsigned>(y - era * 400);
  unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  int64_t days = static_cast<int64_t>(era) * 146097 + static_cast<int64_t>(doe) - 719468;
  return UnixTimeToFileTime(days * 86400 + hour * 3600 + minute * 60 + second);
}

uint64_t UnixTimeToFileTime(int64_t seconds) {
  int64_t t = seconds * 10000000 + 116444736000000000LL;
  return t < 0 ? 0 : static_cast<uint64_t>(t);
}

uint32_t FileTimeToDosTime(uint64_t filetime) {
  if (filetime < 116444736000000000ULL) return 0;
  int64_t secs = static_cast<int64_t>((filetime - 116444736000000000ULL) / 10000000);
  int64_t days = secs / 86400;
  int64_t rem = secs % 86400;
  // Civil date from days since 1970-01-01.
  int64_t z = days + 719468;
  int64_t era = z / 146097;
  unsigned doe = static_cast<unsigned>(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = static_cast<int64_t>(yoe) + era * 400;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  unsigned d = doy - (153 * mp + 2) / 5 + 1;
  unsigned m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) y++;
  if (y < 1980 || y > 2107) return 0;
  return (static_cast<uint32_t>(y - 1980) << 25) | (m << 21) | (d << 16) | (static_cast<uint32_t>(rem / 3600) << 11) |
         (static_cast<uint32_t>(rem % 3600 / 60) << 5) | static_cast<uint32_t>(rem % 60 / 2);
}

}  // namespace unrar
