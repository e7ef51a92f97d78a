#pragma once
// What the headers of an archive say: the archive as a whole and each entry.
#include <cstdint>
#include <string>

namespace unrar {

enum class Format { Rar4, Rar5 };

struct ArchiveInfo {
  Format format = Format::Rar4;
  bool volume = false;
  bool first_volume = false;
  bool solid = false;
  bool locked = false;
  bool recovery = false;
  bool signed_ = false;
  bool new_numbering = false;
  bool headers_encrypted = false;
  bool has_comment = false;
};

enum class HashKind { None, Crc32, Blake2 };

enum class Redirect { None = 0, UnixSymlink = 1, WinSymlink = 2, Junction = 3, HardLink = 4, FileCopy = 5 };

// How an entry's data is encrypted.
struct EntryCrypt {
  int scheme = 0;  // 0 none, 20 RAR 2.0 cipher, 29 RAR3 AES-128, 50 RAR5 AES-256
  uint8_t salt[16] = {};
  bool has_salt = false;   // RAR3: 8-byte salt present
  uint8_t iv[16] = {};     // RAR5
  int kdf_log2 = 0;        // RAR5
  bool has_check = false;  // RAR5: password check value present
  uint8_t check[12] = {};
  bool tweaked = false;    // RAR5: checksums are MAC-converted with the hash key
};

struct Entry {
  std::wstring name;  // '/' separates folders
  bool directory = false;
  bool split_before = false;
  bool split_after = false;
  bool solid = false;
  bool size_unknown = false;
  uint64_t pack_size = 0;  // of this part
  uint64_t unp_size = 0;
  uint32_t attributes = 0;
  int host_os = 0;          // RARHeaderData.HostOS numbering: 0 DOS, 1 OS/2, 2 Windows, 3 Unix
  bool unix_attributes = false;
  uint32_t dos_time = 0;    // local DOS date and time
  uint64_t mtime = 0, ctime = 0, atime = 0;  // FILETIME, 0 when not stored
  bool local_times = false;  // RAR4: the times are on the archiving machine's clock, not UTC
  int unp_ver = 0;          // 15..36, or 50/70 for RAR5
  int method = 0;           // 0 store .. 5 best
  uint64_t dict_size = 0;   // bytes
  uint32_t rar4_flags = 0;  // raw RAR4 file flags, for the old API's Flags field
  HashKind hash = HashKind::None;
  uint32_t crc = 0;
  uint8_t blake2[32] = {};
  Redirect redirect = Redirect::None;
  std::wstring redirect_target;  // as stored
  bool redirect_to_directory = false;
  EntryCrypt crypt;
  int comment_state = 0;  // RAR 1.5-2.x file comment: 0 none, 1 read, or an ERAR_* code
  std::string comment;    // its text, in the archive's single-byte code page
  bool encrypted() const { return crypt.scheme != 0; }
  bool stored() const { return method == 0; }

  // Where this part's data lies in the current volume.
  uint64_t data_offset = 0;
};

}  // namespace unrar
