#include "util/text.h"

namespace util {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;
constexpr bool kUtf16Wide = sizeof(wchar_t) == 2;

bool IsSurrogate(uint32_t c) { return c >= 0xD800 && c < 0xE000; }
bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c < 0xE000; }

void AppendUtf8(std::string* out, uint32_t c) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The UTF-8 sequence at `at`: its code point and length, or a length of 0 when it is not one.
size_t Utf8Sequence(std::string_view bytes, size_t at, uint32_t* c) {
  const unsigned char lead = static_cast<unsigned char>(bytes[at]);
  size_t length;
  if (lead < 0x80) { *c = lead; return 1; }
  if (lead >= 0xC2 && lead < 0xE0) { *c = lead & 0x1F; length = 2; }
  else if (lead >= 0xE0 && lead < 0xF0) { *c = lead & 0x0F; length = 3; }
  else if (lead >= 0xF0 && lead < 0xF5) { *c = lead & 0x07; length = 4; }
  else return 0;
  if (bytes.size() - at < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(bytes[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    *c = (*c << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  if ((length == 3 && *c < 0x800) || (length == 4 && (*c < 0x10000 || *c > 0x10FFFF)) || IsSurrogate(*c))
    return 0;
  return length;
}

// Walks the code points of a wide string; an unpaired surrogate comes as itself.
template <typename Visit>
void ForEachCodePoint(std::wstring_view text, Visit visit) {
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = static_cast<uint32_t>(text[i]);
    if (kUtf16Wide && IsHighSurrogate(c) && i + 1 < text.size() &&
        IsLowSurrogate(static_cast<uint32_t>(text[i + 1]))) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
    }
    visit(c);
  }
}

bool IsCharacter(uint32_t c) { return c <= 0x10FFFF && !IsSurrogate(c); }

}  // namespace

void AppendCodePoint(std::wstring* text, uint32_t c) {
  if (c > 0x10FFFF) c = kReplacement;
  if (kUtf16Wide && c >= 0x10000) {
    c -= 0x10000;
    *text += static_cast<wchar_t>(0xD800 + (c >> 10));
    *text += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
  } else {
    *text += static_cast<wchar_t>(c);
  }
}

bool FromUtf8(std::string_view bytes, std::wstring* text, BadInput bad) {
  text->clear();
  bool wellFormed = true;
  for (size_t i = 0; i < bytes.size();) {
    uint32_t c = 0;
    const size_t length = Utf8Sequence(bytes, i, &c);
    if (length == 0) {
      wellFormed = false;
      if (bad == BadInput::kRefuse) {
        text->clear();
        return false;
      }
      c = bad == BadInput::kAsLatin1 ? static_cast<unsigned char>(bytes[i]) : kReplacement;
      ++i;
    } else {
      i += length;
    }
    AppendCodePoint(text, c);
  }
  return wellFormed;
}

std::wstring FromUtf8(std::string_view bytes) {
  std::wstring text;
  FromUtf8(bytes, &text, BadInput::kReplace);
  return text;
}

bool ToUtf8(std::wstring_view text, std::string* bytes, BadInput bad) {
  bytes->clear();
  bool wellFormed = true;
  ForEachCodePoint(text, [&](uint32_t c) {
    if (!IsCharacter(c)) {
      wellFormed = false;
      c = kReplacement;
    }
    AppendUtf8(bytes, c);
  });
  if (!wellFormed && bad == BadInput::kRefuse) bytes->clear();
  return wellFormed;
}

std::string ToUtf8(std::wstring_view text) {
  std::string bytes;
  ToUtf8(text, &bytes, BadInput::kReplace);
  return bytes;
}

std::wstring FromUtf16(std::u16string_view units) {
  std::wstring text;
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(units[i + 1]))
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
    else if (IsSurrogate(c))
      c = kReplacement;
    AppendCodePoint(&text, c);
  }
  return text;
}

std::u16string ToUtf16(std::wstring_view text) {
  std::u16string units;
  ForEachCodePoint(text, [&](uint32_t c) {
    if (!IsCharacter(c)) c = kReplacement;
    if (c >= 0x10000) {
      c -= 0x10000;
      units += static_cast<char16_t>(0xD800 + (c >> 10));
      units += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      units += static_cast<char16_t>(c);
    }
  });
  return units;
}

std::wstring FromUtf16le(std::string_view bytes) {
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return FromUtf16(units);
}

std::string ToUtf16le(std::wstring_view text) {
  std::string bytes;
  for (char16_t unit : ToUtf16(text)) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

}  // namespace util
