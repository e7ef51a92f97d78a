#pragma once
// A small RAR writer for tests: stored (-m0) entries in RAR4 (2.9 headers) or RAR5, optional AES
// encryption, and deliberate damage. It writes whatever name bytes it is given, hostile ones
// included, so tests can make the archives the real corpus lacks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rarwriter {

enum class Format { Rar4, Rar5 };

struct Entry {
  // RAR4: the bytes of the OEM (866) name field; when empty, unicode_name converted to 866.
  // RAR5: used only when unicode_name is empty, written verbatim as the UTF-8 name field.
  std::string oem_name;
  // RAR4: stored as the encoded Unicode name after the OEM name (flag 0x200).
  // RAR5: the name, stored as UTF-8.
  std::u16string unicode_name;
  bool directory = false;
  std::string data;              // file contents; ignored for directories
  uint32_t attributes = 0;       // Windows attributes; 0 = 0x20 for files, 0x10 for directories
  int64_t mtime = 946684800;     // Unix time, UTC (RAR4 stores it as a DOS time of that UTC clock)
  uint32_t mtime_100ns = 0;      // sub-second part, 0..9999999
  bool encrypted = false;        // needs Archive::password
  bool bad_data_crc = false;     // damage: store a data CRC that does not match the contents
};

struct Archive {
  Format format = Format::Rar5;
  std::vector<Entry> entries;
  std::string password;          // UTF-8; needed by encrypted entries and encrypted headers
  bool encrypt_headers = false;  // RAR "-hp": every header after the main one is encrypted
  std::string comment;           // RAR5: the archive comment (a "CMT" service header), UTF-8
  bool encrypt_comment = false;  // RAR5: the comment's data is encrypted like an entry's
  int rar5_kdf_log2 = 15;        // PBKDF2 rounds = 2^this (RAR itself uses 15)
  uint32_t seed = 1;             // salts and IVs come from it: same input, same bytes
  // Damage: the header that follows this many entries (the next entry's, or the end block) is
  // damaged as header_damage says. -1 = none.
  int corrupt_header_after = -1;
  enum class HeaderDamage {
    BadCrc,   // only its CRC is wrong: a reader that checks it must stop, one that does not reads on
    Garbled,  // its CRC is wrong and its size impossible: no reader can go past it
  };
  HeaderDamage header_damage = HeaderDamage::Garbled;
  bool end_block = true;         // write the end-of-archive header
  // Damage: keep only this many bytes of the archive (see Written::entries for where entries
  // lie). -1 = the whole archive.
  int64_t truncate_to = -1;
};

// Where each entry landed in the output, so tests can cut or flip bytes at known places.
struct EntryLayout {
  size_t header_offset = 0;
  size_t data_offset = 0;
  size_t data_size = 0;          // packed (stored, maybe padded) size
};

struct Written {
  std::string bytes;
  std::vector<EntryLayout> entries;
};

// Throws std::invalid_argument for what the format cannot hold (no password for an encrypted
// entry, a RAR4 name over 65535 bytes, a RAR4 password of 28 characters or more).
Written Write(const Archive& archive);

// Writes the archive to a file; throws std::runtime_error when the file cannot be written.
void WriteFile(const Archive& archive, const std::string& path);

// Helpers for names and contents.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
// DOS code page 866; characters it lacks become '?'.
std::string ToCp866(std::u16string_view text);
// An entry named in the format's usual way: RAR4 names use '\' and carry a Unicode name only
// when not plain ASCII (as RAR does); RAR5 names use '/'. name_utf8 may use either separator.
Entry MakeFile(Format format, std::string_view name_utf8, std::string data);
Entry MakeDirectory(Format format, std::string_view name_utf8);

uint32_t Crc32(std::string_view data, uint32_t crc = 0);

}  // namespace rarwriter
