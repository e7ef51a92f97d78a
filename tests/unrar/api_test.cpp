// The C API as callers see it: record layouts, codes, archive comments, and the callbacks
// (stdcall in the Windows build, where a calling-convention slip would break the stack).
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "tests/rarwriter/rarwriter.h"
#include "tests/unrar/test_support.h"
#include "unrar/unpack.h"
#include "util/text.h"

namespace unrar_test {
namespace {

TEST(ApiLayout, RecordsAreLaidOutAsDocumented) {
  // The 32-bit build is what the installer ships.
  EXPECT_EQ(sizeof(RARHeaderData), sizeof(void*) == 4 ? 572u : 576u);
  EXPECT_EQ(offsetof(RARHeaderData, FileName), 260u);
  EXPECT_EQ(offsetof(RARHeaderData, Flags), 520u);
  EXPECT_EQ(offsetof(RARHeaderData, UnpSize), 528u);
  EXPECT_EQ(offsetof(RARHeaderData, CmtBuf), 556u);
  EXPECT_EQ(offsetof(RARHeaderData, CmtState), 556 + sizeof(void*) + 8);
  EXPECT_EQ(sizeof(RAROpenArchiveData), sizeof(void*) == 4 ? 28u : 36u);
  EXPECT_EQ(offsetof(RAROpenArchiveDataEx, Flags), 3 * sizeof(void*) + 20);
  EXPECT_EQ(offsetof(RAROpenArchiveDataEx, Reserved) + sizeof(unsigned int) * 25, sizeof(RAROpenArchiveDataEx));
  EXPECT_EQ(offsetof(RARHeaderDataEx, FileNameW), 2048 + 1024 * sizeof(wchar_t));
  EXPECT_EQ(offsetof(RARHeaderDataEx, Reserved) + 988 * 4, sizeof(RARHeaderDataEx));
}

TEST(ApiLayout, CodesHaveTheirDocumentedValues) {
  const int codes[] = {ERAR_SUCCESS,     ERAR_END_ARCHIVE, ERAR_NO_MEMORY, ERAR_BAD_DATA,  ERAR_BAD_ARCHIVE,
                       ERAR_UNKNOWN_FORMAT, ERAR_EOPEN,    ERAR_ECREATE,   ERAR_ECLOSE,    ERAR_EREAD,
                       ERAR_EWRITE,      ERAR_SMALL_BUF,   ERAR_UNKNOWN,   ERAR_MISSING_PASSWORD,
                       ERAR_EREFERENCE,  ERAR_BAD_PASSWORD};
  const int values[] = {0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
  for (size_t i = 0; i < sizeof codes / sizeof codes[0]; i++) EXPECT_EQ(codes[i], values[i]);
  EXPECT_EQ(RAR_OM_LIST + RAR_OM_EXTRACT * 10 + RAR_OM_LIST_INCSPLIT * 100, 210);
  EXPECT_EQ(RAR_SKIP + RAR_TEST * 10 + RAR_EXTRACT * 100, 210);
  EXPECT_EQ(UCM_CHANGEVOLUME + UCM_PROCESSDATA * 10 + UCM_NEEDPASSWORD * 100 + UCM_CHANGEVOLUMEW * 1000 +
                UCM_NEEDPASSWORDW * 10000,
            43210);
  EXPECT_EQ(RHDF_SPLITBEFORE | RHDF_SPLITAFTER | RHDF_ENCRYPTED | RHDF_SOLID | RHDF_DIRECTORY, 0x37);
  EXPECT_EQ(RARGetDllVersion(), RAR_DLL_VERSION);
}

TEST(ApiOpen, AMissingOrForeignFileIsReportedAtOpening) {
  TempDir dir;
  RAROpenArchiveData d;
  memset(&d, 0, sizeof d);
  std::string missing = (dir.path() / "missing.rar").u8string();
  d.ArcName = &missing[0];
  d.OpenMode = RAR_OM_EXTRACT;
  EXPECT_EQ(RAROpenArchive(&d), nullptr);
  EXPECT_EQ(d.OpenResult, static_cast<unsigned>(ERAR_EOPEN));

  WriteFileBytes(dir.path() / "text.rar", std::string(5000, 'x'));
  std::string foreign = (dir.path() / "text.rar").u8string();
  d.ArcName = &foreign[0];
  EXPECT_EQ(RAROpenArchive(&d), nullptr);
  EXPECT_EQ(d.OpenResult, static_cast<unsigned>(ERAR_BAD_ARCHIVE));
  EXPECT_EQ(RARCloseArchive(nullptr), ERAR_ECLOSE);
}

TEST(ApiOpen, TheOldRecordReadsNamesSizesAndFlags) {
  RAROpenArchiveData d;
  memset(&d, 0, sizeof d);
  std::string name = CorpusFile("rar3-subdirs.rar").u8string();
  d.ArcName = &name[0];
  d.OpenMode = RAR_OM_EXTRACT;
  HANDLE h = RAROpenArchive(&d);
  ASSERT_NE(h, nullptr);
  RARHeaderData header;
  memset(&header, 0, sizeof header);
  ASSERT_EQ(RARReadHeader(h, &header), 0);
  std::string first = header.FileName;
  for (char& c : first)
    if (c == '\\') c = '/';
  EXPECT_EQ(first, "sub/dir2/file2.txt");
  EXPECT_EQ(header.UnpSize, 6u);
  EXPECT_EQ(header.FileCRC, 0xc904a4c7u);
  EXPECT_EQ(RARProcessFile(h, RAR_TEST, nullptr, nullptr), 0);
  int directories = 0, files = 1;
  while (RARReadHeader(h, &header) == 0) {
    if (header.Flags & RHDF_DIRECTORY) directories++;
    else files++;
    EXPECT_EQ(RARProcessFile(h, RAR_SKIP, nullptr, nullptr), 0);
  }
  EXPECT_EQ(directories, 6);
  EXPECT_EQ(files, 4);
  EXPECT_EQ(RARReadHeader(h, &header), ERAR_END_ARCHIVE);
  EXPECT_EQ(RARCloseArchive(h), 0);
}

std::string CommentOf(const std::string& archive, unsigned size, unsigned* state, unsigned* cmt_size) {
  static char buf[65536];
  memset(buf, 0x55, sizeof buf);
  RAROpenArchiveData d;
  memset(&d, 0, sizeof d);
  std::string name = CorpusFile(archive).u8string();
  d.ArcName = &name[0];
  d.OpenMode = RAR_OM_EXTRACT;
  d.CmtBuf = buf;
  d.CmtBufSize = size;
  HANDLE h = RAROpenArchive(&d);
  EXPECT_NE(h, nullptr) << archive;
  if (h) RARCloseArchive(h);
  *state = d.CmtState;
  *cmt_size = d.CmtSize;
  return d.CmtState == 1 || d.CmtState == ERAR_SMALL_BUF ? std::string(buf) : std::string();
}

TEST(ApiComments, StoredCommentsFillTheBuffer) {
  unsigned state = 0, size = 0;
  EXPECT_EQ(CommentOf("Rar5.comment.rar", 65535, &state, &size), "This is another comment\n");
  EXPECT_EQ(state, 1u);
  EXPECT_EQ(size, 25u);  // the text and its terminating zero
  EXPECT_EQ(CommentOf("ur_comment.rar", 65535, &state, &size), "abcdef12345\n");
  EXPECT_EQ(CommentOf("rar5-crc.rar", 65535, &state, &size), "RAR5 archive - crc\n");
  EXPECT_EQ(CommentOf("rar3-subdirs.rar", 65535, &state, &size), "");
  EXPECT_EQ(state, 0u);
}

TEST(ApiComments, ASmallBufferGetsTheStartAndSaysSo) {
  unsigned state = 0, size = 0;
  EXPECT_EQ(CommentOf("Rar5.comment.rar", 5, &state, &size), "This");
  EXPECT_EQ(state, static_cast<unsigned>(ERAR_SMALL_BUF));
  EXPECT_EQ(size, 5u);
}

TEST(ApiComments, ACompressedCommentNeedsItsDecoder) {
  unsigned state = 0, size = 0;
  std::string text = CommentOf("rar3-comment-plain.rar", 65535, &state, &size);
  if (unrar::MakeUnpacker(29)) {
    EXPECT_EQ(state, 1u);
    EXPECT_FALSE(text.empty());
  } else {
    EXPECT_EQ(state, static_cast<unsigned>(ERAR_UNKNOWN_FORMAT));
    EXPECT_EQ(size, 0u);
  }
}

// Callbacks with the documented calling convention.
struct Blocks {
  std::string data;
  int calls = 0;
  int stop_after = -1;
};
Blocks* g_blocks = nullptr;

int CALLBACK CollectBlocks(UINT msg, LPARAM user, LPARAM p1, LPARAM p2) {
  Blocks* b = reinterpret_cast<Blocks*>(user);
  if (msg != UCM_PROCESSDATA) return 0;
  b->data.append(reinterpret_cast<const char*>(p1), static_cast<size_t>(p2));
  return ++b->calls == b->stop_after ? -1 : 1;
}

int PASCAL OldDataProc(unsigned char* addr, int size) {
  g_blocks->data.append(reinterpret_cast<const char*>(addr), static_cast<size_t>(size));
  return ++g_blocks->calls == g_blocks->stop_after ? 0 : 1;
}

TEST(ApiCallbacks, EveryUnpackedBlockReachesTheDataCallback) {
  Blocks blocks;
  OpenedArchive arc(CorpusFile("rar3-subdirs.rar"), RAR_OM_EXTRACT, CollectBlocks, reinterpret_cast<LPARAM>(&blocks));
  ASSERT_NE(arc.handle(), nullptr);
  RARHeaderDataEx h;
  memset(&h, 0, sizeof h);
  ASSERT_EQ(RARReadHeaderEx(arc.handle(), &h), 0);
  EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_TEST, nullptr, nullptr), 0);
  EXPECT_EQ(blocks.data.size(), 6u);
  EXPECT_EQ(blocks.calls, 1);
}

TEST(ApiCallbacks, MinusOneFromTheCallbackStopsAndWritesNothing) {
  TempDir dir;
  Blocks blocks;
  blocks.stop_after = 1;
  OpenedArchive arc(CorpusFile("rar3-subdirs.rar"), RAR_OM_EXTRACT, CollectBlocks, reinterpret_cast<LPARAM>(&blocks));
  RARHeaderDataEx h;
  memset(&h, 0, sizeof h);
  ASSERT_EQ(RARReadHeaderEx(arc.handle(), &h), 0);
  std::wstring dest = dir.wide();
  EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_EXTRACT, &dest[0], nullptr), ERAR_UNKNOWN);
  EXPECT_TRUE(Snapshot(dir.path()).size() <= 2u);  // at most the folders, never the file
  EXPECT_FALSE(fs::exists(dir.path() / "sub" / "dir2" / "file2.txt"));
}

