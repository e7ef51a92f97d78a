// The documented C API over Archive and Extractor. No exception leaves these functions: they may
// be called across Windows frames, where mingw's exceptions cannot unwind.
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "unrar/archive.h"
#include "unrar/extractor.h"
#include "unrar/file_system_hook.h"
#include "unrar/text.h"
#include "unrar/unrar.h"
#include "util/codepage.h"
#include "util/text.h"

namespace unrar {
namespace {

platform::FileSystem* g_file_system = nullptr;

#ifdef _WIN32
const wchar_t kNativeSeparator = L'\\';
#else
const wchar_t kNativeSeparator = L'/';
#endif

struct Handle {
  int open_mode = RAR_OM_LIST;
  UNRARCALLBACK callback = nullptr;
  LPARAM user_data = 0;
  CHANGEVOLPROC change_vol_proc = nullptr;
  PROCESSDATAPROC process_data_proc = nullptr;
  std::unique_ptr<Archive> archive;
  std::unique_ptr<Extractor> extractor;
  Entry current;
  bool has_current = false;
};

int CallBack(Handle* h, UINT msg, LPARAM p1, LPARAM p2) {
  return h->callback ? h->callback(msg, h->user_data, p1, p2) : 0;
}

// Copies text into a fixed char field, always NUL-terminated.
void CopyField(char* field, size_t size, const std::string& text) {
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  memcpy(field, text.data(), n);
  field[n] = '\0';
}

void CopyFieldW(wchar_t* field, size_t size, const std::wstring& text) {
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  // Cut short, a name keeps no half of a surrogate pair (UTF-16 wide characters only).
  const auto high = [](wchar_t c) {
    return static_cast<uint32_t>(c) >= 0xD800 && static_cast<uint32_t>(c) < 0xDC00;
  };
  if (n < text.size() && n > 0 && high(text[n - 1])) --n;
  memcpy(field, text.data(), n * sizeof(wchar_t));
  field[n] = L'\0';
}

std::wstring NativeName(const std::wstring& name) {
  std::wstring out = name;
  for (wchar_t& c : out)
    if (c == L'/') c = kNativeSeparator;
  return out;
}

// UTF-8 that fits the field without cutting a character.
std::string Utf8Field(const std::wstring& w, size_t size) {
  std::string s = util::ToUtf8(w);
  if (s.size() < size) return s;
  size_t n = size - 1;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) n--;
  return s.substr(0, n);
}

bool AskVolume(Handle* h, std::wstring* name, int mode) {
  if (h->callback) {
    wchar_t wide[1024];
    CopyFieldW(wide, 1024, *name);
    int r = CallBack(h, UCM_CHANGEVOLUMEW, reinterpret_cast<LPARAM>(wide), mode);
    if (r == -1) return false;
    if (mode == RAR_VOL_ASK && wide[0] != 0 && std::wstring(wide) != *name) {
      *name = wide;
      return true;
    }
    char narrow[1024];
    CopyField(narrow, sizeof narrow, Utf8Field(*name, sizeof narrow));
    std::string before = narrow;
    r = CallBack(h, UCM_CHANGEVOLUME, reinterpret_cast<LPARAM>(narrow), mode);
    if (r == -1) return false;
    narrow[sizeof narrow - 1] = 0;
    if (mode == RAR_VOL_ASK && narrow[0] != 0 && before != narrow) *name = ArgumentToWide(narrow);
  }
  if (h->change_vol_proc) {
    char narrow[1024];
    CopyField(narrow, sizeof narrow, Utf8Field(*name, sizeof narrow));
    std::string before = narrow;
    int r = h->change_vol_proc(narrow, mode);
    if (r == 0 || r == -1) return false;  // this older procedure stops with 0
    narrow[sizeof narrow - 1] = 0;
    if (mode == RAR_VOL_ASK && narrow[0] != 0 && before != narrow) *name = ArgumentToWide(narrow);
  }
  // Without any callback a missing volume cannot be found.
  return mode == RAR_VOL_NOTIFY || h->callback || h->change_vol_proc;
}

bool AskPassword(Handle* h, std::wstring* password) {
  if (!h->callback) return false;
  wchar_t wide[512] = {0};
  int r = CallBack(h, UCM_NEEDPASSWORDW, reinterpret_cast<LPARAM>(wide), 512);
  wide[511] = 0;
  if (r != -1 && wide[0] != 0) {
    *password = wide;
    return true;
  }
  if (r == -1) return false;
  char narrow[512] = {0};
  r = CallBack(h, UCM_NEEDPASSWORD, reinterpret_cast<LPARAM>(narrow), sizeof narrow);
  narrow[sizeof narrow - 1] = 0;
  if (r == -1 || narrow[0] == 0) return false;
  *password = ArgumentToWide(narrow);
  return true;
}

bool PassData(Handle* h, const uint8_t* data, size_t n) {
  // Blocks are handed on in pieces an int can count.
  while (n > 0) {
    int piece = n > 0x40000000 ? 0x40000000 : static_cast<int>(n);
    if (h->callback) {
      if (CallBack(h, UCM_PROCESSDATA, reinterpret_cast<LPARAM>(data), piece) == -1) return false;
    }
    if (h->process_data_proc) {
      int r = h->process_data_proc(const_cast<unsigned char*>(data), piece);
      if (r == 0 || r == -1) return false;
    }
    data += piece;
    n -= static_cast<size_t>(piece);
  }
  return true;
}

// A comment (the archive's or, in RAR 1.5-2.x, an entry's) into the caller's buffer.
void FillComment(int state, const std::string& text, char* buf, unsigned int size, unsigned int* cmt_size,
                 unsigned int* cmt_state) {
  *cmt_size = 0;
  *cmt_state = 0;
  if (state == 0) return;
  if (state != 1) {
    *cmt_state = static_cast<unsigned int>(state);
    return;
  }
  if (!buf || size == 0) return;
  if (text.size() + 1 <= size) {
    memcpy(buf, text.data(), text.size());
    buf[text.size()] = 0;
    *cmt_size = static_cast<unsigned int>(text.size() + 1);
    *cmt_state = 1;
  } else {
    memcpy(buf, text.data(), size - 1);
    buf[size - 1] = 0;
    *cmt_size = size;
    *cmt_state = ERAR_SMALL_BUF;
  }
}

unsigned int OpenFlags(const ArchiveInfo& info, int comment_state) {
  unsigned int f = 0;
  if (info.volume) f |= ROADF_VOLUME;
  if (comment_state != 0 || info.has_comment) f |= ROADF_COMMENT;
  if (info.locked) f |= ROADF_LOCK;
  if (info.solid) f |= ROADF_SOLID;
  if (info.new_numbering && info.volume) f |= ROADF_NEWNUMBERING;
  if (info.signed_) f |= ROADF_SIGNED;
  if (info.recovery) f |= ROADF_RECOVERY;
  if (info.headers_encrypted) f |= ROADF_ENCHEADERS;
  if (info.first_volume) f |= ROADF_FIRSTVOLUME;
  return f;
}

unsigned int EntryFlags(const Entry& e) {
  unsigned int f = 0;
  if (e.split_before) f |= RHDF_SPLITBEFORE;
  if (e.split_after) f |= RHDF_SPLITAFTER;
  if (e.encrypted()) f |= RHDF_ENCRYPTED;
  if (e.solid) f |= RHDF_SOLID;
  if (e.directory) f |= RHDF_DIRECTORY;
  return f;
}

HANDLE Open(RAROpenArchiveDataEx* d) {
  d->OpenResult = 0;
  d->CmtSize = 0;
  d->CmtState = 0;
  d->Flags = 0;
  std::wstring name = d->ArcNameW && d->ArcNameW[0] ? std::wstring(d->ArcNameW) : ArgumentToWide(d->ArcName);
  if (name.empty()) {
    d->OpenResult = ERAR_EOPEN;
    return nullptr;
  }
  auto h = std::make_unique<Handle>();
  Handle* raw = h.get();
  h->open_mode = static_cast<int>(d->OpenMode);
  h->callback = d->Callback;
  h->user_data = d->UserData;
  ArchiveCallbacks callbacks;
  callbacks.change_volume = [raw](std::wstring* n, int mode) { return AskVolume(raw, n, mode); };
  callbacks.need_password = [raw](std::wstring* p) { return AskPassword(raw, p); };
  platform::FileSystem& fs = CurrentFileSystem();
  h->archive = std::make_unique<Archive>(fs, callbacks);
  int r = h->archive->Open(name);
  if (r != 0) {
    d->OpenResult = static_cast<unsigned int>(r);
    return nullptr;
  }
  h->extractor = std::make_unique<Extractor>(
      *h->archive, fs, h->open_mode == RAR_OM_EXTRACT,
      [raw](const std::wstring& target, const std::wstring& waiting) {
        return CallBack(raw, UCM_REPLACEATRESTART, reinterpret_cast<LPARAM>(target.c_str()),
                        reinterpret_cast<LPARAM>(waiting.c_str())) == 1;
      });
  FillComment(h->archive->comment_state(), h->archive->comment_bytes(), d->CmtBuf, d->CmtBufSize, &d->CmtSize,
              &d->CmtState);
  if (d->CmtBufW && d->CmtBufSize > 0 && h->archive->comment_state() == 1)
    CopyFieldW(d->CmtBufW, d->CmtBufSize, h->archive->comment());
  d->Flags = OpenFlags(h->archive->info(), h->archive->comment_state());
  return h.release();
}

int ReadNext(Handle* h) {
  h->has_current = false;
  int r = h->archive->NextEntry(&h->current, h->open_mode == RAR_OM_LIST_INCSPLIT);
  if (r == 0) h->has_current = true;
  return r;
}

int Process(Handle* h, int operation, const std::wstring* dest_path, const std::wstring* dest_name) {
  if (!h->has_current) return ERAR_END_ARCHIVE;
  h->has_current = false;
  ProcessRequest req;
  req.operation = operation;
  if (dest_path && !dest_path->empty()) {
    req.has_dest_path = true;
    req.dest_path = *dest_path;
  }
  if (dest_name && !dest_name->empty()) {
    req.has_dest_name = true;
    req.dest_name = *dest_name;
  }
  DataHandler handler;
  if (h->callback || h->process_data_proc) handler = [h](const uint8_t* d, size_t n) { return PassData(h, d, n); };
  return h->extractor->Process(h->current, req, handler);
}

// Runs an API call; memory that cannot be had is ERAR_NO_MEMORY, anything else unexpected
// ERAR_UNKNOWN.
template <typename F>
int Guard(F f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return ERAR_NO_MEMORY;
  } catch (...) {
    return ERAR_UNKNOWN;
  }
}

