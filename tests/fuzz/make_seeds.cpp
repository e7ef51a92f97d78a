// Writes the fuzzer's seed archives made by the test writer into a folder: both formats, plain
// and encrypted (the fuzzer's password and the installer's), with damaged data and headers,
// truncated, and with every hostile name.
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/rarwriter/rarwriter.h"

namespace {
using rarwriter::Archive;
using rarwriter::Format;

void Save(const std::string& dir, const std::string& name, const Archive& a) {
  const rarwriter::Written w = rarwriter::Write(a);
  const std::string path = dir + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(w.bytes.data(), 1, w.bytes.size(), f) != w.bytes.size()) throw std::runtime_error(path);
  std::fclose(f);
}

Archive Sample(Format f) {
  Archive a;
  a.format = f;
  a.rar5_kdf_log2 = 10;
  a.entries = {rarwriter::MakeDirectory(f, "Папка"), rarwriter::MakeFile(f, "Папка/Файл.txt", "Текст файла\r\n"),
               rarwriter::MakeFile(f, "a.txt", "alpha"), rarwriter::MakeFile(f, "b.bin", std::string(300, '\xA5'))};
  return a;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  try {
    for (Format f : {Format::Rar4, Format::Rar5}) {
      const std::string p = f == Format::Rar4 ? "w4-" : "w5-";
      const Archive plain = Sample(f);
      Save(dir, p + "plain.rar", plain);

      for (const char* password : {"password", "Sketrion_Setup_2005A"}) {
        Archive enc = plain;
        enc.password = password;
        for (auto& e : enc.entries) e.encrypted = true;
        Save(dir, p + "enc-" + password + ".rar", enc);
        enc.encrypt_headers = true;
        Save(dir, p + "hp-" + password + ".rar", enc);
      }

      Archive crc = plain;
      crc.entries[2].bad_data_crc = true;
      Save(dir, p + "bad-crc.rar", crc);
      Archive garbled = plain;
      garbled.corrupt_header_after = 2;
      Save(dir, p + "garbled-header.rar", garbled);
      garbled.header_damage = Archive::HeaderDamage::BadCrc;
      Save(dir, p + "bad-header-crc.rar", garbled);
      Archive truncated = plain;
      truncated.truncate_to = static_cast<int64_t>(rarwriter::Write(plain).entries[2].data_offset + 2);
      Save(dir, p + "truncated.rar", truncated);

      Archive hostile;
      hostile.format = f;
      for (const char* n : {"\\x", "/x", "C:x", "C:\\x", "\\\\srv\\share", "..\\x", "a/../../x", "x:ads", "CON",
                            "aux.txt", "LPT1", "dot.", "blank "}) {
        rarwriter::Entry e;
        e.oem_name = n;
        e.data = "x";
        hostile.entries.push_back(e);
      }
      rarwriter::Entry long_name;
      long_name.oem_name = std::string(300, 'L');
      hostile.entries.push_back(long_name);
      Save(dir, p + "hostile-names.rar", hostile);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
