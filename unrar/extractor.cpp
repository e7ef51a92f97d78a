#include "unrar/extractor.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "unrar/checksum.h"
#include "unrar/crypt_old.h"
#include "unrar/rar_keys.h"
#include "unrar/safe_path.h"
#include "unrar/unrar.h"
#include "util/codepage.h"
#include "util/text.h"

namespace unrar {
namespace {

#ifdef _WIN32
const wchar_t kSeparator = L'\\';
#else
const wchar_t kSeparator = L'/';
#endif
const size_t kChunk = 64 * 1024;
const size_t kMaxLinkData = 64 * 1024;

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  wchar_t last = folder.back();
  if (last == L'/' || last == L'\\') return folder + name;
  return folder + kSeparator + name;
}

std::wstring ParentOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

int StatusToCode(UnpackStatus status, int data_error) {
  switch (status) {
    case UnpackStatus::Ok: return 0;
    case UnpackStatus::NoMemory: return ERAR_NO_MEMORY;
    case UnpackStatus::ReadError: return data_error != 0 ? data_error : ERAR_EREAD;
    case UnpackStatus::UnknownMethod: return ERAR_UNKNOWN_FORMAT;
    case UnpackStatus::Aborted:
    case UnpackStatus::BadData:
    default: return ERAR_BAD_DATA;
  }
}

// Checksums the unpacked bytes and hands them on: to the caller's handler, to the file, and for
// a link, into memory. Remembers why it stopped.
class Sink : public UnpackSink {
 public:
  Sink(const DataHandler& handler, std::function<bool(const uint8_t*, size_t)> file, std::string* link,
       bool want_blake)
      : handler_(handler), file_(std::move(file)), link_(link), want_blake_(want_blake) {}
  bool Write(const uint8_t* data, size_t n) override {
    if (n == 0) return true;
    crc = Crc32(crc, data, n);
    if (want_blake_) blake.Update(data, n);
    written += n;
    if (link_) {
      if (link_->size() + n > kMaxLinkData) return Stop(ERAR_BAD_DATA);
      link_->append(reinterpret_cast<const char*>(data), n);
    }
    if (handler_ && !handler_(data, n)) return Stop(ERAR_UNKNOWN);
    if (file_ && !file_(data, n)) return Stop(ERAR_EWRITE);
    return true;
  }
  bool Stop(int code) {
    stop_code = code;
    return false;
  }
  uint32_t crc = 0;
  Blake2sp blake;
  uint64_t written = 0;
  int stop_code = 0;

 private:
  const DataHandler& handler_;
  std::function<bool(const uint8_t*, size_t)> file_;
  std::string* link_;
  bool want_blake_;  // BLAKE2sp costs several times a CRC: only entries that carry it pay for it
};

}  // namespace

// A file being written: a temporary beside the target, renamed over it only when complete. A link
// in the target's place is replaced as itself; one on the way from the destination refuses it.
// A file in use at the target's place is replaced at the next start, when the caller agrees.
class Extractor::Output {
 public:
  // destination: the folder the entry's name is placed under; empty when there is none.
  Output(platform::FileSystem& fs, std::wstring target, std::wstring destination,
         const ReplaceAtRestartAsk& replace_at_restart)
      : fs_(fs), target_(std::move(target)), destination_(std::move(destination)),
        replace_at_restart_(replace_at_restart) {}
  ~Output() { Abandon(); }

