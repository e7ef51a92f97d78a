#pragma once
// The calls TRAR makes into the unrar library, behind one interface, so tests can put a scripted
// library under the component. The real one forwards to unrar/unrar.h.
//
// The archive name and the destination folder go through the wide-character calls
// (RAROpenArchiveEx with ArcNameW, RARProcessFileW): the medium and the destination folder may
// have Cyrillic names. Entry names come back twice: in the short header record in code page 866,
// and beside it in Unicode, as the long record holds them.
#include <string>

#include "unrar/unrar.h"

namespace archive {

// What only the long header record holds, handed back beside the short one.
struct HeaderExtras {
  unsigned int unpSizeHigh = 0;  // the high half of the unpacked size
  std::wstring fileNameW;        // the entry's name in Unicode (FileNameW), up to its NUL
};

class UnrarLibrary {
 public:
  virtual ~UnrarLibrary() = default;

  virtual HANDLE OpenArchive(RAROpenArchiveDataEx* data) = 0;
  virtual int CloseArchive(HANDLE archive) = 0;
  // The next entry's header. The short record has room for only the low half of the unpacked
  // size and for the name in code page 866; the rest comes back in *extras.
  virtual int ReadHeader(HANDLE archive, RARHeaderData* header, HeaderExtras* extras) = 0;
  // destPath may be null: the library's own default.
  virtual int ProcessFile(HANDLE archive, int operation, const wchar_t* destPath) = 0;
  virtual void SetPassword(HANDLE archive, const char* password) = 0;
  // The one callback of the archive (volumes, unpacked data, passwords); `userData` comes back
  // with every message.
  virtual void SetCallback(HANDLE archive, UNRARCALLBACK callback, LPARAM userData) = 0;
};

// The library linked into the program.
UnrarLibrary& RealUnrarLibrary();

}  // namespace archive
