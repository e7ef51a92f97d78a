#ifndef SK_UNRAR_H
#define SK_UNRAR_H
// The unrar library's documented C API (the unrar.dll interface): records, codes and functions.
// Records are byte-packed and laid out as documented; functions and callbacks are stdcall on
// Windows. Entry names in char fields are in the OEM code page (866, a fixed table), UTF-16 in
// wchar_t fields on Windows (wchar_t is 4 bytes natively, as in the Unix build of the documented
// library). Other char text (archive and destination names, passwords, volume names handed to
// the callbacks) is UTF-8; an argument that is not valid UTF-8 is read as Windows-1251.
#include <stddef.h>
#include <wchar.h>

#ifdef _WIN32
// The same tokens as <windows.h>, so either may come first.
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#define PASCAL __stdcall
typedef void* HANDLE;
#ifdef _WIN64
typedef long long LPARAM;
#else
typedef long LPARAM;
#endif
typedef unsigned int UINT;
#else
#define CALLBACK
#define PASCAL
typedef void* HANDLE;
typedef long LPARAM;
typedef unsigned int UINT;
#endif

#define ERAR_SUCCESS 0
#define ERAR_END_ARCHIVE 10
#define ERAR_NO_MEMORY 11
#define ERAR_BAD_DATA 12
#define ERAR_BAD_ARCHIVE 13
#define ERAR_UNKNOWN_FORMAT 14
#define ERAR_EOPEN 15
#define ERAR_ECREATE 16
#define ERAR_ECLOSE 17
#define ERAR_EREAD 18
#define ERAR_EWRITE 19
#define ERAR_SMALL_BUF 20
#define ERAR_UNKNOWN 21
#define ERAR_MISSING_PASSWORD 22
#define ERAR_EREFERENCE 23
#define ERAR_BAD_PASSWORD 24

#define RAR_OM_LIST 0
#define RAR_OM_EXTRACT 1
#define RAR_OM_LIST_INCSPLIT 2

#define RAR_SKIP 0
#define RAR_TEST 1
#define RAR_EXTRACT 2

#define RAR_VOL_ASK 0
#define RAR_VOL_NOTIFY 1

#define RAR_DLL_VERSION 8

#define RAR_HASH_NONE 0
#define RAR_HASH_CRC32 1
#define RAR_HASH_BLAKE2 2

// RARHeaderData[Ex].Flags
#define RHDF_SPLITBEFORE 0x01
#define RHDF_SPLITAFTER 0x02
#define RHDF_ENCRYPTED 0x04
#define RHDF_SOLID 0x10
#define RHDF_DIRECTORY 0x20

// RAROpenArchiveDataEx.Flags
#define ROADF_VOLUME 0x0001
#define ROADF_COMMENT 0x0002
#define ROADF_LOCK 0x0004
#define ROADF_SOLID 0x0008
#define ROADF_NEWNUMBERING 0x0010
#define ROADF_SIGNED 0x0020
#define ROADF_RECOVERY 0x0040
#define ROADF_ENCHEADERS 0x0080
#define ROADF_FIRSTVOLUME 0x0100

// RAROpenArchiveDataEx.OpFlags
#define ROADOF_KEEPBROKEN 0x0001

// RARHeaderDataEx.RedirType
#define RAR_REDIR_NONE 0
#define RAR_REDIR_UNIXSYMLINK 1
#define RAR_REDIR_WINSYMLINK 2
#define RAR_REDIR_JUNCTION 3
#define RAR_REDIR_HARDLINK 4
#define RAR_REDIR_FILECOPY 5

enum UNRARCALLBACK_MESSAGES {
  UCM_CHANGEVOLUME,   // P1: char* volume name (in/out, 1024 bytes), P2: RAR_VOL_ASK/NOTIFY
  UCM_PROCESSDATA,    // P1: unsigned char* block, P2: block size
  UCM_NEEDPASSWORD,   // P1: char* password buffer, P2: its size
  UCM_CHANGEVOLUMEW,  // P1: wchar_t* volume name (in/out, 1024 units), P2: mode
  UCM_NEEDPASSWORDW,  // P1: wchar_t* password buffer, P2: its size in units
  // Our own, not in the documented list: a file being extracted cannot replace the one at its
  // place, which another program holds. P1: const wchar_t* that file, P2: const wchar_t* the
  // complete new one beside it. 1 has it replaced when the system next starts (RARProcessFile
  // then succeeds); anything else fails the entry, as without a callback.
  UCM_REPLACEATRESTART = 0x100,
};

typedef int(CALLBACK* UNRARCALLBACK)(UINT msg, LPARAM UserData, LPARAM P1, LPARAM P2);
typedef int(PASCAL* CHANGEVOLPROC)(char* ArcName, int Mode);
typedef int(PASCAL* PROCESSDATAPROC)(unsigned char* Addr, int Size);

#pragma pack(push, 1)

struct RARHeaderData {
  char ArcName[260];
  char FileName[260];
  unsigned int Flags;
  unsigned int PackSize;
  unsigned int UnpSize;
  unsigned int HostOS;
  unsigned int FileCRC;
  unsigned int FileTime;
  unsigned int UnpVer;
  unsigned int Method;
  unsigned int FileAttr;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
};

