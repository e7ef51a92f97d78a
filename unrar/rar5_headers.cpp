// RAR5 headers: vint type and flags, optional extra and data sizes, the type's fields, then
// the extra area of typed records.
#include "unrar/byte_reader.h"
#include "unrar/headers.h"
#include "util/text.h"

namespace unrar {
namespace {

enum : uint64_t { kMain = 1, kFile = 2, kService = 3, kCrypt = 4, kEnd = 5 };
enum : uint64_t { kHasExtra = 0x01, kHasData = 0x02, kSplitBefore = 0x08, kSplitAfter = 0x10 };

bool ParseCryptRecord(ByteReader& r, EntryCrypt* c, bool file_record) {
  uint64_t version = r.Vint();
  uint64_t flags = r.Vint();
  c->kdf_log2 = r.U8();
  r.Bytes(c->salt, 16);
  if (file_record) r.Bytes(c->iv, 16);
  c->has_check = flags & 1;
  if (c->has_check) r.Bytes(c->check, 12);
  c->tweaked = file_record && (flags & 2);
  c->scheme = version == 0 ? 50 : -1;  // an unknown version stays encrypted but unreadable
  return r.ok();
}

bool ParseFileExtra(ByteReader& r, Entry* e) {
  while (r.left() > 0) {
    uint64_t size = r.Vint();
    if (!r.ok() || size == 0 || size > r.left()) return false;
    ByteReader rec(r.here(), static_cast<size_t>(size));
    r.Skip(size);
    uint64_t type = rec.Vint();
    switch (type) {
      case 1:
        if (!ParseCryptRecord(rec, &e->crypt, true)) return false;
        break;
      case 2:
        if (rec.Vint() == 0) {
          if (!rec.Bytes(e->blake2, 32)) return false;
          e->hash = HashKind::Blake2;
        }
        break;
      case 3: {
        uint64_t flags = rec.Vint();
        bool unix_time = flags & 1;
        uint64_t* slots[3] = {&e->mtime, &e->ctime, &e->atime};
        uint64_t present[3] = {flags & 2, flags & 4, flags & 8};
        int64_t unix_secs[3] = {0, 0, 0};
        for (int i = 0; i < 3; i++) {
          if (!present[i]) continue;
          if (unix_time) {
            unix_secs[i] = rec.U32();
            *slots[i] = UnixTimeToFileTime(unix_secs[i]);
          } else {
            *slots[i] = rec.U64();
          }
        }
        if (unix_time && (flags & 0x10)) {
          for (int i = 0; i < 3; i++) {
            if (!present[i]) continue;
            uint32_t ns = rec.U32();
            if (ns < 1000000000) *slots[i] += ns / 100;
          }
        }
        if (!rec.ok()) return false;
        break;
      }
      case 5: {
        uint64_t kind = rec.Vint();
        uint64_t flags = rec.Vint();
        uint64_t length = rec.Vint();
        if (!rec.ok() || length > rec.left()) return false;
        std::string target(reinterpret_cast<const char*>(rec.here()), static_cast<size_t>(length));
        e->redirect = kind >= 1 && kind <= 5 ? static_cast<Redirect>(kind) : Redirect::UnixSymlink;
        e->redirect_target = util::FromUtf8(target);
        e->redirect_to_directory = flags & 1;
        break;
      }
      case 4: {
        rec.Vint();
        uint64_t version = rec.Vint();
        if (!rec.ok()) return false;
        e->name += L';';
        e->name += std::to_wstring(version);  // an older version of a file, named as RAR shows it
        break;
      }
      default:
        break;  // owner, service data: not needed
    }
  }
  return r.ok();
}

}  // namespace

bool ParseRar5Header(const uint8_t* h, size_t size, Block* out) {
  ByteReader r(h, size);
  uint64_t type = r.Vint();
  uint64_t flags = r.Vint();
  uint64_t extra_size = (flags & kHasExtra) ? r.Vint() : 0;
  uint64_t data_size = (flags & kHasData) ? r.Vint() : 0;
  if (!r.ok() || extra_size > r.left()) return false;
  out->data_size = data_size;
  size_t body_end = size - static_cast<size_t>(extra_size);
  ByteReader body(h + r.pos(), body_end - r.pos());
  ByteReader extra(h + body_end, static_cast<size_t>(extra_size));
  switch (type) {
    case kMain: {
      out->kind = BlockKind::Main;
      ArchiveInfo& a = out->main;
      a.format = Format::Rar5;
      uint64_t af = body.Vint();
      a.volume = af & 0x01;
      a.solid = af & 0x04;
      a.recovery = af & 0x08;
      a.locked = af & 0x10;
      a.new_numbering = true;
      uint64_t number = (af & 0x02) ? body.Vint() : 0;
      a.first_volume = a.volume && number == 0;
      return body.ok();
    }
    case kFile:
    case kService: {
      out->kind = type == kFile ? BlockKind::File : BlockKind::Service;
      Entry& e = out->entry;
      uint64_t ff = body.Vint();
      e.unp_size = body.Vint();
      e.attributes = static_cast<uint32_t>(body.Vint());
      if (ff & 0x02) e.mtime = UnixTimeToFileTime(body.U32());
      if (ff & 0x04) {
        e.crc = body.U32();
        e.hash = HashKind::Crc32;
      }
      uint64_t info = body.Vint();
      uint64_t host = body.Vint();
      uint64_t name_size = body.Vint();
      if (!body.ok() || name_size > body.left()) return false;
      std::string name(reinterpret_cast<const char*>(body.here()), static_cast<size_t>(name_size));
      body.Skip(name_size);
      e.directory = ff & 0x01;
      e.size_unknown = ff & 0x08;
      e.pack_size = data_size;
      e.split_before = flags & kSplitBefore;
      e.split_after = flags & kSplitAfter;
      int algorithm = static_cast<int>(info & 0x3F);
      e.unp_ver = algorithm == 0 ? 50 : algorithm == 1 ? 70 : 50 + algorithm;
      e.solid = info & 0x40;
      e.method = static_cast<int>((info >> 7) & 7);
      unsigned dict_bits = (info >> 10) & 0x1F;
      e.dict_size = e.directory ? 0 : dict_bits > 23 ? (uint64_t(1) << 40) : (uint64_t(128) * 1024) << dict_bits;
      e.host_os = host == 0 ? 2 : host == 1 ? 3 : static_cast<int>(host);
      e.unix_attributes = host == 1;
      e.dos_time = FileTimeToDosTime(e.mtime);
      if (type == kService) {
        out->service_name = name;
      } else {
        e.name = util::FromUtf8(name);
        for (wchar_t& c : e.name)
          if (c == L'\\' && host == 0) c = L'/';
      }
      return ParseFileExtra(extra, &e);
    }
    case kCrypt:
      out->kind = BlockKind::Crypt;
      return ParseCryptRecord(body, &out->archive_crypt, false);
    case kEnd:
      out->kind = BlockKind::End;
      out->end_more_volumes = body.Vint() & 0x01;
      return body.ok();
    default:
      out->kind = BlockKind::Other;
      return true;
  }
}

}  // namespace unrar
