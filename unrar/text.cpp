#include "unrar/text.h"

#include "util/codepage.h"
#include "util/text.h"

namespace unrar {

std::wstring ArgumentToWide(const char* s) {
  if (!s) return std::wstring();
  std::wstring w;
  return util::FromUtf8(s, &w, util::BadInput::kRefuse) ? w : util::FromCp1251(s);
}

std::wstring DecodeRar4Name(const uint8_t* field, size_t size, bool unicode_flag, bool host_is_unix) {
  size_t zero = 0;
  while (zero < size && field[zero] != 0) zero++;
  std::string oem(reinterpret_cast<const char*>(field), zero);
  if (unicode_flag && zero == size) {
    // The Unicode flag without the compressed form: the field is UTF-8.
    return util::FromUtf8(oem);
  }
  if (!unicode_flag || zero + 1 >= size) {
    std::wstring w;
    if (host_is_unix && util::FromUtf8(oem, &w, util::BadInput::kRefuse)) return w;
    return util::FromCp866(oem);
  }
  // The compressed UTF-16 form after the 0 byte.
  const uint8_t* enc = field + zero + 1;
  size_t enc_size = size - zero - 1;
  size_t pos = 0;
  uint8_t high = enc[pos++];
  std::u16string units;
  const size_t max_units = 0x10000;
  uint8_t flags = 0;
  int flag_bits = 0;
  while (pos < enc_size && units.size() < max_units) {
    if (flag_bits == 0) {
      flags = enc[pos++];
      flag_bits = 8;
      if (pos >= enc_size) break;
    }
    int op = flags >> 6;
    flags = static_cast<uint8_t>(flags << 2);
    flag_bits -= 2;
    switch (op) {
      case 0:
        units.push_back(static_cast<char16_t>(enc[pos++]));
        break;
      case 1:
        units.push_back(static_cast<char16_t>(enc[pos++] | (high << 8)));
        break;
      case 2:
        if (pos + 1 >= enc_size) {
          pos = enc_size;
          break;
        }
        units.push_back(static_cast<char16_t>(enc[pos] | (enc[pos + 1] << 8)));
        pos += 2;
        break;
      default: {
        uint8_t len = enc[pos++];
        if (len & 0x80) {
          if (pos >= enc_size) break;
          uint8_t correction = enc[pos++];
          for (int k = (len & 0x7F) + 2; k > 0 && units.size() < oem.size(); k--) {
            uint8_t a = static_cast<uint8_t>(oem[units.size()]);
            units.push_back(static_cast<char16_t>(((a + correction) & 0xFF) | (high << 8)));
          }
        } else {
          for (int k = len + 2; k > 0 && units.size() < oem.size(); k--)
            units.push_back(static_cast<uint8_t>(oem[units.size()]));
        }
        break;
      }
    }
  }
  // A 0 unit ends the name early.
  size_t n = 0;
  while (n < units.size() && units[n] != 0) n++;
  return util::FromUtf16(std::u16string_view(units).substr(0, n));
}

}  // namespace unrar
