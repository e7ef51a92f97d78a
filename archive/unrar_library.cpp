#include "archive/unrar_library.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

namespace archive {

namespace {

// Copies a NUL-terminated field into a shorter one, cut short and always NUL-terminated, as the
// library fills the short record; a UTF-8 field is not cut inside a character.
template <size_t N, size_t M>
void CopyShorter(char (&to)[N], const char (&from)[M], bool utf8 = false) {
  static_assert(N <= M, "the target is the shorter field");
  size_t n = strnlen(from, N - 1);
  if (utf8 && n == N - 1 && from[n] != '\0')
    while (n > 0 && (static_cast<unsigned char>(from[n]) & 0xC0) == 0x80) --n;
  std::memcpy(to, from, n);
  to[n] = '\0';
}

class LinkedUnrarLibrary : public UnrarLibrary {
 public:
  HANDLE OpenArchive(RAROpenArchiveDataEx* data) override { return RAROpenArchiveEx(data); }
  int CloseArchive(HANDLE archive) override { return RARCloseArchive(archive); }

  // Only the long record carries the high half of the unpacked size and the Unicode name: it is
  // read, and the short record is filled from it.
  int ReadHeader(HANDLE archive, RARHeaderData* header, HeaderExtras* extras) override {
    RARHeaderDataEx& ex = *long_;
    std::memset(&ex, 0, sizeof ex);
    ex.CmtBuf = header->CmtBuf;
    ex.CmtBufSize = header->CmtBufSize;
    const int code = RARReadHeaderEx(archive, &ex);
    *extras = HeaderExtras();
    if (code != ERAR_SUCCESS) return code;
    CopyShorter(header->ArcName, ex.ArcName, /*utf8=*/true);
    CopyShorter(header->FileName, ex.FileName);
    header->Flags = ex.Flags;
    header->PackSize = ex.PackSize;
    header->UnpSize = ex.UnpSize;
    header->HostOS = ex.HostOS;
    header->FileCRC = ex.FileCRC;
    header->FileTime = ex.FileTime;
    header->UnpVer = ex.UnpVer;
    header->Method = ex.Method;
    header->FileAttr = ex.FileAttr;
    header->CmtSize = ex.CmtSize;
    header->CmtState = ex.CmtState;
    extras->unpSizeHigh = ex.UnpSizeHigh;
    extras->fileNameW.assign(std::begin(ex.FileNameW),
                             std::find(std::begin(ex.FileNameW), std::end(ex.FileNameW), L'\0'));
    return code;
  }

  int ProcessFile(HANDLE archive, int operation, const wchar_t* destPath) override {
    return RARProcessFileW(archive, operation, const_cast<wchar_t*>(destPath), nullptr);
  }
  void SetPassword(HANDLE archive, const char* password) override {
    RARSetPassword(archive, const_cast<char*>(password));
  }
  void SetCallback(HANDLE archive, UNRARCALLBACK callback, LPARAM userData) override {
    RARSetCallback(archive, callback, userData);
  }

 private:
  // One record for every header read: it is large, and one pass runs at a time.
  std::unique_ptr<RARHeaderDataEx> long_ = std::make_unique<RARHeaderDataEx>();
};

}  // namespace

UnrarLibrary& RealUnrarLibrary() {
  static LinkedUnrarLibrary library;
  return library;
}

}  // namespace archive
