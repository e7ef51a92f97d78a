#include "setup/font_name.h"

#include <cstddef>
#include <cstdint>

namespace setup {
namespace {

constexpr uint32_t kTrueTypeVersion = 0x00010000;
constexpr uint32_t kAppleTrueTypeVersion = 0x74727565;  // "true"
constexpr uint32_t kNameTag = 0x6E616D65;               // "name"
constexpr uint16_t kWindowsPlatform = 3;
constexpr uint16_t kUsEnglish = 0x409;
constexpr uint16_t kFullNameId = 4;
constexpr size_t kNameMax = 255;  // far beyond any real face name; longer is damage

// Big-endian reads that fail instead of reading past the end.
class Reader {
 public:
  explicit Reader(std::string_view data) : data_(data) {}
  bool U16(size_t at, uint16_t* v) const {
    if (at > data_.size() || data_.size() - at < 2) return false;
    *v = static_cast<uint16_t>(Byte(at) << 8 | Byte(at + 1));
    return true;
  }
  bool U32(size_t at, uint32_t* v) const {
    uint16_t hi, lo;
    if (!U16(at, &hi) || !U16(at + 2, &lo)) return false;
    *v = static_cast<uint32_t>(hi) << 16 | lo;
    return true;
  }
  // True when [at, at + length) lies inside the data.
  bool Holds(size_t at, size_t length) const { return at <= data_.size() && data_.size() - at >= length; }

 private:
  unsigned Byte(size_t at) const { return static_cast<unsigned char>(data_[at]); }
  std::string_view data_;
};

// The "name" table's place in the font; false when it is missing or lies past the end.
bool FindNameTable(const Reader& font, size_t* offset, size_t* length) {
  uint32_t version;
  uint16_t tables;
  if (!font.U32(0, &version) || (version != kTrueTypeVersion && version != kAppleTrueTypeVersion))
    return false;
  if (!font.U16(4, &tables)) return false;
  for (size_t i = 0; i < tables; ++i) {
    size_t record = 12 + 16 * i;
    uint32_t tag, at, size;
    if (!font.U32(record, &tag) || !font.U32(record + 8, &at) || !font.U32(record + 12, &size))
      return false;
    if (tag != kNameTag) continue;
    if (!font.Holds(at, size)) return false;
    *offset = at;
    *length = size;
    return true;
  }
  return false;
}

// One UTF-16BE string of the table; empty when it is damaged, control characters included.
std::wstring NameText(const Reader& font, size_t at, size_t length) {
  if (length % 2 != 0 || length / 2 > kNameMax) return std::wstring();
  std::wstring text;
  for (size_t i = 0; i < length; i += 2) {
    uint16_t unit = 0;
    font.U16(at + i, &unit);
    if (unit == 0) break;
    if (unit < 0x20 || unit == 0x7F) return std::wstring();
    text += static_cast<wchar_t>(unit);
  }
  size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

}  // namespace

std::wstring TrueTypeFullName(std::string_view data) {
  Reader font(data);
  size_t table, tableLength;
  if (!FindNameTable(font, &table, &tableLength)) return std::wstring();
  uint16_t count, storage;
  if (!font.U16(table + 2, &count) || !font.U16(table + 4, &storage)) return std::wstring();
  if (6 + 12 * static_cast<size_t>(count) > tableLength || storage > tableLength) return std::wstring();
  std::wstring anyLanguage;
  for (size_t i = 0; i < count; ++i) {
    size_t record = table + 6 + 12 * i;
    uint16_t platformId = 0, language = 0, nameId = 0, length = 0, offset = 0;
    font.U16(record, &platformId);
    font.U16(record + 4, &language);
    font.U16(record + 6, &nameId);
    font.U16(record + 8, &length);
    font.U16(record + 10, &offset);
    if (platformId != kWindowsPlatform || nameId != kFullNameId) continue;
    size_t at = static_cast<size_t>(storage) + offset;
    if (at > tableLength || tableLength - at < length) continue;  // past the table's end
    std::wstring name = NameText(font, table + at, length);
    if (name.empty()) continue;
    if (language == kUsEnglish) return name;
    if (anyLanguage.empty()) anyLanguage = name;
  }
  return anyLanguage;
}

}  // namespace setup