  int Begin() {
    static std::atomic<unsigned> counter{0};
    std::wstring folder = ParentOf(target_);
    for (int attempt = 0; attempt < 100 && !file_; attempt++) {
      temp_ = Join(folder, L"~sktmp" + std::to_wstring(counter++) + L".tmp");
      file_ = fs_.CreateNew(temp_);
    }
    return file_ ? 0 : ERAR_ECREATE;
  }
  bool Write(const uint8_t* data, size_t n) { return file_ && file_->Write(data, n); }
  void Abandon() {
    if (file_) {
      file_.reset();
      fs_.Remove(temp_);
    }
  }
  int Commit(const Entry& entry) {
    bool closed = file_->Close();
    file_.reset();
    if (!closed) {
      fs_.Remove(temp_);
      return ERAR_EWRITE;
    }
    // A folder on the way may have become a link while the entry was unpacked: then nothing is
    // moved, and the temporary is not removed either (its path now leads through the link).
    if (!destination_.empty() && platform::LinkOnTheWay(fs_, destination_, ParentOf(target_))) return ERAR_ECREATE;
    platform::PathKind existing = fs_.KindInPlace(target_);
    if (existing == platform::PathKind::Directory ||
        (existing == platform::PathKind::File && !fs_.MakeWritable(target_))) {
      fs_.Remove(temp_);
      return ERAR_ECREATE;
    }
    // The complete file: the target, or the temporary that becomes it at the next start.
    std::wstring done = target_;
    if (!fs_.Replace(temp_, target_)) {
      if (!(existing == platform::PathKind::File && LeftForRestart())) {
        fs_.Remove(temp_);
        return ERAR_ECREATE;
      }
      done = temp_;
    }
    SetStoredAttributes(entry, done);
    return 0;
  }

 private:
  bool LeftForRestart() {
    return replace_at_restart_ && fs_.InUse(target_) && replace_at_restart_(target_, temp_) &&
           fs_.ReplaceAtRestart(temp_, target_);
  }
  void SetStoredAttributes(const Entry& entry, const std::wstring& path) {
    uint64_t times[3];
    EntryTimesUtc(entry, times);
    fs_.SetTimes(path, times[0], times[1], times[2]);
    platform::FileAttributes a;
    if (entry.unix_attributes) {
      a.unix_mode = entry.attributes & 0777;
      a.read_only = !(entry.attributes & 0200);
    } else {
      a.read_only = entry.attributes & 0x01;
      a.hidden = entry.attributes & 0x02;
      a.system = entry.attributes & 0x04;
    }
    fs_.SetAttributes(path, a);
  }

  platform::FileSystem& fs_;
  std::wstring target_;
  std::wstring destination_;
  const ReplaceAtRestartAsk& replace_at_restart_;
  std::wstring temp_;
  std::unique_ptr<platform::WritableFile> file_;
};

void EntryTimesUtc(const Entry& e, uint64_t times[3]) {
  const uint64_t stored[3] = {e.mtime, e.ctime, e.atime};
  for (int i = 0; i < 3; i++)
    times[i] = stored[i] != 0 && e.local_times ? platform::LocalFileTimeToUtc(stored[i]) : stored[i];
}

Unpacker* Extractor::UnpackerFor(int version) {
  const int family = DecoderFamily(version);
  auto it = unpackers_.find(family);
  if (it == unpackers_.end()) it = unpackers_.emplace(family, MakeUnpacker(version)).first;
  return it->second.get();
}