// The fields both header structures have, each filled at its own buffer sizes.
template <class HeaderData>
void FillCommonFields(Handle* h, HeaderData* d) {
  const Entry& e = h->current;
  CopyField(d->ArcName, sizeof d->ArcName, Utf8Field(h->archive->volume_name(), sizeof d->ArcName));
  CopyField(d->FileName, sizeof d->FileName, util::ToCp866(NativeName(e.name)));
  d->Flags = EntryFlags(e);
  d->PackSize = static_cast<unsigned int>(e.pack_size);
  d->UnpSize = static_cast<unsigned int>(e.unp_size);
  d->HostOS = static_cast<unsigned int>(e.host_os);
  d->FileCRC = e.hash == HashKind::Crc32 ? e.crc : 0;
  d->FileTime = e.dos_time;
  d->UnpVer = static_cast<unsigned int>(e.unp_ver);
  d->Method = static_cast<unsigned int>(0x30 + e.method);
  d->FileAttr = e.attributes;
  FillComment(e.comment_state, e.comment, d->CmtBuf, d->CmtBufSize, &d->CmtSize, &d->CmtState);
}

// The next entry's header into either record: the fields both have, then `fill_rest` for those
// only the long one has.
template <class Record, class FillRest>
int ReadHeaderInto(HANDLE handle, Record* d, FillRest fill_rest) {
  if (!handle || !d) return ERAR_BAD_ARCHIVE;
  Handle* h = static_cast<Handle*>(handle);
  return Guard([&]() -> int {
    int r = ReadNext(h);
    if (r != 0) return r;
    FillCommonFields(h, d);
    fill_rest(h);
    return 0;
  });
}

}  // namespace

