#include "unrar/archive.h"

#include <algorithm>
#include <cstring>

#include "unrar/byte_reader.h"
#include "unrar/checksum.h"
#include "unrar/unrar.h"
#include "unrar/volume_names.h"
#include "util/codepage.h"
#include "util/text.h"

namespace unrar {
namespace {

const int kEof = -1;     // no header at this position: the volume has ended
const int kNoMore = -2;  // there is no further volume
const uint8_t kRar4Signature[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
const uint8_t kRar5Signature[8] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
const uint64_t kSfxSearch = 1 << 20;           // an SFX stub is searched this far
const uint64_t kMaxRar5Header = 2 * 1024 * 1024;
const uint64_t kMaxComment = 1 << 20;
const int kVolumeAsks = 8;  // a volume callback that keeps answering "retry" is asked this often

uint64_t Round16(uint64_t n) { return (n + 15) & ~uint64_t(15); }

std::u16string Utf16Password(const std::wstring& w) { return util::ToUtf16(w); }

// The packed bytes of one region of a volume, for comments.
class RegionSource : public PackedSource {
 public:
  RegionSource(const std::string& bytes) : bytes_(bytes) {}
  size_t Read(uint8_t* buf, size_t n, bool* ok) override {
    *ok = true;
    size_t take = std::min(n, bytes_.size() - pos_);
    memcpy(buf, bytes_.data() + pos_, take);
    pos_ += take;
    return take;
  }

 private:
  const std::string& bytes_;
  size_t pos_ = 0;
};

class StringSink : public UnpackSink {
 public:
  bool Write(const uint8_t* data, size_t n) override {
    if (text.size() + n > kMaxComment) return false;
    text.append(reinterpret_cast<const char*>(data), n);
    return true;
  }
  std::string text;
};

// A packed comment, whole in memory, decoded by the method it names. 0, or an ERAR_* code.
int UnpackComment(const std::string& packed, int version, uint64_t dict_size, uint64_t size, std::string* text) {
  auto unpacker = MakeUnpacker(version);
  if (!unpacker) return ERAR_UNKNOWN_FORMAT;
  RegionSource src(packed);
  StringSink sink;
  UnpackParams params;
  params.version = version;
  params.dict_size = dict_size;
  params.unpacked_size = size;
  if (unpacker->Unpack(params, src, sink) != UnpackStatus::Ok) return ERAR_BAD_DATA;
  *text = std::move(sink.text);
  return 0;
}

// A RAR 1.5-2.x comment inside a main or file header: its own small header, then the text,
// stored or packed by the method of that version. Returns 1, or an ERAR_* code.
int DecodeOldComment(const std::vector<uint8_t>& block, std::string* out) {
  ByteReader c(block.data(), block.size());
  c.Skip(7);
  uint16_t unp_size = c.U16();
  uint8_t unp_ver = c.U8();
  uint8_t method = c.U8();
  uint16_t crc = c.U16();
  if (!c.ok()) return ERAR_BAD_DATA;
  std::string packed(reinterpret_cast<const char*>(c.here()), c.left());
  std::string text;
  if (method == 0x30) {
    text = packed.substr(0, unp_size);
  } else {
    const int r = UnpackComment(packed, unp_ver, 64 * 1024, unp_size, &text);
    if (r != 0) return r;
  }
  if (static_cast<uint16_t>(Crc32(0, text.data(), text.size())) != crc) return ERAR_BAD_DATA;
  while (!text.empty() && text.back() == '\0') text.pop_back();
  *out = text;
  return 1;
}

}  // namespace

// Packed data of an entry: this volume's part, then the parts in the following volumes.
class Archive::DataSource : public PackedSource {
 public:
  DataSource(Archive* archive, const Entry& entry, std::unique_ptr<platform::crypto::AesCbcDecryptor> decryptor)
      : archive_(archive), part_(entry), left_(entry.pack_size), decryptor_(std::move(decryptor)) {}

