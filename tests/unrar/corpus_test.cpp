// Every archive of the shared corpus: the listing must match its expected listing exactly; every
// entry whose method has a decoder tests and extracts to exactly its expected CRC-32, and an
// entry without one gives ERAR_UNKNOWN_FORMAT. Links are never created. Damaged archives fail
// with an error code, without crashing or hanging.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "tests/unrar/test_support.h"
#include "unrar/checksum.h"
#include "unrar/unpack.h"
#include "util/text.h"

namespace unrar_test {
namespace {

struct Session {
  uint32_t crc = 0;
  uint64_t bytes = 0;
  std::wstring password;
};

int CALLBACK CountData(UINT msg, LPARAM user, LPARAM p1, LPARAM p2) {
  Session* s = reinterpret_cast<Session*>(user);
  if (msg == UCM_PROCESSDATA) {
    s->crc = unrar::Crc32(s->crc, reinterpret_cast<const void*>(p1), static_cast<size_t>(p2));
    s->bytes += static_cast<uint64_t>(p2);
    return 1;
  }
  if (msg == UCM_NEEDPASSWORDW) {
    if (s->password.empty() || s->password.size() >= static_cast<size_t>(p2)) return -1;
    wcscpy(reinterpret_cast<wchar_t*>(p1), s->password.c_str());
    return 1;
  }
  return msg == UCM_NEEDPASSWORD ? -1 : 0;
}

std::string Hex(uint32_t v) {
  char buf[16];
  snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

std::string KindOf(const RARHeaderDataEx& h, const std::string& rar4_link_target) {
  if (h.Flags & RHDF_DIRECTORY) return "dir";
  std::wstring target(h.RedirName ? h.RedirName : L"");
  for (wchar_t& c : target)
    if (c == L'\\') c = L'/';
  std::string t = target.empty() ? rar4_link_target : util::ToUtf8(target);
  switch (h.RedirType) {
    case RAR_REDIR_UNIXSYMLINK: return "symlink:" + t;
    case RAR_REDIR_WINSYMLINK: return "winsymlink:" + t;
    case RAR_REDIR_JUNCTION: return "junction:" + t;
    case RAR_REDIR_HARDLINK: return "hardlink:" + t;
    case RAR_REDIR_FILECOPY: return "filecopy:" + t;
    default: return "file";
  }
}

bool IsLink(unsigned redir) {
  return redir == RAR_REDIR_UNIXSYMLINK || redir == RAR_REDIR_WINSYMLINK || redir == RAR_REDIR_JUNCTION;
}

// Whether a link at name pointing at target stays under the destination folder.
bool StaysInside(const std::string& name, const std::string& target, unsigned redir) {
  if (redir == RAR_REDIR_JUNCTION || target.empty() || target[0] == '/' || target[0] == '\\' ||
      (target.size() > 1 && target[1] == ':'))
    return false;
  fs::path root("root");
  fs::path resolved = ((root / fs::path(name).parent_path()) / fs::path(target)).lexically_normal();
  auto it = resolved.begin();
  return it != resolved.end() && *it == root && std::distance(resolved.begin(), resolved.end()) > 1;
}

// What the library can decode today: stored data, and the methods it has a decoder for.
bool Decodable(const RARHeaderDataEx& h) {
  return h.Method == 0x30 || unrar::MakeUnpacker(static_cast<int>(h.UnpVer)) != nullptr;
}

std::string PasswordFor(const CorpusArchive& a, const std::string& entry) {
  for (const auto& p : a.entry_passwords)
    if (p.first == entry) return p.second;
  return a.password;
}

}  // namespace

void PrintTo(const CorpusArchive& a, std::ostream* os) { *os << a.file; }

namespace {

class CorpusArchiveTest : public ::testing::TestWithParam<CorpusArchive> {};

TEST_P(CorpusArchiveTest, ListsTestsAndExtractsAsExpected) {
  const CorpusArchive& a = GetParam();
  std::vector<ExpectedEntry> expected = ReadExpected(a.file);
  ASSERT_FALSE(expected.empty()) << "no expected listing for " << a.file;
  TempDir dest;
  for (int operation : {RAR_TEST, RAR_EXTRACT}) {
    SCOPED_TRACE(operation == RAR_TEST ? "test" : "extract");
    Session session;
    session.password = util::FromUtf8(a.password);
    OpenedArchive arc(CorpusFile(a.file), RAR_OM_EXTRACT, CountData, reinterpret_cast<LPARAM>(&session));
    ASSERT_NE(arc.handle(), nullptr) << "open result " << arc.open_result();
    std::map<std::string, std::string> content;  // name -> crc of what was produced
    size_t index = 0;
    static RARHeaderDataEx h;
    static wchar_t redirect[1024];
    for (;; index++) {
      memset(&h, 0, sizeof h);
      h.RedirName = redirect;
      h.RedirNameSize = 1024;
      redirect[0] = 0;
      int r = RARReadHeaderEx(arc.handle(), &h);
      if (r == ERAR_END_ARCHIVE) break;
      ASSERT_EQ(r, 0) << "header " << index;
      ASSERT_LT(index, expected.size());
      const ExpectedEntry& want = expected[index];
      std::string name = EntryName(h);
      SCOPED_TRACE(name);
      std::string password = PasswordFor(a, name);
      if (!password.empty()) RARSetPassword(arc.handle(), &password[0]);
      session = Session();
      session.password = util::FromUtf8(a.password);
      std::wstring dest_path = dest.wide();
      r = RARProcessFileW(arc.handle(), operation, operation == RAR_EXTRACT ? &dest_path[0] : nullptr, nullptr);
      std::string stored_target = util::ToUtf8(redirect);
      for (char& c : stored_target)
        if (c == '\\') c = '/';
      // A RAR4 link keeps its target as data; its CRC below checks it.
      std::string listed_target = want.kind.find(':') == std::string::npos ? "" : want.kind.substr(want.kind.find(':') + 1);
      std::string target = stored_target.empty() ? listed_target : stored_target;
      EXPECT_EQ(name, want.name);
      EXPECT_EQ((uint64_t(h.UnpSizeHigh) << 32) | h.UnpSize, want.size);
      EXPECT_EQ(KindOf(h, listed_target), want.kind);
      fs::path out = dest.path() / Utf8Path(name);
      if (IsLink(h.RedirType)) {
        bool inside = StaysInside(name, target, h.RedirType);
        EXPECT_EQ(r, operation == RAR_EXTRACT || !inside ? ERAR_ECREATE : 0);
        if (operation == RAR_TEST && want.crc != "-" && want.crc != "dir" && Decodable(h)) {
          EXPECT_EQ(Hex(session.crc), want.crc);
        }
        std::error_code ec;
        EXPECT_FALSE(fs::is_symlink(fs::symlink_status(out, ec))) << "a link was created";
      } else if (h.Flags & RHDF_DIRECTORY) {
        EXPECT_EQ(r, 0);
        if (operation == RAR_EXTRACT) {
          EXPECT_TRUE(fs::is_directory(out));
        }
      } else if (h.RedirType == RAR_REDIR_HARDLINK || h.RedirType == RAR_REDIR_FILECOPY) {
        bool have_target = content.count(target) != 0;
        if (operation == RAR_TEST || have_target) {
          EXPECT_EQ(r, 0);
        }
        if (operation == RAR_EXTRACT && have_target) {
          std::string bytes = ReadFileBytes(out);
          EXPECT_EQ(Hex(unrar::Crc32(0, bytes.data(), bytes.size())), want.crc);
        }
      } else if (Decodable(h)) {
        EXPECT_EQ(r, 0);
        EXPECT_EQ(Hex(session.crc), want.crc);
        EXPECT_EQ(session.bytes, want.size);
        if (operation == RAR_EXTRACT) {
          std::string bytes = ReadFileBytes(out);
          EXPECT_EQ(Hex(unrar::Crc32(0, bytes.data(), bytes.size())), want.crc);
        }
        if (r == 0) content[name] = want.crc;
      } else {
        EXPECT_EQ(r, ERAR_UNKNOWN_FORMAT);
        if (operation == RAR_EXTRACT) {
          EXPECT_FALSE(fs::exists(out));
        }
      }
    }
    EXPECT_EQ(index, expected.size());
  }
}

std::vector<CorpusArchive> Select(bool ok) {
  std::vector<CorpusArchive> out;
  for (const CorpusArchive& a : ReadManifest())
    if ((a.expected.compare(0, 2, "ok") == 0) == ok) out.push_back(a);
  return out;
}

std::string TestName(const ::testing::TestParamInfo<CorpusArchive>& info) {
  std::string name;
  for (char c : info.param.file) name += isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusArchiveTest, ::testing::ValuesIn(Select(true)), TestName);

class DamagedArchiveTest : public ::testing::TestWithParam<CorpusArchive> {};

TEST_P(DamagedArchiveTest, FailsWithAnErrorCode) {
  const CorpusArchive& a = GetParam();
  TempDir dest;
  Session session;
  OpenedArchive arc(CorpusFile(a.file), RAR_OM_EXTRACT, CountData, reinterpret_cast<LPARAM>(&session));
  int first_error = arc.handle() ? 0 : static_cast<int>(arc.open_result());
  if (arc.handle()) {
    static RARHeaderDataEx h;
    for (int i = 0; i < 100000 && first_error == 0; i++) {
      memset(&h, 0, sizeof h);
      int r = RARReadHeaderEx(arc.handle(), &h);
      if (r == ERAR_END_ARCHIVE) break;
      if (r != 0) {
        first_error = r;
        break;
      }
      std::wstring path = dest.wide();
      r = RARProcessFileW(arc.handle(), RAR_EXTRACT, &path[0], nullptr);
      if (r != 0) first_error = r;
    }
  }
  EXPECT_NE(first_error, 0);
  EXPECT_TRUE(first_error >= ERAR_END_ARCHIVE && first_error <= ERAR_BAD_PASSWORD) << first_error;
}

INSTANTIATE_TEST_SUITE_P(Corpus, DamagedArchiveTest, ::testing::ValuesIn(Select(false)), TestName);

}  // namespace
}  // namespace unrar_test