void SetFileSystem(platform::FileSystem* fs) { g_file_system = fs; }

platform::FileSystem& CurrentFileSystem() { return g_file_system ? *g_file_system : platform::RealFileSystem(); }

}  // namespace unrar

using namespace unrar;

extern "C" {

HANDLE PASCAL RAROpenArchiveEx(struct RAROpenArchiveDataEx* d) {
  if (!d) return nullptr;
  try {
    return Open(d);
  } catch (const std::bad_alloc&) {
    d->OpenResult = ERAR_NO_MEMORY;
  } catch (...) {
    d->OpenResult = ERAR_UNKNOWN;
  }
  return nullptr;
}

HANDLE PASCAL RAROpenArchive(struct RAROpenArchiveData* d) {
  if (!d) return nullptr;
  RAROpenArchiveDataEx ex;
  memset(&ex, 0, sizeof ex);
  ex.ArcName = d->ArcName;
  ex.OpenMode = d->OpenMode;
  ex.CmtBuf = d->CmtBuf;
  ex.CmtBufSize = d->CmtBufSize;
  HANDLE h = RAROpenArchiveEx(&ex);
  d->OpenResult = ex.OpenResult;
  d->CmtSize = ex.CmtSize;
  d->CmtState = ex.CmtState;
  return h;
}

int PASCAL RARCloseArchive(HANDLE handle) {
  if (!handle) return ERAR_ECLOSE;
  delete static_cast<Handle*>(handle);
  return 0;
}

int PASCAL RARReadHeaderEx(HANDLE handle, struct RARHeaderDataEx* d) {
  return ReadHeaderInto(handle, d, [d](Handle* h) {
    const Entry& e = h->current;
    CopyFieldW(d->ArcNameW, 1024, h->archive->volume_name());
    CopyFieldW(d->FileNameW, 1024, NativeName(e.name));
    d->PackSizeHigh = static_cast<unsigned int>(e.pack_size >> 32);
    d->UnpSizeHigh = static_cast<unsigned int>(e.unp_size >> 32);
    d->DictSize = static_cast<unsigned int>(e.dict_size / 1024 > 0xFFFFFFFFu ? 0xFFFFFFFFu : e.dict_size / 1024);
    d->HashType = e.hash == HashKind::Crc32 ? RAR_HASH_CRC32 : e.hash == HashKind::Blake2 ? RAR_HASH_BLAKE2 : RAR_HASH_NONE;
    memset(d->Hash, 0, sizeof d->Hash);
    if (e.hash == HashKind::Blake2) memcpy(d->Hash, e.blake2, 32);
    d->RedirType = static_cast<unsigned int>(e.redirect);
    if (d->RedirName && d->RedirNameSize > 0) CopyFieldW(d->RedirName, d->RedirNameSize, e.redirect_target);
    d->DirTarget = e.redirect_to_directory ? 1 : 0;
    uint64_t times[3];
    EntryTimesUtc(e, times);
    d->MtimeLow = static_cast<unsigned int>(times[0]);
    d->MtimeHigh = static_cast<unsigned int>(times[0] >> 32);
    d->CtimeLow = static_cast<unsigned int>(times[1]);
    d->CtimeHigh = static_cast<unsigned int>(times[1] >> 32);
    d->AtimeLow = static_cast<unsigned int>(times[2]);
    d->AtimeHigh = static_cast<unsigned int>(times[2] >> 32);
  });
}

int PASCAL RARReadHeader(HANDLE handle, struct RARHeaderData* d) {
  return ReadHeaderInto(handle, d, [](Handle*) {});
}

int PASCAL RARProcessFile(HANDLE handle, int operation, char* dest_path, char* dest_name) {
  if (!handle) return ERAR_BAD_ARCHIVE;
  Handle* h = static_cast<Handle*>(handle);
  return Guard(
      [&]() -> int {
        std::wstring path = ArgumentToWide(dest_path), name = ArgumentToWide(dest_name);
        return Process(h, operation, &path, &name);
      });
}

int PASCAL RARProcessFileW(HANDLE handle, int operation, wchar_t* dest_path, wchar_t* dest_name) {
  if (!handle) return ERAR_BAD_ARCHIVE;
  Handle* h = static_cast<Handle*>(handle);
  return Guard(
      [&]() -> int {
        std::wstring path = dest_path ? dest_path : L"", name = dest_name ? dest_name : L"";
        return Process(h, operation, &path, &name);
      });
}

void PASCAL RARSetCallback(HANDLE handle, UNRARCALLBACK callback, LPARAM user_data) {
  if (!handle) return;
  Handle* h = static_cast<Handle*>(handle);
  h->callback = callback;
  h->user_data = user_data;
}

void PASCAL RARSetChangeVolProc(HANDLE handle, CHANGEVOLPROC proc) {
  if (handle) static_cast<Handle*>(handle)->change_vol_proc = proc;
}

void PASCAL RARSetProcessDataProc(HANDLE handle, PROCESSDATAPROC proc) {
  if (handle) static_cast<Handle*>(handle)->process_data_proc = proc;
}

void PASCAL RARSetPassword(HANDLE handle, char* password) {
  if (!handle) return;
  try {
    static_cast<Handle*>(handle)->archive->SetPassword(ArgumentToWide(password));
  } catch (...) {
  }
}

int PASCAL RARGetDllVersion(void) { return RAR_DLL_VERSION; }

}  // extern "C"
