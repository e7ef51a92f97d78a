#include "unrar/volume_names.h"

namespace unrar {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Increments the decimal number ending at index end (exclusive), widening it on overflow.
std::wstring IncrementDigitsBefore(std::wstring name, size_t end) {
  size_t i = end;
  while (i > 0 && IsDigit(name[i - 1])) {
    i--;
    if (name[i] != L'9') {
      name[i]++;
      return name;
    }
    name[i] = L'0';
  }
  name.insert(i, 1, L'1');
  return name;
}

}  // namespace

std::wstring NextVolumeName(const std::wstring& current, bool new_numbering) {
  size_t slash = current.find_last_of(L"/\\");
  size_t base = slash == std::wstring::npos ? 0 : slash + 1;
  size_t dot = current.rfind(L'.');
  if (dot == std::wstring::npos || dot < base) dot = current.size();
  if (new_numbering) {
    // The digit run just before the extension (".part1.rar", ".part01.exe").
    size_t end = dot;
    if (end > base && IsDigit(current[end - 1])) return IncrementDigitsBefore(current, end);
    // No number before the extension: look for the last digit run in the name.
    size_t k = dot;
    while (k > base && !IsDigit(current[k - 1])) k--;
    if (k > base) return IncrementDigitsBefore(current, k);
  }
  // Old scheme on the extension: .rar -> .r00, .r00 -> .r01, .r99 -> .s00.
  std::wstring ext = current.substr(dot);
  std::wstring stem = current.substr(0, dot);
  if (ext.size() == 4 && IsDigit(ext[2]) && IsDigit(ext[3])) {
    int n = (ext[2] - L'0') * 10 + (ext[3] - L'0');
    if (n < 99) {
      n++;
      ext[2] = static_cast<wchar_t>(L'0' + n / 10);
      ext[3] = static_cast<wchar_t>(L'0' + n % 10);
    } else {
      ext[1] = static_cast<wchar_t>(ext[1] + 1);
      ext[2] = L'0';
      ext[3] = L'0';
    }
    return stem + ext;
  }
  bool upper = ext.size() >= 2 && ext[1] >= L'A' && ext[1] <= L'Z';
  return stem + (upper ? L".R00" : L".r00");
}

}  // namespace unrar