int Extractor::Decode(const Entry& e, Output* output, const DataHandler& on_data, std::string* link_data) {
  std::unique_ptr<platform::crypto::AesCbcDecryptor> decryptor;
  Rar5Keys keys;
  const bool old_cipher = e.crypt.scheme == 15 || e.crypt.scheme == 20;
  std::wstring old_password;
  if (old_cipher) {
    if (!archive_.GetPassword(&old_password)) return ERAR_MISSING_PASSWORD;
  } else if (e.encrypted()) {
    int r = archive_.OpenDecryptor(e, &decryptor, &keys);
    if (r != 0) return r;
  }
  Unpacker* unpacker = nullptr;
  if (!e.stored()) {
    unpacker = UnpackerFor(e.unp_ver);
    if (!unpacker) return ERAR_UNKNOWN_FORMAT;
  }
  std::function<bool(const uint8_t*, size_t)> to_file;
  if (output) to_file = [output](const uint8_t* d, size_t n) { return output->Write(d, n); };
  // A split entry's hash kind is final only in its last part, so those always keep both.
  Sink sink(on_data, to_file, link_data, e.hash == HashKind::Blake2 || e.split_after);
  auto source = archive_.OpenData(e, std::move(decryptor));
  if (old_cipher) source = NewOldCipherSource(std::move(source), e.crypt.scheme, util::ToCp866(old_password));
  if (e.stored()) {
    std::vector<uint8_t> buf(kChunk);
    uint64_t left = e.unp_size;
    while (e.size_unknown || left > 0) {
      bool ok = true;
      size_t want = e.size_unknown ? kChunk : static_cast<size_t>(std::min<uint64_t>(kChunk, left));
      size_t got = source->Read(buf.data(), want, &ok);
      if (!ok) return archive_.data_error() != 0 ? archive_.data_error() : ERAR_EREAD;
      if (got == 0) {
        if (e.size_unknown) break;
        return ERAR_BAD_DATA;  // less data than the header promises
      }
      if (!sink.Write(buf.data(), got)) return sink.stop_code;
      left -= std::min<uint64_t>(left, got);
    }
  } else {
    UnpackParams params;
    params.version = e.unp_ver;
    params.dict_size = e.dict_size;
    params.unpacked_size = e.unp_size;
    params.solid = e.solid;
    UnpackStatus status = unpacker->Unpack(params, *source, sink);
    if (status == UnpackStatus::Aborted && sink.stop_code != 0) return sink.stop_code;
    int r = StatusToCode(status, archive_.data_error());
    if (r != 0) return r;
    if (!e.size_unknown && sink.written != e.unp_size) return ERAR_BAD_DATA;
  }
  // The checksum of the whole entry is in its last part's header.
  const Entry& last = archive_.last_part();
  bool tweaked = last.crypt.tweaked && last.crypt.scheme == 50;
  if (last.hash == HashKind::Crc32) {
    uint32_t crc = tweaked ? TweakRar5Crc(sink.crc, keys.hash_key) : sink.crc;
    if (crc != last.crc) return ERAR_BAD_DATA;
  } else if (last.hash == HashKind::Blake2) {
    uint8_t digest[32];
    sink.blake.Final(digest);
    if (tweaked) TweakRar5Blake2(digest, keys.hash_key);
    if (memcmp(digest, last.blake2, 32) != 0) return ERAR_BAD_DATA;
  }
  return 0;
}

void Extractor::DecodeSkippedSolidEntry(const Entry& e) {
  // In a solid archive the decoder must see every entry, or the later ones cannot be unpacked.
  if (!open_for_extract_ || !archive_.info().solid || e.stored() || e.directory) return;
  if (e.encrypted()) {
    std::wstring password;
    if (!archive_.GetPassword(&password)) return;
  }
  Decode(e, nullptr, DataHandler(), nullptr);
}

int Extractor::TargetPath(const Entry& e, const ProcessRequest& req, bool directory, std::wstring* path) {
  if (req.has_dest_name && !directory) {
    *path = req.dest_name;
    return 0;
  }
  std::vector<std::wstring> parts;
  if (!SplitSafeName(e.name, &parts)) return ERAR_ECREATE;
  std::wstring current = req.has_dest_path ? req.dest_path : std::wstring();
  if (!current.empty() && !MakeFolders(current)) return ERAR_ECREATE;
  size_t folders = directory ? parts.size() : parts.size() - 1;
  for (size_t i = 0; i < folders; i++) {
    current = Join(current, parts[i]);
    platform::PathKind kind = fs_.KindInPlace(current);
    // Never pass through a link or a file at the destination.
    if (kind == platform::PathKind::Missing) {
      if (!fs_.MakeDirectory(current)) return ERAR_ECREATE;
    } else if (kind != platform::PathKind::Directory) {
      return ERAR_ECREATE;
    }
  }
  *path = directory ? current : Join(current, parts.back());
  return 0;
}

