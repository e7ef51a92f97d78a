#pragma once
// An open archive: its volumes, its headers in order, and each entry's packed data (decrypted,
// continued across volumes). Knows nothing of extraction; see extractor.h.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/crypto.h"
#include "platform/file_system.h"
#include "unrar/entry.h"
#include "unrar/headers.h"
#include "unrar/rar_keys.h"
#include "unrar/unpack.h"

namespace unrar {

struct ArchiveCallbacks {
  // The next volume: mode is RAR_VOL_ASK (it is missing; *name may be changed; false gives up)
  // or RAR_VOL_NOTIFY (it was opened; false stops).
  std::function<bool(std::wstring* name, int mode)> change_volume;
  // A password is needed; false when none is given.
  std::function<bool(std::wstring* password)> need_password;
};

class Archive {
 public:
  Archive(platform::FileSystem& fs, ArchiveCallbacks callbacks);
  ~Archive();

  // Returns an ERAR_* code.
  int Open(const std::wstring& path);

  const ArchiveInfo& info() const { return info_; }
  const std::wstring& volume_name() const { return volume_.name; }
  // 0 none, 1 read, or an ERAR_* code; the text in its stored single-byte form and wide.
  int comment_state() const { return comment_state_; }
  const std::string& comment_bytes() const { return comment_bytes_; }
  const std::wstring& comment() const { return comment_; }

  // The next file entry. Parts continued from an earlier volume are passed over unless
  // include_split_parts. Returns 0, ERAR_END_ARCHIVE or an error code.
  int NextEntry(Entry* entry, bool include_split_parts);

  // The packed data of the entry NextEntry returned, from its first part to its last.
  // decryptor (may be null) decrypts the stream. last_part() then tells the final checksum.
  std::unique_ptr<PackedSource> OpenData(const Entry& entry, std::unique_ptr<platform::crypto::AesCbcDecryptor> decryptor);
  const Entry& last_part() const { return last_part_; }
  int data_error() const { return data_error_; }

  // The password: set by the caller, or asked through the callback once when needed.
  void SetPassword(const std::wstring& password) { password_ = password; password_set_ = true; }
  bool GetPassword(std::wstring* password);
  KeyCache& keys() { return keys_; }
  // The decryptor of one encrypted entry or comment (AES of RAR 3.x or RAR5), and its RAR5 keys
  // for the checksum tweak. A RAR5 password check value is compared first, so a wrong password
  // is refused here instead of decrypting into garbage. Returns an ERAR_* code.
  int OpenDecryptor(const Entry& entry, std::unique_ptr<platform::crypto::AesCbcDecryptor>* decryptor,
                    Rar5Keys* keys);

 private:
  struct Volume {
    std::wstring name;
    std::unique_ptr<platform::ReadableFile> file;
    uint64_t size = 0;
  };
  class DataSource;
  friend class DataSource;

  int OpenVolume(const std::wstring& name, bool first);
  int ReadRar4MainHeader(uint64_t pos, bool first);
  int ReadRar5MainHeader(uint64_t pos, bool first, bool headers_were_encrypted);
  int StartHeaders();
  int ReadComment(const Block& block, uint64_t data_pos);
  int ReadBlock(uint64_t pos, Block* block, uint64_t* data_pos, uint64_t* next_pos);
  int ReadRar4Raw(uint64_t pos, std::vector<uint8_t>* header, uint64_t* span, bool main_header);
  int ReadRar5Raw(uint64_t pos, std::vector<uint8_t>* header, uint64_t* span);
  int NextVolume(bool required);
  int ContinueEntry(Entry* part);
  bool ReadAt(uint64_t pos, void* buf, size_t n);
  int HeaderKeys();

  platform::FileSystem& fs_;
  ArchiveCallbacks callbacks_;
  Volume volume_;
  ArchiveInfo info_;
  bool started_ = false;    // headers after the main header can be read
  bool at_end_ = false;
  uint64_t pos_ = 0;        // next header in the current volume
  bool has_pending_ = false;
  Block pending_;
  uint64_t pending_data_pos_ = 0, pending_next_pos_ = 0;

  int comment_state_ = 0;
  std::string comment_bytes_;
  std::wstring comment_;

  std::wstring password_;
  bool password_set_ = false;
  bool password_asked_ = false;
  KeyCache keys_;
  EntryCrypt header_crypt_;  // RAR5 archive encryption record
  Rar5Keys header_keys5_;
  bool header_keys_ready_ = false;

  Entry last_part_;
  int data_error_ = 0;
  std::wstring refused_volume_;
};

}  // namespace unrar
