#include "unrar/text.h"

#include <vector>

#include "util/utf8.h"

namespace unrar {
namespace {

const uint16_t k866High[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429,
    0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436,
    0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407,
    0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

const uint16_t k1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

std::wstring SingleByteToWide(const std::string& s, const uint16_t* high) {
  std::wstring out;
  for (unsigned char c : s) out += c < 0x80 ? static_cast<wchar_t>(c) : static_cast<wchar_t>(high[c - 0x80]);
  return out;
}

// Code points of a wide string (surrogate pairs joined on Windows).
std::vector<uint32_t> CodePoints(const std::wstring& s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size(); i++) {
    uint32_t c = static_cast<uint32_t>(s[i]);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) {
      uint32_t d = static_cast<uint32_t>(s[i + 1]);
      if (d >= 0xDC00 && d < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
        i++;
      }
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace

void AppendCodePoint(std::wstring* out, uint32_t c) {
  if (c > 0x10FFFF) c = 0xFFFD;
  if (sizeof(wchar_t) == 2 && c >= 0x10000) {
    c -= 0x10000;
    *out += static_cast<wchar_t>(0xD800 + (c >> 10));
    *out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
  } else {
    *out += static_cast<wchar_t>(c);
  }
}

std::wstring Utf8ToWide(const std::string& s, bool* valid) {
  std::wstring out;
  bool ok = true;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size()) {
      ok = false;
      AppendCodePoint(&out, 0xFFFD);
      i++;
      continue;
    }
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    bool bad = false;
    for (int k = 1; k <= extra; k++) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) {
        bad = true;
        break;
      }
      cp = (cp << 6) | (d & 0x3F);
    }
    static const uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (bad || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
      ok = false;
      AppendCodePoint(&out, 0xFFFD);
      i++;
      continue;
    }
    AppendCodePoint(&out, cp);
    i += extra + 1;
  }
  if (valid) *valid = ok;
  return out;
}

std::string WideToUtf8(const std::wstring& s) {
  std::string out;
  for (uint32_t c : CodePoints(s)) util::AppendUtf8(&out, c);
  return out;
}

std::wstring Utf16ToWide(const uint16_t* units, size_t n) {
  std::wstring out;
  for (size_t i = 0; i < n; i++) {
    uint32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      i++;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendCodePoint(&out, c);
  }
  return out;
}

std::u16string WideToUtf16(const std::wstring& s) {
  std::u16string out;
  for (uint32_t c : CodePoints(s)) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c > 0x10FFFF ? 0xFFFD : c);
    }
  }
  return out;
}

std::wstring Oem866ToWide(const std::string& s) { return SingleByteToWide(s, k866High); }
std::wstring Cp1251ToWide(const std::string& s) { return SingleByteToWide(s, k1251High); }

std::string WideToOem866(const std::wstring& s) {
  std::string out;
  for (uint32_t c : CodePoints(s)) {
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 128; i++) {
      if (k866High[i] == c) {
        mapped = static_cast<char>(0x80 + i);
        break;
      }
    }
    out += mapped;
  }
  return out;
}

std::wstring ArgumentToWide(const char* s) {
  if (!s) return std::wstring();
  bool valid = false;
  std::wstring w = Utf8ToWide(s, &valid);
  return valid ? w : Cp1251ToWide(s);
}

std::wstring DecodeRar4Name(const uint8_t* field, size_t size, bool unicode_flag, bool host_is_unix) {
  size_t zero = 0;
  while (zero < size && field[zero] != 0) zero++;
  std::string oem(reinterpret_cast<const char*>(field), zero);
  if (unicode_flag && zero == size) {
    // The Unicode flag without the compressed form: the field is UTF-8.
    return Utf8ToWide(oem);
  }
  if (!unicode_flag || zero + 1 >= size) {
    bool valid = false;
    std::wstring w = Utf8ToWide(oem, &valid);
    if (host_is_unix && valid) return w;
    return Oem866ToWide(oem);
  }
  // The compressed UTF-16 form after the 0 byte.
  const uint8_t* enc = field + zero + 1;
  size_t enc_size = size - zero - 1;
  size_t pos = 0;
  uint8_t high = enc[pos++];
  std::vector<uint16_t> units;
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
        units.push_back(enc[pos++]);
        break;
      case 1:
        units.push_back(static_cast<uint16_t>(enc[pos++] | (high << 8)));
        break;
      case 2:
        if (pos + 1 >= enc_size) {
          pos = enc_size;
          break;
        }
        units.push_back(static_cast<uint16_t>(enc[pos] | (enc[pos + 1] << 8)));
        pos += 2;
        break;
      default: {
        uint8_t len = enc[pos++];
        if (len & 0x80) {
          if (pos >= enc_size) break;
          uint8_t correction = enc[pos++];
          for (int k = (len & 0x7F) + 2; k > 0 && units.size() < oem.size(); k--) {
            uint8_t a = static_cast<uint8_t>(oem[units.size()]);
            units.push_back(static_cast<uint16_t>(((a + correction) & 0xFF) | (high << 8)));
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
  return Utf16ToWide(units.data(), n);
}

}  // namespace unrar
