// The C API. Until the reader lands every call reports that the archive cannot be opened.
#include "unrar/unrar.h"

extern "C" {

HANDLE PASCAL RAROpenArchive(struct RAROpenArchiveData* d) {
  if (d) d->OpenResult = ERAR_EOPEN;
  return nullptr;
}
HANDLE PASCAL RAROpenArchiveEx(struct RAROpenArchiveDataEx* d) {
  if (d) d->OpenResult = ERAR_EOPEN;
  return nullptr;
}
int PASCAL RARCloseArchive(HANDLE) { return ERAR_ECLOSE; }
int PASCAL RARReadHeader(HANDLE, struct RARHeaderData*) { return ERAR_BAD_ARCHIVE; }
int PASCAL RARReadHeaderEx(HANDLE, struct RARHeaderDataEx*) { return ERAR_BAD_ARCHIVE; }
int PASCAL RARProcessFile(HANDLE, int, char*, char*) { return ERAR_BAD_ARCHIVE; }
int PASCAL RARProcessFileW(HANDLE, int, wchar_t*, wchar_t*) { return ERAR_BAD_ARCHIVE; }
void PASCAL RARSetCallback(HANDLE, UNRARCALLBACK, LPARAM) {}
void PASCAL RARSetChangeVolProc(HANDLE, CHANGEVOLPROC) {}
void PASCAL RARSetProcessDataProc(HANDLE, PROCESSDATAPROC) {}
void PASCAL RARSetPassword(HANDLE, char*) {}
int PASCAL RARGetDllVersion(void) { return RAR_DLL_VERSION; }

}
