#include "tests/rarwriter/rarwriter.h"

#include <fstream>
#include <stdexcept>

#include "tests/rarwriter/formats.h"

namespace rarwriter {

Written Write(const Archive& archive) {
  Written written = archive.format == Format::Rar4 ? WriteRar4(archive) : WriteRar5(archive);
  if (archive.truncate_to >= 0 && static_cast<uint64_t>(archive.truncate_to) < written.bytes.size()) {
    written.bytes.resize(static_cast<size_t>(archive.truncate_to));
  }
  return written;
}

bool NeedsKey(const Archive& archive) {
  if (archive.encrypt_headers) {
    if (archive.password.empty()) throw std::invalid_argument("rarwriter: encrypted headers without a password");
    return true;
  }
  if (archive.encrypt_comment && !archive.comment.empty()) return true;
  for (const Entry& e : archive.entries) {
    if (e.encrypted && !e.directory) return true;
  }
  return false;
}

void WriteFile(const Archive& archive, const std::string& path) {
  const Written written = Write(archive);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(written.bytes.data(), static_cast<std::streamsize>(written.bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("rarwriter: cannot write " + path);
}

namespace {

Entry MakeNamed(Format format, std::string_view name_utf8) {
  std::u16string name = Utf8ToUtf16(name_utf8);
  const char16_t separator = format == Format::Rar4 ? u'\\' : u'/';
  for (char16_t& c : name) {
    if (c == u'/' || c == u'\\') c = separator;
  }
  Entry e;
  bool ascii = true;
  for (char16_t c : name) ascii = ascii && c < 0x80;
  if (format == Format::Rar4 && ascii) {
    e.oem_name = ToCp866(name);
  } else {
    e.unicode_name = name;  // RAR4 derives the OEM name from it
  }
  return e;
}

}  // namespace

Entry MakeFile(Format format, std::string_view name_utf8, std::string data) {
  Entry e = MakeNamed(format, name_utf8);
  e.data = std::move(data);
  return e;
}

Entry MakeDirectory(Format format, std::string_view name_utf8) {
  Entry e = MakeNamed(format, name_utf8);
  e.directory = true;
  return e;
}

}  // namespace rarwriter
