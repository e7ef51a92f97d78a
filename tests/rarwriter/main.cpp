// rarwriter: archives a folder tree as a stored RAR4 or RAR5 archive (see kUsage).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "tests/rarwriter/folder_entries.h"
#include "tests/rarwriter/rarwriter.h"

namespace {

const char kUsage[] =
    "usage: rarwriter --format rar4|rar5 [options] out.rar <folder>\n"
    "\n"
    "Archives every folder and file under <folder> (names relative to it) without compression.\n"
    "RAR4 names are stored in code page 866, plus the Unicode name when not plain ASCII;\n"
    "RAR5 names in UTF-8. The output depends only on the input and --seed.\n"
    "\n"
    "options:\n"
    "  --password P        password for encrypted entries (RAR4: AES-128, under 28 characters;\n"
    "                      RAR5: AES-256)\n"
    "  --encrypt-all       encrypt every file's data\n"
    "  --encrypt PATTERN   encrypt the files whose relative name ('/' separated) matches PATTERN;\n"
    "                      '*' matches any characters, '/' included, '?' one character; repeatable\n"
    "  --encrypt-headers   encrypt the headers too (RAR -hp); implies --encrypt-all\n"
    "  --mtime UNIXTIME    give every entry this modification time instead of the file's\n"
    "  --kdf-log2 N        RAR5: 2^N PBKDF2 rounds (default 15, as RAR)\n"
    "  --seed N            seed of salts and IVs (default 1)\n"
    "  --help              this text\n"
    "\n"
    "example: rarwriter --format rar4 --password Sketrion_Setup_2005A --encrypt 'bin/*' base.rar demo/base\n";

bool Matches(const char* pattern, const char* text) {
  if (*pattern == '\0') return *text == '\0';
  if (*pattern == '*') return Matches(pattern + 1, text) || (*text != '\0' && Matches(pattern, text + 1));
  if (*text == '\0') return false;
  return (*pattern == '?' || *pattern == *text) && Matches(pattern + 1, text + 1);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "rarwriter: %s\n%s", message.c_str(), kUsage);
  return 2;
}

int Run(const std::vector<std::string>& args) {
  rarwriter::Archive archive;
  bool format_given = false, encrypt_all = false, fixed_mtime = false;
  int64_t mtime = 0;
  std::vector<std::string> patterns, positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
      return args[++i];
    };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--format") {
      const std::string& f = value();
      if (f != "rar4" && f != "rar5") return Fail("unknown format " + f);
      archive.format = f == "rar4" ? rarwriter::Format::Rar4 : rarwriter::Format::Rar5;
      format_given = true;
    } else if (a == "--password") {
      archive.password = value();
    } else if (a == "--encrypt-all") {
      encrypt_all = true;
    } else if (a == "--encrypt") {
      patterns.push_back(value());
    } else if (a == "--encrypt-headers") {
      archive.encrypt_headers = encrypt_all = true;
    } else if (a == "--mtime") {
      mtime = std::stoll(value());
      fixed_mtime = true;
    } else if (a == "--kdf-log2") {
      archive.rar5_kdf_log2 = std::stoi(value());
    } else if (a == "--seed") {
      archive.seed = static_cast<uint32_t>(std::stoul(value()));
    } else if (a.size() > 1 && a[0] == '-') {
      return Fail("unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (!format_given) return Fail("--format is required");
  if (positional.size() != 2) return Fail("give the archive and the folder");
  if ((encrypt_all || !patterns.empty()) && archive.password.empty()) return Fail("encryption needs --password");

  const std::filesystem::path root = std::filesystem::u8path(positional[1]);
  archive.entries = rarwriter::EntriesFromFolder(root, archive.format);
  for (rarwriter::Entry& e : archive.entries) {
    if (fixed_mtime) e.mtime = mtime;
    if (e.directory) continue;
    std::string name = e.unicode_name.empty() ? e.oem_name : rarwriter::Utf16ToUtf8(e.unicode_name);
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    e.encrypted = encrypt_all;
    for (const std::string& p : patterns) e.encrypted = e.encrypted || Matches(p.c_str(), name.c_str());
  }
  rarwriter::WriteFile(archive, positional[0]);
  return 0;
}

}  // namespace

#ifdef _WIN32
// Arguments arrive as UTF-16 on Windows; the rest of the program works in UTF-8.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::u16string a(reinterpret_cast<const char16_t*>(argv[i]));
    args.push_back(rarwriter::Utf16ToUtf8(a));
  }
#else
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#endif
  try {
    return Run(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "rarwriter: %s\n", e.what());
    return 1;
  }
}
