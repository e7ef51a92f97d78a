// Which paths are plain full paths, and what is named as the fault of the others.
#include "util/paths.h"

#include <gtest/gtest.h>

namespace {

using util::PathFault;

TEST(PlainFullPath, EveryPathGetsItsFirstFaultAndTheNameAtFault) {
  const struct {
    const wchar_t* path;
    PathFault fault;
    const wchar_t* name;  // the name at fault
  } cases[] = {
      {L"C:\\Program files\\Sketrion 7.2", PathFault::kNone, L""},
      {L"c:\\program files\\Справка", PathFault::kNone, L""},
      {L"Z:\\a", PathFault::kNone, L""},
      {L"C:\\", PathFault::kNone, L""},  // a drive's root is a full path
      {L"C:\\COMPORT.txt\\CONSOLE\\nul-x\\LPT10", PathFault::kNone, L""},
      {L"C:\\a.b\\.hidden", PathFault::kNone, L""},
      {L"", PathFault::kNotFull, L""},
      {L"Sketrion", PathFault::kNotFull, L""},
      {L"Common\\Sketrion", PathFault::kNotFull, L""},
      {L"C:Sketrion", PathFault::kNotFull, L""},
      {L"C:", PathFault::kNotFull, L""},
      {L"\\Sketrion", PathFault::kNotFull, L""},
      {L"\\\\server\\share\\Sketrion", PathFault::kNotFull, L""},
      {L"\\\\?\\C:\\Sketrion", PathFault::kNotFull, L""},
      {L"C:/Sketrion", PathFault::kNotFull, L""},
      {L"1:\\Sketrion", PathFault::kNotFull, L""},
      {L"\x0421:\\Sketrion", PathFault::kNotFull, L""},  // a Cyrillic "С"
      {L"C:\\a\\\\b", PathFault::kEmptyName, L""},
      {L"C:\\a\\", PathFault::kEmptyName, L""},
      {L"C:\\\\", PathFault::kEmptyName, L""},
      {L"C:\\a\\b:stream", PathFault::kForbiddenCharacter, L"b:stream"},
      {L"C:\\a/..\\b", PathFault::kForbiddenCharacter, L"a/.."},
      {L"C:\\what?", PathFault::kForbiddenCharacter, L"what?"},
      {L"C:\\a\tb", PathFault::kForbiddenCharacter, L"a\tb"},
      {L"C:\\<a>", PathFault::kForbiddenCharacter, L"<a>"},
      {L"C:\\\"a\"", PathFault::kForbiddenCharacter, L"\"a\""},
      {L"C:\\a|b", PathFault::kForbiddenCharacter, L"a|b"},
      {L"C:\\a*", PathFault::kForbiddenCharacter, L"a*"},
      {L"C:\\CON", PathFault::kDeviceName, L"CON"},
      {L"C:\\x\\nul.txt\\y", PathFault::kDeviceName, L"nul.txt"},
      {L"C:\\Aux \\y", PathFault::kDeviceName, L"Aux "},
      {L"C:\\prn", PathFault::kDeviceName, L"prn"},
      {L"C:\\COM1", PathFault::kDeviceName, L"COM1"},
      {L"C:\\lpt9.log", PathFault::kDeviceName, L"lpt9.log"},
      {L"C:\\com\u00B9", PathFault::kDeviceName, L"com\u00B9"},
      {L"C:\\CONOUT$", PathFault::kDeviceName, L"CONOUT$"},
      {L"C:\\conin$", PathFault::kDeviceName, L"conin$"},
      {L"C:\\CLOCK$", PathFault::kDeviceName, L"CLOCK$"},
      {L"C:\\Sketrion ", PathFault::kEndsInSpaceOrDot, L"Sketrion "},
      {L"C:\\Sketrion.\\x", PathFault::kEndsInSpaceOrDot, L"Sketrion."},
      {L"C:\\a\\..\\b", PathFault::kEndsInSpaceOrDot, L".."},
      {L"C:\\.", PathFault::kEndsInSpaceOrDot, L"."},
      {L"C:\\ ", PathFault::kEndsInSpaceOrDot, L" "},
      // The first fault from the left is the one named.
      {L"C:\\a.\\CON\\b?", PathFault::kEndsInSpaceOrDot, L"a."},
      {L"C:\\CON\\a.", PathFault::kDeviceName, L"CON"},
  };
  for (const auto& c : cases) {
    const util::PathCheck check = util::CheckPlainFullPath(c.path);
    EXPECT_EQ(check.fault, c.fault) << c.path;
    if (c.fault != PathFault::kNotFull) {
      EXPECT_EQ(check.name, c.name) << c.path;
    }
    EXPECT_EQ(util::IsPlainFullPath(c.path), c.fault == PathFault::kNone) << c.path;
  }
}

TEST(PlainFullPath, AForbiddenCharacterIsNamed) {
  for (const wchar_t c :
       {L'<', L'>', L':', L'"', L'/', L'|', L'?', L'*', L'\t', L'\x1F', L'\x01'}) {
    const std::wstring name = std::wstring(L"ab") + c + L"c";
    const util::PathCheck check = util::CheckPlainFullPath(L"D:\\x\\" + name);
    EXPECT_EQ(check.fault, PathFault::kForbiddenCharacter) << static_cast<int>(c);
    EXPECT_EQ(check.character, c);
  }
}

// A destination folder: permitted characters first, then the plain full path, then below the
// root; the one trailing backslash the model stores passes.
TEST(DestinationFolder, TheFirstFaultInTheDestinationPagesOrder) {
  EXPECT_EQ(std::wstring(util::AllowedPathChars).size(), 67u);
  const struct {
    const wchar_t* folder;
    PathFault fault;
    const wchar_t* name;
    wchar_t character;
  } cases[] = {
      {L"C:\\Program files\\Sketrion Software\\Sketrion 7_2\\", PathFault::kNone, L"", 0},
      {L"d:\\CAD", PathFault::kNone, L"", 0},
      {L"C:\\Sketrion 7.2\\CON", PathFault::kForbiddenCharacter, L"", L'.'},
      {L"C:\\\u0421AD\\a:b", PathFault::kForbiddenCharacter, L"", L'\u0421'},
      {L"C:\\Firm:Soft\\", PathFault::kForbiddenCharacter, L"Firm:Soft", L':'},
      {L"CAD\\", PathFault::kNotFull, L"", 0},
      {L"C:\\Firm\\\\", PathFault::kEmptyName, L"", 0},
      {L"C:\\CON\\Sketrion\\", PathFault::kDeviceName, L"CON", 0},
      {L"C:\\Sketrion \\", PathFault::kEndsInSpaceOrDot, L"Sketrion ", 0},
      {L"c:\\", PathFault::kDriveRoot, L"c:\\", 0},
      {L"C:\\\\", PathFault::kDriveRoot, L"C:\\", 0},
  };
  for (const auto& c : cases) {
    const util::PathCheck check = util::CheckDestinationFolder(c.folder);
    EXPECT_EQ(check.fault, c.fault) << c.folder;
    EXPECT_EQ(check.name, c.name) << c.folder;
    EXPECT_EQ(check.character, c.character) << c.folder;
  }
}

}  // namespace