TEST(ApiCallbacks, TheOlderDataProcedureStopsWithZero) {
  Blocks blocks;
  g_blocks = &blocks;
  OpenedArchive arc(CorpusFile("rar5-crc.rar"), RAR_OM_EXTRACT);
  ASSERT_NE(arc.handle(), nullptr);
  RARSetProcessDataProc(arc.handle(), OldDataProc);
  RARHeaderDataEx h;
  memset(&h, 0, sizeof h);
  ASSERT_EQ(RARReadHeaderEx(arc.handle(), &h), 0);
  EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_TEST, nullptr, nullptr), 0);
  EXPECT_EQ(blocks.data.size(), (uint64_t(h.UnpSizeHigh) << 32 | h.UnpSize));
  blocks.stop_after = blocks.calls + 1;
  memset(&h, 0, sizeof h);
  ASSERT_EQ(RARReadHeaderEx(arc.handle(), &h), 0);
  EXPECT_EQ(RARProcessFileW(arc.handle(), RAR_TEST, nullptr, nullptr), ERAR_UNKNOWN);
  g_blocks = nullptr;
}


TEST(ApiSolid, SkippedEntriesOfASolidArchiveAreStillDecoded) {
  if (!unrar::MakeUnpacker(50)) GTEST_SKIP() << "no RAR5 decoder in this build";
  Blocks blocks;
  OpenedArchive arc(CorpusFile("Rar5.solid.rar"), RAR_OM_EXTRACT, CollectBlocks, reinterpret_cast<LPARAM>(&blocks));
  ASSERT_NE(arc.handle(), nullptr);
  EXPECT_TRUE(arc.data().Flags & ROADF_SOLID);
  RARHeaderDataEx h;
  int entries = 0, last = -1;
  uint64_t last_size = 0;
  while (memset(&h, 0, sizeof h), RARReadHeaderEx(arc.handle(), &h) == 0) {
    entries++;
    bool is_last_file = !(h.Flags & RHDF_DIRECTORY) && entries >= 3;
    blocks.data.clear();
    last = RARProcessFileW(arc.handle(), is_last_file ? RAR_TEST : RAR_SKIP, nullptr, nullptr);
    if (is_last_file) last_size = uint64_t(h.UnpSizeHigh) << 32 | h.UnpSize;
    if (is_last_file) break;
  }
  EXPECT_GE(entries, 3);
  EXPECT_EQ(last, 0);
  EXPECT_EQ(blocks.data.size(), last_size);
}

}  // namespace
}  // namespace unrar_test

