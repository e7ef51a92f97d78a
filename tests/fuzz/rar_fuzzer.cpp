// libFuzzer target: the input is an archive. It goes through the C API the way the installer
// uses it (open, read every header, test every entry), once without a password and once with
// one, reading headers through both record layouts. Any crash, leak, hang or sanitizer report
// is a finding; error codes are fine.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "unrar/unrar.h"

namespace {

// The password the fuzzer's encrypted seeds use (the corpus's most common one).
char kPassword[] = "password";

// Each process writes its input to a file of its own in a folder of its own, so the library
// finds no other volume beside it.
const std::string& InputPath() {
  static const std::string path = [] {
    char dir[] = "/tmp/sk-rar-fuzz-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    return std::string(dir) + "/input.rar";
  }();
  return path;
}

int CALLBACK Callback(UINT msg, LPARAM user_data, LPARAM p1, LPARAM p2) {
  const bool give_password = user_data != 0;
  switch (msg) {
    case UCM_NEEDPASSWORD:
      if (!give_password || p2 <= static_cast<LPARAM>(sizeof kPassword)) return -1;
      std::memcpy(reinterpret_cast<char*>(p1), kPassword, sizeof kPassword);
      return 1;
    case UCM_NEEDPASSWORDW:
      if (!give_password || p2 <= static_cast<LPARAM>(sizeof kPassword)) return -1;
      for (size_t i = 0; i < sizeof kPassword; ++i) reinterpret_cast<wchar_t*>(p1)[i] = kPassword[i];
      return 1;
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
      return -1;  // no further volumes
    default:
      return 1;   // data: go on
  }
}

void Walk(bool with_password) {
  static char comment[65536];
  RAROpenArchiveDataEx open{};
  open.ArcName = const_cast<char*>(InputPath().c_str());
  open.OpenMode = RAR_OM_EXTRACT;
  open.CmtBuf = comment;
  open.CmtBufSize = sizeof comment - 1;
  open.Callback = Callback;
  open.UserData = with_password ? 1 : 0;
  HANDLE h = RAROpenArchiveEx(&open);
  if (!h) return;
  if (open.OpenResult == ERAR_SUCCESS) {
    if (with_password) RARSetPassword(h, kPassword);
    static RARHeaderDataEx ex;
    static RARHeaderData plain;
    for (int entries = 0; entries < 100000; ++entries) {
      std::memset(&plain, 0, sizeof plain);
      plain.CmtBuf = comment;
      plain.CmtBufSize = sizeof comment - 1;
      const int read = with_password ? RARReadHeader(h, &plain) : RARReadHeaderEx(h, &ex);
      if (read != ERAR_SUCCESS) break;
      const int result = RARProcessFile(h, RAR_TEST, nullptr, nullptr);
      // A header that was read but whose entry cannot be tested still lets the walk go on,
      // as the installer does for damaged data; anything else ends it.
      if (result != ERAR_SUCCESS && result != ERAR_BAD_DATA && result != ERAR_UNKNOWN_FORMAT &&
          result != ERAR_BAD_PASSWORD && result != ERAR_MISSING_PASSWORD && result != ERAR_ECREATE) {
        break;
      }
    }
  }
  RARCloseArchive(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(InputPath().c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  Walk(false);
  Walk(true);
  return 0;
}