bool Extractor::MakeFolders(const std::wstring& path) {
  // The caller's own destination: every missing level of it is made.
  std::vector<std::wstring> missing;
  std::wstring p = path;
  while (!p.empty() && fs_.Kind(p) == platform::PathKind::Missing) {
    missing.push_back(p);
    std::wstring parent = ParentOf(p);
    if (parent == p) break;
    p = parent;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (!fs_.MakeDirectory(*it)) return false;
  return fs_.KindInPlace(path) == platform::PathKind::Directory;
}

int Extractor::CopyReference(const Entry& e, const ProcessRequest& req, Output* output, const DataHandler& on_data) {
  std::vector<std::wstring> parts;
  if (!SplitSafeName(e.redirect_target, &parts)) return ERAR_ECREATE;
  std::wstring source = req.has_dest_path ? req.dest_path : std::wstring();
  for (const std::wstring& p : parts) source = Join(source, p);
  // What is copied comes from the destination itself, never from where a link there leads.
  if (fs_.Kind(source) != platform::PathKind::File ||
      (req.has_dest_path && platform::LinkOnTheWay(fs_, req.dest_path, source)))
    return ERAR_EREFERENCE;
  auto in = fs_.OpenRead(source);
  if (!in) return ERAR_EREFERENCE;
  std::vector<uint8_t> buf(kChunk);
  for (;;) {
    size_t got = 0;
    if (!in->Read(buf.data(), buf.size(), &got)) return ERAR_EREAD;
    if (got == 0) return 0;
    if (on_data && !on_data(buf.data(), got)) return ERAR_UNKNOWN;
    if (!output->Write(buf.data(), got)) return ERAR_EWRITE;
  }
}

int Extractor::Process(const Entry& e, const ProcessRequest& req, const DataHandler& on_data) {
  if (req.operation == RAR_SKIP) {
    DecodeSkippedSolidEntry(e);
    return 0;
  }
  if (req.operation != RAR_TEST && req.operation != RAR_EXTRACT) return ERAR_UNKNOWN;
  bool extract = req.operation == RAR_EXTRACT;
  // Names that would leave the destination are refused by the test as well.
  std::vector<std::wstring> parts;
  bool name_ok = SplitSafeName(e.name, &parts) || (extract && req.has_dest_name && !e.directory);
  bool is_link = e.redirect == Redirect::UnixSymlink || e.redirect == Redirect::WinSymlink ||
                 e.redirect == Redirect::Junction;
  bool is_reference = e.redirect == Redirect::HardLink || e.redirect == Redirect::FileCopy;
  if (!name_ok || (is_reference && !SplitSafeName(e.redirect_target, &parts))) {
    DecodeSkippedSolidEntry(e);
    return ERAR_ECREATE;
  }
  if (is_link) {
    if (extract) {
      DecodeSkippedSolidEntry(e);
      return ERAR_ECREATE;  // links are never created
    }
    std::string data;
    if (e.pack_size > 0 || !e.stored()) {
      int r = Decode(e, nullptr, on_data, &data);
      if (r != 0) return r;
    }
    std::wstring target = e.redirect_target.empty() ? util::FromUtf8(data) : e.redirect_target;
    if (e.redirect == Redirect::Junction || !LinkTargetStaysInside(e.name, target)) return ERAR_ECREATE;
    return 0;
  }
  if (e.directory) {
    if (!extract) return 0;
    std::wstring path;
    return TargetPath(e, req, true, &path);
  }
  if (is_reference && !extract) return 0;
  if (!extract) return Decode(e, nullptr, on_data, nullptr);

  std::wstring path;
  int r = TargetPath(e, req, false, &path);
  if (r != 0) {
    DecodeSkippedSolidEntry(e);
    return r;
  }
  Output output(fs_, path, req.has_dest_path ? req.dest_path : std::wstring(), replace_at_restart_);
  r = output.Begin();
  if (r != 0) {
    DecodeSkippedSolidEntry(e);
    return r;
  }
  r = is_reference ? CopyReference(e, req, &output, on_data) : Decode(e, &output, on_data, nullptr);
  if (r != 0) {
    output.Abandon();
    return r;
  }
  return output.Commit(e);
}

}  // namespace unrar
