#pragma once
// The calls TRAR makes into the unrar library, behind one interface, so tests can put a scripted
// library under the component. The real one forwards to unrar/unrar.h.
//
// The archive name and the destination folder go through the wide-character calls
// (RAROpenArchiveEx with ArcNameW, RARProcessFileW): the medium and the destination folder may
// have Cyrillic names. Entry names come back in the short header record, in code page 866.
#include "unrar/unrar.h"

namespace archive {

class UnrarLibrary {
 public:
  virtual ~UnrarLibrary() = default;

  virtual HANDLE OpenArchive(RAROpenArchiveDataEx* data) = 0;
  virtual int CloseArchive(HANDLE archive) = 0;
  // The next entry's header. The record has room for only the low half of the unpacked size;
  // the high half comes back in *unpSizeHigh.
  virtual int ReadHeader(HANDLE archive, RARHeaderData* header, unsigned int* unpSizeHigh) = 0;
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