// An encrypted comment, with the password from the callback: a wrong one is refused by the
// password check value, never read as garbage.
int CALLBACK AnswerPassword(UINT msg, LPARAM user, LPARAM p1, LPARAM p2) {
  if (msg != UCM_NEEDPASSWORDW) return msg == UCM_NEEDPASSWORD ? -1 : 0;
  const wchar_t* password = reinterpret_cast<const wchar_t*>(user);
  if (wcslen(password) >= static_cast<size_t>(p2)) return -1;
  wcscpy(reinterpret_cast<wchar_t*>(p1), password);
  return 1;
}

TEST(ApiComments, AnEncryptedCommentNeedsTheRightPassword) {
  unrar_test::TempDir dir;
  rarwriter::Archive a;
  a.password = "secret";
  a.rar5_kdf_log2 = 10;
  a.comment = "Comment under a password\n";
  a.encrypt_comment = true;
  a.entries.push_back(rarwriter::MakeFile(a.format, "a.txt", "text"));
  const auto path = dir.path() / "comment.rar";
  rarwriter::WriteFile(a, path.u8string());
  struct Case {
    const wchar_t* password;
    int state;  // 1 read, or the refusal
  } cases[] = {{L"secret", 1}, {L"Secret", ERAR_BAD_PASSWORD}, {L"wrong", ERAR_BAD_PASSWORD}};
  for (const Case& c : cases) {
    SCOPED_TRACE(util::ToUtf8(c.password));
    unrar_test::OpenedArchive opened(path, RAR_OM_EXTRACT, AnswerPassword, reinterpret_cast<LPARAM>(c.password));
    ASSERT_NE(opened.handle(), nullptr);
    EXPECT_EQ(static_cast<int>(opened.data().CmtState), c.state);
    if (c.state == 1) EXPECT_EQ(std::string(opened.data().CmtBuf), a.comment);
    else EXPECT_EQ(opened.data().CmtSize, 0u);
  }
}