struct RARHeaderDataEx {
  char ArcName[1024];
  wchar_t ArcNameW[1024];
  char FileName[1024];
  wchar_t FileNameW[1024];
  unsigned int Flags;
  unsigned int PackSize;
  unsigned int PackSizeHigh;
  unsigned int UnpSize;
  unsigned int UnpSizeHigh;
  unsigned int HostOS;
  unsigned int FileCRC;
  unsigned int FileTime;
  unsigned int UnpVer;
  unsigned int Method;
  unsigned int FileAttr;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
  unsigned int DictSize;  // kilobytes
  unsigned int HashType;
  char Hash[32];
  unsigned int RedirType;
  wchar_t* RedirName;
  unsigned int RedirNameSize;
  unsigned int DirTarget;
  unsigned int MtimeLow;  // FILETIME, UTC; 0 when not stored
  unsigned int MtimeHigh;
  unsigned int CtimeLow;
  unsigned int CtimeHigh;
  unsigned int AtimeLow;
  unsigned int AtimeHigh;
  unsigned int Reserved[988];
};

struct RAROpenArchiveData {
  char* ArcName;
  unsigned int OpenMode;
  unsigned int OpenResult;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
};

struct RAROpenArchiveDataEx {
  char* ArcName;
  wchar_t* ArcNameW;
  unsigned int OpenMode;
  unsigned int OpenResult;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
  unsigned int Flags;
  UNRARCALLBACK Callback;
  LPARAM UserData;
  unsigned int OpFlags;
  wchar_t* CmtBufW;
  unsigned int Reserved[25];
};

#pragma pack(pop)

#ifdef __cplusplus
extern "C" {
#endif

HANDLE PASCAL RAROpenArchive(struct RAROpenArchiveData* ArchiveData);
HANDLE PASCAL RAROpenArchiveEx(struct RAROpenArchiveDataEx* ArchiveData);
int PASCAL RARCloseArchive(HANDLE hArcData);
int PASCAL RARReadHeader(HANDLE hArcData, struct RARHeaderData* HeaderData);
int PASCAL RARReadHeaderEx(HANDLE hArcData, struct RARHeaderDataEx* HeaderData);
int PASCAL RARProcessFile(HANDLE hArcData, int Operation, char* DestPath, char* DestName);
int PASCAL RARProcessFileW(HANDLE hArcData, int Operation, wchar_t* DestPath, wchar_t* DestName);
void PASCAL RARSetCallback(HANDLE hArcData, UNRARCALLBACK Callback, LPARAM UserData);
void PASCAL RARSetChangeVolProc(HANDLE hArcData, CHANGEVOLPROC ChangeVolProc);
void PASCAL RARSetProcessDataProc(HANDLE hArcData, PROCESSDATAPROC ProcessDataProc);
void PASCAL RARSetPassword(HANDLE hArcData, char* Password);
int PASCAL RARGetDllVersion(void);

#ifdef __cplusplus
}

// Layouts the callers rely on, checked in both builds.
static_assert(sizeof(void*) != 4 || sizeof(RARHeaderData) == 572, "RARHeaderData is 572 bytes in 32-bit");
static_assert(offsetof(RARHeaderData, FileName) == 260, "RARHeaderData.FileName");
static_assert(offsetof(RARHeaderData, Flags) == 520, "RARHeaderData.Flags");
static_assert(offsetof(RARHeaderData, UnpSize) == 528, "RARHeaderData.UnpSize");
static_assert(offsetof(RARHeaderData, FileAttr) == 552, "RARHeaderData.FileAttr");
static_assert(offsetof(RARHeaderData, CmtBuf) == 556, "RARHeaderData.CmtBuf");
static_assert(offsetof(RARHeaderData, CmtBufSize) == 556 + sizeof(void*), "RARHeaderData.CmtBufSize");
static_assert(sizeof(RARHeaderData) == 568 + sizeof(void*), "RARHeaderData size");
static_assert(offsetof(RAROpenArchiveData, OpenMode) == sizeof(void*), "RAROpenArchiveData.OpenMode");
static_assert(sizeof(RAROpenArchiveData) == 2 * sizeof(void*) + 20, "RAROpenArchiveData size");
static_assert(offsetof(RAROpenArchiveDataEx, Callback) == 3 * sizeof(void*) + 24, "RAROpenArchiveDataEx.Callback");
static_assert(sizeof(RAROpenArchiveDataEx) == 5 * sizeof(void*) + sizeof(LPARAM) + 28 + 100,
              "RAROpenArchiveDataEx size");
static_assert(offsetof(RARHeaderDataEx, FileName) == 1024 + 1024 * sizeof(wchar_t), "RARHeaderDataEx.FileName");
static_assert(offsetof(RARHeaderDataEx, Flags) == 2048 + 2048 * sizeof(wchar_t), "RARHeaderDataEx.Flags");
static_assert(offsetof(RARHeaderDataEx, CmtBuf) == 2048 + 2048 * sizeof(wchar_t) + 44, "RARHeaderDataEx.CmtBuf");
static_assert(offsetof(RARHeaderDataEx, Hash) == 2048 + 2048 * sizeof(wchar_t) + 64 + sizeof(void*),
              "RARHeaderDataEx.Hash");
static_assert(sizeof(RARHeaderDataEx) ==
                  2048 + 2048 * sizeof(wchar_t) + 44 + 2 * sizeof(void*) + 4 * 3 + 4 * 2 + 32 + 4 * 2 + 4 * 7 + 988 * 4,
              "RARHeaderDataEx size");
#endif

#endif  // SK_UNRAR_H
