#include "unrar/safe_path.h"

#include "util/paths.h"

namespace unrar {
namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

std::vector<std::wstring> Split(const std::wstring& s) {
  std::vector<std::wstring> parts;
  std::wstring cur;
  for (wchar_t c : s) {
    if (IsSeparator(c)) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  return parts;
}

bool IsAbsolute(const std::wstring& s) {
  if (s.empty()) return false;
  if (IsSeparator(s[0])) return true;  // "\x", "/x", "\\server\share", "\\?\..."
  return s.size() >= 2 && s[1] == L':';  // "C:x", "C:\x"
}

}  // namespace

bool SplitSafeName(const std::wstring& name, std::vector<std::wstring>* components) {
  components->clear();
  if (IsAbsolute(name)) return false;
  for (const std::wstring& part : Split(name)) {
    if (part.empty() || part == L".") continue;
    if (!util::IsPlainName(part)) return false;
    components->push_back(part);
  }
  return !components->empty();
}

bool LinkTargetStaysInside(const std::wstring& link_name, const std::wstring& target) {
  if (target.empty() || IsAbsolute(target)) return false;
  std::vector<std::wstring> link;
  if (!SplitSafeName(link_name, &link)) return false;
  long depth = static_cast<long>(link.size()) - 1;  // the folder holding the link
  for (const std::wstring& part : Split(target)) {
    if (part.empty() || part == L".") continue;
    if (part == L"..") {
      if (--depth < 0) return false;
      continue;
    }
    if (part.find(L':') != std::wstring::npos) return false;
    depth++;
  }
  return true;
}

}  // namespace unrar