  size_t Read(uint8_t* buf, size_t n, bool* ok) override {
    *ok = true;
    if (!decryptor_) return ReadRaw(buf, n, ok);
    while (plain_.empty()) {
      // Decrypt whole blocks; a tail shorter than a block waits for the next part.
      uint8_t chunk[65536];
      size_t got = ReadRaw(chunk, sizeof chunk, ok);
      if (!*ok) return 0;
      if (got == 0) return 0;
      pending_.insert(pending_.end(), chunk, chunk + got);
      size_t whole = pending_.size() & ~size_t(15);
      if (whole == 0) continue;
      if (!decryptor_->Decrypt(pending_.data(), whole)) {
        archive_->data_error_ = ERAR_UNKNOWN;
        *ok = false;
        return 0;
      }
      plain_.assign(pending_.begin(), pending_.begin() + whole);
      pending_.erase(pending_.begin(), pending_.begin() + whole);
      plain_pos_ = 0;
    }
    size_t take = std::min(n, plain_.size() - plain_pos_);
    memcpy(buf, plain_.data() + plain_pos_, take);
    plain_pos_ += take;
    if (plain_pos_ == plain_.size()) plain_.clear();
    return take;
  }

 private:
  size_t ReadRaw(uint8_t* buf, size_t n, bool* ok) {
    while (left_ == 0) {
      if (!part_.split_after) return 0;
      int r = archive_->ContinueEntry(&part_);
      if (r != 0) {
        archive_->data_error_ = r;
        *ok = false;
        return 0;
      }
      left_ = part_.pack_size;
    }
    size_t take = static_cast<size_t>(std::min<uint64_t>(n, left_));
    uint64_t at = part_.data_offset + (part_.pack_size - left_);
    if (!archive_->ReadAt(at, buf, take)) {
      archive_->data_error_ = ERAR_BAD_DATA;  // the archive ends inside the data
      *ok = false;
      return 0;
    }
    left_ -= take;
    return take;
  }

