// Which log paths the uninstaller may follow.
#include <gtest/gtest.h>

#include "util/paths.h"

namespace {

TEST(UninstallPathRules, OnlyPlainPathsStrictlyInsideTheFolder) {
  const std::wstring dest = L"C:\\Program files\\Sketrion 7.2";
  struct Case {
    const wchar_t* path;
    bool inside;
  } cases[] = {
      {L"C:\\Program files\\Sketrion 7.2\\BIN\\app.exe", true},
      {L"c:\\PROGRAM FILES\\sketrion 7.2\\Справка.txt", true},
      {L"C:\\Program files\\Sketrion 7.2", false},              // the folder itself
      {L"C:\\Program files\\Sketrion 7.2x\\a.txt", false},      // a sibling sharing the prefix
      {L"C:\\Program files\\Sketrion 7.2\\..\\other.txt", false},
      {L"C:\\Program files\\Sketrion 7.2\\.\\a.txt", false},
      {L"C:\\Program files\\Sketrion 7.2\\BIN\\...\\a.txt", false},
      {L"C:\\Program files\\Sketrion 7.2\\a.txt.", false},       // Windows would trim the dot
      {L"C:\\Program files\\Sketrion 7.2\\a.txt ", false},
      {L"C:\\Program files\\Sketrion 7.2\\\\a.txt", false},
      {L"C:\\Program files\\Sketrion 7.2\\a.txt\\", false},
      {L"C:\\Program files\\Sketrion 7.2/../x.txt", false},
      {L"C:\\Program files\\Sketrion 7.2\\a.txt:stream", false},
      {L"C:\\Program files\\Sketrion 7.2\\NUL", false},
      {L"C:\\Program files\\Sketrion 7.2\\con.txt", false},
      {L"C:\\Program files\\Sketrion 7.2\\BIN\\COM1", false},
      {L"C:\\Program files\\Sketrion 7.2\\lpt9.log", false},
      {L"C:\\Program files\\Sketrion 7.2\\CONOUT$", false},
      {L"C:\\Program files\\Sketrion 7.2\\COMPORT.txt", true},
      {L"\\\\?\\C:\\Program files\\Sketrion 7.2\\a.txt", false},
      {L"\\\\server\\share\\Sketrion 7.2\\a.txt", false},
      {L"BIN\\app.exe", false},                                   // relative
      {L"..\\..\\Windows\\win.ini", false},
      {L"C:Program files\\Sketrion 7.2\\a.txt", false},
      {L"C:\\Windows\\win.ini", false},
      {L"C:\\Program files\\Sketrion 7.2\\a?.txt", false},
  };
  for (const Case& c : cases) EXPECT_EQ(util::IsInside(c.path, dest), c.inside) << (&c - cases);
  EXPECT_TRUE(util::IsInsideOrSame(L"C:\\Program files\\Sketrion 7.2", dest + L"\\"));
  EXPECT_FALSE(util::IsInsideOrSame(L"C:\\Program files", dest));
}

}  // namespace
