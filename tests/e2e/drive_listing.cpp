#include "tests/e2e/drive_listing.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "platform/win32/scoped_win.h"

namespace e2e {
namespace {

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

// Temporary folders change under every program Wine runs (and under the tests themselves).
bool Volatile(const std::wstring& key) {
  static const wchar_t* const kVolatile[] = {L"windows\\temp\\", L"\\temp\\"};
  for (const wchar_t* part : kVolatile)
    if (key.find(part) != std::wstring::npos || key.rfind(part + 1, 0) == 0) return true;
  return false;
}

void Walk(const std::wstring& root, const std::wstring& relative, TreeListing* listing) {
  WIN32_FIND_DATAW data;
  platform::ScopedFind find(FindFirstFileW((root + relative + L"*").c_str(), &data));
  if (!find) return;
  std::vector<std::wstring> folders;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring key = Lower(relative + name) + (folder ? L"\\" : L"");
    if (Volatile(key)) continue;
    if (folder) {
      (*listing)[key] = L"";
      // A link or junction would lead back into the tree (Wine's drive letters are links).
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        folders.push_back(relative + name + L"\\");
    } else {
      const unsigned long long size =
          (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      const unsigned long long time =
          (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
          data.ftLastWriteTime.dwLowDateTime;
      (*listing)[key] = std::to_wstring(size) + L" " + std::to_wstring(time);
    }
  } while (FindNextFileW(find.Get(), &data));
  for (const std::wstring& folder : folders) Walk(root, folder, listing);
}

}  // namespace

TreeListing ListTree(const std::wstring& root) {
  TreeListing listing;
  std::wstring base = root;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  Walk(base, L"", &listing);
  return listing;
}

std::vector<std::wstring> CompareListings(const TreeListing& before, const TreeListing& after) {
  std::vector<std::wstring> changes;
  auto b = before.begin();
  auto a = after.begin();
  while (b != before.end() || a != after.end()) {
    if (a == after.end() || (b != before.end() && b->first < a->first)) {
      changes.push_back(L"- " + b->first);
      ++b;
    } else if (b == before.end() || a->first < b->first) {
      changes.push_back(L"+ " + a->first);
      ++a;
    } else {
      if (a->second != b->second) changes.push_back(L"* " + a->first);
      ++a;
      ++b;
    }
  }
  return changes;
}

std::vector<std::wstring> UnexpectedChanges(const std::vector<std::wstring>& changes,
                                            const std::vector<std::wstring>& allowed) {
  std::vector<std::wstring> unexpected;
  for (const std::wstring& change : changes) {
    const std::wstring key = change.substr(2);
    const bool expected = std::any_of(allowed.begin(), allowed.end(), [&](const std::wstring& a) {
      return a.back() == L'\\' ? key.rfind(a, 0) == 0 : key == a;
    });
    if (!expected) unexpected.push_back(change);
  }
  return unexpected;
}

}  // namespace e2e
