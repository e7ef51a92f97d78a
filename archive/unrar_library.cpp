#include "archive/unrar_library.h"

namespace archive {

namespace {

class LinkedUnrarLibrary : public UnrarLibrary {
 public:
  HANDLE OpenArchive(RAROpenArchiveDataEx* data) override { return RAROpenArchiveEx(data); }
  int CloseArchive(HANDLE archive) override { return RARCloseArchive(archive); }
  int ReadHeader(HANDLE archive, RARHeaderData* header) override {
    return RARReadHeader(archive, header);
  }
  int ProcessFile(HANDLE archive, int operation, const wchar_t* destPath) override {
    return RARProcessFileW(archive, operation, const_cast<wchar_t*>(destPath), nullptr);
  }
  void SetPassword(HANDLE archive, const char* password) override {
    RARSetPassword(archive, const_cast<char*>(password));
  }
  void SetChangeVolProc(HANDLE archive, CHANGEVOLPROC proc) override {
    RARSetChangeVolProc(archive, proc);
  }
  void SetProcessDataProc(HANDLE archive, PROCESSDATAPROC proc) override {
    RARSetProcessDataProc(archive, proc);
  }
};

}  // namespace

UnrarLibrary& RealUnrarLibrary() {
  static LinkedUnrarLibrary library;
  return library;
}

}  // namespace archive