  Archive* archive_;
  Entry part_;
  uint64_t left_;
  std::unique_ptr<platform::crypto::AesCbcDecryptor> decryptor_;
  std::vector<uint8_t> pending_;
  std::vector<uint8_t> plain_;
  size_t plain_pos_ = 0;
};

Archive::Archive(platform::FileSystem& fs, ArchiveCallbacks callbacks) : fs_(fs), callbacks_(std::move(callbacks)) {}
Archive::~Archive() = default;

bool Archive::ReadAt(uint64_t pos, void* buf, size_t n) {
  if (!volume_.file || pos > volume_.size || n > volume_.size - pos) return false;
  if (!volume_.file->Seek(pos)) return false;
  uint8_t* p = static_cast<uint8_t*>(buf);
  while (n > 0) {
    size_t got = 0;
    if (!volume_.file->Read(p, n, &got) || got == 0) return false;
    p += got;
    n -= got;
  }
  return true;
}

bool Archive::GetPassword(std::wstring* password) {
  if (password_set_ && !password_.empty()) {
    *password = password_;
    return true;
  }
  std::wstring asked;
  if (callbacks_.need_password && callbacks_.need_password(&asked) && !asked.empty()) {
    password_ = asked;
    password_set_ = true;
    *password = asked;
    return true;
  }
  return false;
}

int Archive::Open(const std::wstring& path) {
  int r = OpenVolume(path, true);
  if (r != 0) return r;
  std::wstring password;
  if (info_.headers_encrypted && !(password_set_ && !password_.empty())) {
    // Encrypted headers wait for a password: from the callback now, or RARSetPassword later.
    if (!GetPassword(&password)) return 0;
  }
  return StartHeaders();
}

// Where the signature of either format starts: at once in a plain archive, within the first
// MiB after an SFX stub. -1 when there is none; ERAR_EREAD through *error.
static int64_t FindSignature(platform::ReadableFile& file, uint64_t size, Format* format, int* error) {
  *error = 0;
  uint8_t start[8] = {};
  const size_t start_size = static_cast<size_t>(std::min<uint64_t>(size, 8));
  bool plain = false;
  if (file.Seek(0)) {
    size_t got = 0;
    plain = file.Read(start, start_size, &got) && got == start_size && got >= 7 &&
            (memcmp(start, kRar4Signature, 7) == 0 || (got == 8 && memcmp(start, kRar5Signature, 8) == 0));
  }
  std::vector<uint8_t> head(plain ? start_size : static_cast<size_t>(std::min<uint64_t>(size, kSfxSearch + 8)));
  size_t have = 0;
  if (!file.Seek(0)) {
    *error = ERAR_EREAD;
    return -1;
  }
  while (have < head.size()) {
    size_t got = 0;
    if (!file.Read(head.data() + have, head.size() - have, &got)) {
      *error = ERAR_EREAD;
      return -1;
    }
    if (got == 0) break;
    have += got;
  }
  head.resize(have);
  for (size_t i = 0; i + 7 <= head.size(); i++) {
    if (head[i] != 0x52) continue;
    if (memcmp(&head[i], kRar4Signature, 7) == 0) {
      *format = Format::Rar4;
      return static_cast<int64_t>(i);
    }
    if (i + 8 <= head.size() && memcmp(&head[i], kRar5Signature, 8) == 0) {
      *format = Format::Rar5;
      return static_cast<int64_t>(i);
    }
  }
  return -1;
}

int Archive::OpenVolume(const std::wstring& name, bool first) {
  Volume v;
  v.name = name;
  v.file = fs_.OpenRead(name);
  if (!v.file) return ERAR_EOPEN;
  v.size = v.file->Size();
  Format format = Format::Rar4;
  int error = 0;
  const int64_t found = FindSignature(*v.file, v.size, &format, &error);
  if (error != 0) return error;
  if (found < 0) return ERAR_BAD_ARCHIVE;
  if (!first && format != info_.format) return ERAR_BAD_ARCHIVE;

  // A later volume that fails leaves the archive on the volume it was reading.
  Volume old = std::move(volume_);
  volume_ = std::move(v);
  const bool keep_crypt = info_.headers_encrypted;
  const uint64_t pos = static_cast<uint64_t>(found) + (format == Format::Rar4 ? 7 : 8);
  if (first) info_ = ArchiveInfo();
  info_.format = format;
  has_pending_ = false;
  at_end_ = false;
  const int r = format == Format::Rar4 ? ReadRar4MainHeader(pos, first) : ReadRar5MainHeader(pos, first, keep_crypt);
  if (r != 0 && !first) {
    volume_ = std::move(old);
    info_.headers_encrypted = keep_crypt;
  }
  return r;
}

int Archive::ReadRar4MainHeader(uint64_t pos, bool first) {
  std::vector<uint8_t> raw;
  uint64_t span = 0;
  const int r = ReadRar4Raw(pos, &raw, &span, true);
  if (r != 0) return r == kEof ? ERAR_BAD_DATA : r;
  Block main;
  if (!Rar4HeaderCrcMatches(raw.data(), raw.size(), nullptr, 0) || !ParseRar4Header(raw.data(), raw.size(), &main) ||
      main.kind != BlockKind::Main)
    return ERAR_BAD_DATA;
  if (first) {
    info_ = main.main;
    if (!main.old_comment.empty()) {
      std::string text;
      comment_state_ = DecodeOldComment(main.old_comment, &text);
      if (comment_state_ == 1) {
        comment_bytes_ = text;
        comment_ = util::FromCp866(text);
      }
    }
  } else {
    info_.volume = main.main.volume;
  }
  pos_ = pos + span;
  started_ = !first;
  return 0;
}

// An archive encryption header may come first; then the main header. In a first volume with
// encrypted headers the main header waits for the password.
int Archive::ReadRar5MainHeader(uint64_t pos, bool first, bool headers_were_encrypted) {
  pos_ = pos;
  Block block;
  uint64_t data_pos = 0, next = 0;
  info_.headers_encrypted = false;
  int r = ReadBlock(pos_, &block, &data_pos, &next);
  if (r != 0) return r == kEof ? ERAR_BAD_DATA : r;
  if (block.kind == BlockKind::Crypt) {
    if (block.archive_crypt.scheme != 50 || block.archive_crypt.kdf_log2 > kRar5MaxKdfLog2)
      return ERAR_UNKNOWN_FORMAT;
    header_crypt_ = block.archive_crypt;
    header_keys_ready_ = false;
    info_.headers_encrypted = true;
    pos_ = next;
    if (first) return 0;
    r = ReadBlock(pos_, &block, &data_pos, &next);
    if (r != 0) return r == kEof ? ERAR_BAD_DATA : r;
  } else if (headers_were_encrypted && !first) {
    return ERAR_BAD_DATA;
  }
  if (block.kind != BlockKind::Main) return ERAR_BAD_DATA;
  if (first) {
    const bool encrypted = info_.headers_encrypted;
    info_ = block.main;
    info_.headers_encrypted = encrypted;
  }
  pos_ = next;
  started_ = !first;
  return 0;
}

int Archive::HeaderKeys() {
  if (header_keys_ready_) return 0;
  std::wstring password;
  if (!GetPassword(&password)) return ERAR_MISSING_PASSWORD;
  if (!keys_.Rar5(util::ToUtf8(password), header_crypt_.salt, header_crypt_.kdf_log2, &header_keys5_))
    return keys_.failure_code();
  if (header_crypt_.has_check && CheckRar5Password(header_keys5_, header_crypt_.check) == PasswordCheck::Mismatch)
    return ERAR_BAD_PASSWORD;
  header_keys_ready_ = true;
  return 0;
}

int Archive::StartHeaders() {
  if (info_.format == Format::Rar5 && info_.headers_encrypted && !started_) {
    // The main header of an archive with encrypted headers.
    Block block;
    uint64_t data_pos = 0, next = 0;
    int r = ReadBlock(pos_, &block, &data_pos, &next);
    if (r != 0) return r == kEof ? ERAR_BAD_DATA : r;
    if (block.kind != BlockKind::Main) return ERAR_BAD_DATA;
    info_ = block.main;
    info_.headers_encrypted = true;
    pos_ = next;
  }
  started_ = true;
  // Service headers before the first entry: the archive comment lives there.
  for (;;) {
    Block block;
    uint64_t data_pos = 0, next = 0;
    int r = ReadBlock(pos_, &block, &data_pos, &next);
    if (r == kEof) return 0;
    if (r != 0) return r;
    if (block.kind == BlockKind::Service || block.kind == BlockKind::Other) {
      if (block.kind == BlockKind::Service && block.service_name == "CMT" && comment_state_ == 0) {
        info_.has_comment = true;
        comment_state_ = ReadComment(block, data_pos);
      }
      pos_ = next;
      continue;
    }
    pending_ = block;
    pending_data_pos_ = data_pos;
    pending_next_pos_ = next;
    has_pending_ = true;
    return 0;
  }
}

int Archive::ReadComment(const Block& block, uint64_t data_pos) {
  const Entry& e = block.entry;
  if (e.pack_size > kMaxComment || e.unp_size > kMaxComment) return ERAR_BAD_DATA;
  std::string packed(static_cast<size_t>(e.pack_size), '\0');
  if (!ReadAt(data_pos, &packed[0], packed.size())) return ERAR_BAD_DATA;
  Rar5Keys keys;
  if (e.encrypted()) {
    std::unique_ptr<platform::crypto::AesCbcDecryptor> dec;
    const int r = OpenDecryptor(e, &dec, &keys);
    if (r != 0) return r;
    if (packed.size() % 16 != 0) return ERAR_BAD_DATA;
    if (!dec->Decrypt(reinterpret_cast<uint8_t*>(&packed[0]), packed.size())) return ERAR_UNKNOWN;
  }
  std::string text;
  if (e.stored()) {
    if (packed.size() < e.unp_size) return ERAR_BAD_DATA;
    text = packed.substr(0, static_cast<size_t>(e.unp_size));
  } else {
    const int r = UnpackComment(packed, e.unp_ver, std::min<uint64_t>(e.dict_size, kMaxComment), e.unp_size, &text);
    if (r != 0) return r;
  }
  if (e.hash == HashKind::Crc32) {
    const uint32_t crc = Crc32(0, text.data(), text.size());
    if ((e.crypt.tweaked ? TweakRar5Crc(crc, keys.hash_key) : crc) != e.crc) return ERAR_BAD_DATA;
  }
  while (!text.empty() && text.back() == '\0') text.pop_back();
  if (info_.format == Format::Rar5) {
    comment_ = util::FromUtf8(text);
    comment_bytes_ = util::ToCp866(comment_);
  } else {
    comment_bytes_ = text;
    comment_ = util::FromCp866(text);
  }
  return 1;
}

int Archive::OpenDecryptor(const Entry& e, std::unique_ptr<platform::crypto::AesCbcDecryptor>* decryptor,
                           Rar5Keys* keys) {
  if (e.crypt.scheme != 29 && e.crypt.scheme != 50) return ERAR_UNKNOWN_FORMAT;  // RAR 1.5/2.0 ciphers
  if (e.crypt.scheme == 50 && e.crypt.kdf_log2 > kRar5MaxKdfLog2) return ERAR_BAD_DATA;
  std::wstring password;
  if (!GetPassword(&password)) return ERAR_MISSING_PASSWORD;
  if (e.crypt.scheme == 29) {
    uint8_t key[16], iv[16];
    if (!keys_.Rar3(Utf16Password(password), e.crypt.has_salt ? e.crypt.salt : nullptr, key, iv))
      return keys_.failure_code();
    *decryptor = platform::crypto::NewAesCbcDecryptor(key, 16, iv);
  } else {
    if (!keys_.Rar5(util::ToUtf8(password), e.crypt.salt, e.crypt.kdf_log2, keys)) return keys_.failure_code();
    if (e.crypt.has_check && CheckRar5Password(*keys, e.crypt.check) == PasswordCheck::Mismatch)
      return ERAR_BAD_PASSWORD;
    *decryptor = platform::crypto::NewAesCbcDecryptor(keys->key, 32, e.crypt.iv);
  }
  return *decryptor ? 0 : ERAR_UNKNOWN;
}

int Archive::ReadRar4Raw(uint64_t pos, std::vector<uint8_t>* header, uint64_t* span, bool main_header) {
  uint64_t size = volume_.size;
  if (pos >= size || size - pos < 7) return kEof;
  bool encrypted = info_.headers_encrypted && !main_header;
  if (!encrypted) {
    uint8_t base[7];
    if (!ReadAt(pos, base, 7)) return ERAR_BAD_DATA;
    size_t head_size = base[5] | (base[6] << 8);
    if (head_size < 7 || head_size > size - pos) return ERAR_BAD_DATA;
    header->resize(head_size);
    if (!ReadAt(pos, header->data(), head_size)) return ERAR_BAD_DATA;
    *span = head_size;
    return 0;
  }
  // Encrypted: an 8-byte salt, then the header padded to whole AES blocks.
  if (size - pos < 8 + 16) return size - pos <= 16 ? kEof : ERAR_BAD_DATA;
  uint8_t salt[8];
  if (!ReadAt(pos, salt, 8)) return ERAR_BAD_DATA;
  std::wstring password;
  if (!GetPassword(&password)) return ERAR_MISSING_PASSWORD;
  uint8_t key[16], iv[16];
  if (!keys_.Rar3(Utf16Password(password), salt, key, iv)) return keys_.failure_code();
  std::vector<uint8_t> block(16);
  if (!ReadAt(pos + 8, block.data(), 16)) return ERAR_BAD_DATA;
  auto dec = platform::crypto::NewAesCbcDecryptor(key, 16, iv);
  if (!dec || !dec->Decrypt(block.data(), 16)) return ERAR_UNKNOWN;
  size_t head_size = block[5] | (block[6] << 8);
  uint64_t padded = Round16(head_size);
  if (head_size < 7 || padded > size - pos - 8) return ERAR_BAD_PASSWORD;
  block.resize(static_cast<size_t>(padded));
  if (padded > 16) {
    if (!ReadAt(pos + 24, block.data() + 16, static_cast<size_t>(padded - 16))) return ERAR_BAD_DATA;
    if (!dec->Decrypt(block.data() + 16, static_cast<size_t>(padded - 16))) return ERAR_UNKNOWN;
  }
  block.resize(head_size);
  *header = std::move(block);
  *span = 8 + padded;
  return 0;
}

int Archive::ReadRar5Raw(uint64_t pos, std::vector<uint8_t>* header, uint64_t* span) {
  uint64_t size = volume_.size;
  if (pos >= size) return kEof;
  bool encrypted = info_.headers_encrypted;
  std::unique_ptr<platform::crypto::AesCbcDecryptor> dec;
  uint64_t start = pos;
  if (encrypted) {
    int r = HeaderKeys();
    if (r != 0) return r;
    if (size - pos < 32) return ERAR_BAD_DATA;
    uint8_t iv[16];
    if (!ReadAt(pos, iv, 16)) return ERAR_BAD_DATA;
    dec = platform::crypto::NewAesCbcDecryptor(header_keys5_.key, 32, iv);
    if (!dec) return ERAR_UNKNOWN;
    start = pos + 16;
  }
  uint8_t first[16];
  size_t first_size = static_cast<size_t>(std::min<uint64_t>(encrypted ? 16 : 7, size - start));
  if (first_size < 5 || !ReadAt(start, first, first_size)) return ERAR_BAD_DATA;
  if (encrypted && !dec->Decrypt(first, 16)) return ERAR_UNKNOWN;
  ByteReader r(first + 4, first_size - 4);
  uint64_t head_size = r.Vint();
  if (!r.ok() || head_size == 0 || head_size > kMaxRar5Header) return ERAR_BAD_DATA;
  uint64_t total = 4 + r.pos() + head_size;
  uint64_t stored = encrypted ? Round16(total) : total;
  if (stored > size - start) return ERAR_BAD_DATA;
  std::vector<uint8_t> raw(static_cast<size_t>(stored));
  memcpy(raw.data(), first, std::min<size_t>(first_size, raw.size()));
  if (stored > first_size && !ReadAt(start + first_size, raw.data() + first_size, raw.size() - first_size))
    return ERAR_BAD_DATA;
  if (encrypted && stored > 16 && !dec->Decrypt(raw.data() + 16, raw.size() - 16)) return ERAR_UNKNOWN;
  uint32_t crc = raw[0] | (raw[1] << 8) | (raw[2] << 16) | (uint32_t(raw[3]) << 24);
  if (Crc32(0, raw.data() + 4, static_cast<size_t>(total - 4)) != crc)
    return encrypted && !header_crypt_.has_check ? ERAR_BAD_PASSWORD : ERAR_BAD_DATA;
  header->assign(raw.begin() + 4 + r.pos(), raw.begin() + static_cast<size_t>(total));
  *span = (start - pos) + stored;
  return 0;
}

int Archive::ReadBlock(uint64_t pos, Block* block, uint64_t* data_pos, uint64_t* next_pos) {
  std::vector<uint8_t> raw;
  uint64_t span = 0;
  *block = Block();
  if (info_.format == Format::Rar4) {
    int r = ReadRar4Raw(pos, &raw, &span, false);
    if (r != 0) return r;
    bool parsed = ParseRar4Header(raw.data(), raw.size(), block);
    if (!Rar4HeaderCrcMatches(raw.data(), raw.size(), nullptr, 0)) {
      // The old Unix-owner block counts its data in its CRC.
      bool ok = false;
      if (parsed && block->rar4_type == 0x77 && block->data_size <= 65536 && !info_.headers_encrypted) {
        std::vector<uint8_t> data(static_cast<size_t>(block->data_size));
        ok = ReadAt(pos + span, data.data(), data.size()) &&
             Rar4HeaderCrcMatches(raw.data(), raw.size(), data.data(), data.size());
      }
      if (!ok) return info_.headers_encrypted ? ERAR_BAD_PASSWORD : ERAR_BAD_DATA;
    }
    if (!parsed) return ERAR_BAD_DATA;
  } else {
    int r = ReadRar5Raw(pos, &raw, &span);
    if (r != 0) return r;
    if (!ParseRar5Header(raw.data(), raw.size(), block)) return ERAR_BAD_DATA;
  }
  *data_pos = pos + span;
  if (block->data_size > (uint64_t(1) << 62)) return ERAR_BAD_DATA;
  *next_pos = *data_pos + block->data_size;
  return 0;
}

int Archive::NextVolume(bool required) {
  std::wstring name = NextVolumeName(volume_.name, info_.new_numbering);
  int asks = 0;
  while (fs_.Kind(name) != platform::PathKind::File) {
    if (!required) return kNoMore;
    // A volume the caller could not give once is not asked for again.
    if (!callbacks_.change_volume || asks++ >= kVolumeAsks || name == refused_volume_) return ERAR_EOPEN;
    std::wstring asked = name;
    if (!callbacks_.change_volume(&name, RAR_VOL_ASK)) {
      refused_volume_ = asked;
      return ERAR_EOPEN;
    }
  }
  int r = OpenVolume(name, false);
  if (r != 0) return r == ERAR_BAD_ARCHIVE ? ERAR_EOPEN : r;
  if (callbacks_.change_volume) {
    std::wstring notified = name;
    if (!callbacks_.change_volume(&notified, RAR_VOL_NOTIFY)) return ERAR_EOPEN;
  }
  return 0;
}

int Archive::NextEntry(Entry* entry, bool include_split_parts) {
  if (!started_) {
    std::wstring password;
    if (!GetPassword(&password)) return ERAR_MISSING_PASSWORD;
    int r = StartHeaders();
    if (r != 0) return r;
  }
  if (at_end_) return ERAR_END_ARCHIVE;
  for (;;) {
    Block block;
    uint64_t data_pos = 0, next = 0;
    int r;
    if (has_pending_) {
      block = pending_;
      data_pos = pending_data_pos_;
      next = pending_next_pos_;
      has_pending_ = false;
      r = 0;
    } else {
      r = ReadBlock(pos_, &block, &data_pos, &next);
    }
    if (r == kEof) {
      // An old archive may end without an end block; a volume set may go on.
      if (info_.volume) {
        r = NextVolume(false);
        if (r == 0) continue;
        if (r != kNoMore) return r;
      }
      at_end_ = true;
      return ERAR_END_ARCHIVE;
    }
    if (r != 0) return r;
    switch (block.kind) {
      case BlockKind::File:
        pos_ = next;
        if (block.entry.split_before && !include_split_parts) continue;
        *entry = block.entry;
        entry->data_offset = data_pos;
        if (!block.old_comment.empty()) entry->comment_state = DecodeOldComment(block.old_comment, &entry->comment);
        last_part_ = *entry;
        data_error_ = 0;
        return 0;
      case BlockKind::End:
        if (block.end_more_volumes) {
          r = NextVolume(true);
          if (r != 0) return r;
          continue;
        }
        at_end_ = true;
        return ERAR_END_ARCHIVE;
      case BlockKind::Main:
      case BlockKind::Crypt:
        return ERAR_BAD_DATA;
      default:
        pos_ = next;
        continue;
    }
  }
}

int Archive::ContinueEntry(Entry* part) {
  int r = NextVolume(true);
  if (r != 0) return r;
  for (;;) {
    Block block;
    uint64_t data_pos = 0, next = 0;
    r = ReadBlock(pos_, &block, &data_pos, &next);
    if (r == kEof) return ERAR_BAD_DATA;
    if (r != 0) return r;
    pos_ = next;
    if (block.kind == BlockKind::Service || block.kind == BlockKind::Other) continue;
    if (block.kind != BlockKind::File || !block.entry.split_before || block.entry.name != part->name)
      return ERAR_BAD_DATA;
    *part = block.entry;
    part->data_offset = data_pos;
    last_part_ = *part;
    return 0;
  }
}

std::unique_ptr<PackedSource> Archive::OpenData(const Entry& entry,
                                                std::unique_ptr<platform::crypto::AesCbcDecryptor> decryptor) {
  data_error_ = 0;
  last_part_ = entry;
  return std::make_unique<DataSource>(this, entry, std::move(decryptor));
}

}  // namespace unrar
