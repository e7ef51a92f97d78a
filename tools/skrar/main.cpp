// skrar: lists, tests or extracts a RAR archive through the library's C API.
//   skrar l  [-p password] archive            names, sizes and stored CRCs (headers only)
//   skrar lt [-p password] archive            the checked listing: every entry is tested and
//                                             printed as name, size, CRC32 of its content, kind
//   skrar t  [-p password] archive            tests every entry
//   skrar x  [-p password] archive [destdir]  extracts every entry
// Names are printed in UTF-8 with '/' between folders. The exit code is 0 only when every
// entry succeeded.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "unrar/checksum.h"
#include "unrar/unrar.h"
#include "util/text.h"

namespace {

struct Session {
  std::wstring password;
  bool has_password = false;
  uint32_t crc = 0;
  std::string data;  // the first bytes of an entry, for link targets kept as data
};

int CALLBACK OnEvent(UINT msg, LPARAM user, LPARAM p1, LPARAM p2) {
  Session* s = reinterpret_cast<Session*>(user);
  switch (msg) {
    case UCM_NEEDPASSWORDW: {
      if (!s->has_password) return -1;
      wchar_t* buf = reinterpret_cast<wchar_t*>(p1);
      size_t n = s->password.size() < static_cast<size_t>(p2) - 1 ? s->password.size() : static_cast<size_t>(p2) - 1;
      memcpy(buf, s->password.data(), n * sizeof(wchar_t));
      buf[n] = 0;
      return 1;
    }
    case UCM_PROCESSDATA: {
      const uint8_t* d = reinterpret_cast<const uint8_t*>(p1);
      s->crc = unrar::Crc32(s->crc, d, static_cast<size_t>(p2));
      if (s->data.size() < 4096) s->data.append(reinterpret_cast<const char*>(d), static_cast<size_t>(p2));
      return 1;
    }
    default:
      return 0;
  }
}

std::string Utf8Name(const wchar_t* w) {
  std::wstring name(w);
  for (wchar_t& c : name)
    if (c == L'\\') c = L'/';
  return util::ToUtf8(name);
}

std::string Hex(uint32_t v) {
  char buf[16];
  snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

int Usage() {
  fprintf(stderr, "usage: skrar l|lt|t|x [-p password] archive [destdir]\n");
  return 2;
}

const char* RedirKind(unsigned type) {
  switch (type) {
    case RAR_REDIR_UNIXSYMLINK: return "symlink";
    case RAR_REDIR_WINSYMLINK: return "winsymlink";
    case RAR_REDIR_JUNCTION: return "junction";
    case RAR_REDIR_HARDLINK: return "hardlink";
    case RAR_REDIR_FILECOPY: return "filecopy";
    default: return "file";
  }
}

int Run(const std::string& command, const std::vector<std::wstring>& args) {
  Session session;
  std::vector<std::wstring> rest;
  for (size_t i = 0; i < args.size(); i++) {
    if (args[i] == L"-p" && i + 1 < args.size()) {
      session.password = args[++i];
      session.has_password = true;
    } else {
      rest.push_back(args[i]);
    }
  }
  if (rest.empty() || rest.size() > 2) return Usage();
  bool list = command == "l", checked = command == "lt", test = command == "t", extract = command == "x";
  if (!list && !checked && !test && !extract) return Usage();
  std::wstring archive = rest[0];
  std::wstring dest = rest.size() > 1 ? rest[1] : L"";

  RAROpenArchiveDataEx open;
  memset(&open, 0, sizeof open);
  open.ArcNameW = &archive[0];
  open.OpenMode = list ? RAR_OM_LIST : RAR_OM_EXTRACT;
  open.Callback = OnEvent;
  open.UserData = reinterpret_cast<LPARAM>(&session);
  HANDLE h = RAROpenArchiveEx(&open);
  if (!h) {
    fprintf(stderr, "skrar: cannot open the archive: error %u\n", open.OpenResult);
    return 1;
  }
  if (session.has_password) {
    std::string pw = util::ToUtf8(session.password);
    RARSetPassword(h, &pw[0]);
  }
  int failures = 0;
  std::map<std::string, std::string> content_crc;  // for hard links and file copies
  static RARHeaderDataEx header;
  static wchar_t redirect[1024];
  for (;;) {
    memset(&header, 0, sizeof header);
    header.RedirName = redirect;
    header.RedirNameSize = 1024;
    redirect[0] = 0;
    int r = RARReadHeaderEx(h, &header);
    if (r == ERAR_END_ARCHIVE) break;
    if (r != 0) {
      fprintf(stderr, "skrar: cannot read a header: error %d\n", r);
      failures++;
      break;
    }
    std::string name = Utf8Name(header.FileNameW);
    uint64_t size = (static_cast<uint64_t>(header.UnpSizeHigh) << 32) | header.UnpSize;
    bool dir = header.Flags & RHDF_DIRECTORY;
    if (list) {
      printf("%s\t%llu\t%s\n", name.c_str(), static_cast<unsigned long long>(size),
             dir ? "dir" : Hex(header.FileCRC).c_str());
      RARProcessFileW(h, RAR_SKIP, nullptr, nullptr);
      continue;
    }
    session.crc = 0;
    session.data.clear();
    int op = extract ? RAR_EXTRACT : RAR_TEST;
    r = RARProcessFileW(h, op, dest.empty() ? nullptr : &dest[0], nullptr);
    if (r != 0) {
      failures++;
      fprintf(stderr, "skrar: %s: error %d\n", name.c_str(), r);
    }
    if (checked) {
      std::string target = Utf8Name(redirect);
      std::string crc = r == 0 ? Hex(session.crc) : "!" + std::to_string(r);
      std::string kind = "file";
      if (dir) {
        crc = "dir";
        kind = "dir";
      } else if (header.RedirType != 0) {
        if (target.empty()) target = session.data;  // a RAR4 link keeps its target as data
        kind = std::string(RedirKind(header.RedirType)) + ":" + target;
        if (header.RedirType == RAR_REDIR_HARDLINK || header.RedirType == RAR_REDIR_FILECOPY) {
          auto it = content_crc.find(target);
          crc = it != content_crc.end() ? it->second : "?";
        } else if (!Utf8Name(redirect).empty()) {
          crc = "-";
        } else {
          crc = Hex(session.crc);  // its data was checked even when the link was refused
        }
      }
      content_crc[name] = crc;
      printf("%s\t%llu\t%s\t%s\n", name.c_str(), static_cast<unsigned long long>(size), crc.c_str(), kind.c_str());
    } else if (test && r == 0) {
      printf("%s: OK\n", name.c_str());
    }
  }
  RARCloseArchive(h);
  return failures == 0 ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 3) return Usage();
  std::vector<std::wstring> args(argv + 2, argv + argc);
  return Run(util::ToUtf8(argv[1]), args);
}
#else
int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::vector<std::wstring> args;
  for (int i = 2; i < argc; i++) args.push_back(util::FromUtf8(argv[i]));
  return Run(argv[1], args);
}
#endif
