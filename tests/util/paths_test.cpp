// The parts of a path, its long form, which paths are plain, and what is named as the fault of
// the others.
#include "util/paths.h"

#include <gtest/gtest.h>

namespace {

using util::PathFault;

TEST(PathParts, RootDriveFolderNameAndTrailingBackslash) {
  const struct {
    const wchar_t* path;
    const wchar_t* root;  // the first RootLength characters
    const wchar_t* drive;
    const wchar_t* folder;
    const wchar_t* name;
    const wchar_t* withoutBackslash;
  } cases[] = {
      {L"D:\\CD\\Setup.exe", L"D:\\", L"D:", L"D:\\CD\\", L"Setup.exe", L"D:\\CD\\Setup.exe"},
      {L"C:\\WINDOWS\\", L"C:\\", L"C:", L"C:\\WINDOWS\\", L"", L"C:\\WINDOWS"},
      {L"C:\\a\\\\", L"C:\\", L"C:", L"C:\\a\\\\", L"", L"C:\\a"},
      {L"C:\\UnInstall.exe", L"C:\\", L"C:", L"C:\\", L"UnInstall.exe", L"C:\\UnInstall.exe"},
      {L"C:\\", L"C:\\", L"C:", L"C:\\", L"", L"C:\\"},  // "C:" would be the current folder
      {L"C:\\\\", L"C:\\", L"C:", L"C:\\\\", L"", L"C:\\"},
      {L"C:Setup.ini", L"C:", L"C:", L"C:", L"Setup.ini", L"C:Setup.ini"},
      {L"\\\\srv\\share\\dir\\", L"\\\\srv\\share\\", L"\\\\srv\\share", L"\\\\srv\\share\\dir\\",
       L"", L"\\\\srv\\share\\dir"},
      {L"\\\\srv\\share\\", L"\\\\srv\\share\\", L"\\\\srv\\share", L"\\\\srv\\share\\", L"",
       L"\\\\srv\\share"},
      {L"\\\\srv", L"\\\\srv", L"\\\\srv", L"\\\\", L"srv", L"\\\\srv"},
      {L"\\dir\\a.ttf", L"\\", L"", L"\\dir\\", L"a.ttf", L"\\dir\\a.ttf"},
      {L"\\", L"\\", L"", L"\\", L"", L"\\"},
      {L"Fonts\\a.ttf", L"", L"", L"Fonts\\", L"a.ttf", L"Fonts\\a.ttf"},
      {L"Fonts/a.ttf", L"", L"", L"Fonts/", L"a.ttf", L"Fonts/a.ttf"},
      {L"BIN\\", L"", L"", L"BIN\\", L"", L"BIN"},
      {L"a.ttf", L"", L"", L"", L"a.ttf", L"a.ttf"},
      {L"", L"", L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    const std::wstring path = c.path;
    EXPECT_EQ(path.substr(0, util::RootLength(path)), c.root) << path;
    EXPECT_EQ(util::DriveOf(path), c.drive) << path;
    EXPECT_EQ(util::FolderOf(path), c.folder) << path;
    EXPECT_EQ(util::NameOf(path), c.name) << path;
    EXPECT_EQ(util::WithoutTrailingBackslash(path), c.withoutBackslash) << path;
  }
}

TEST(PathParts, TheLongFormOfDrivesSharesAndPathsAlreadyLong) {
  const struct {
    const wchar_t* path;
    const wchar_t* longForm;
  } cases[] = {
      {L"C:\\Program files\\a.txt", L"\\\\?\\C:\\Program files\\a.txt"},
      {L"\\\\srv\\share\\a.txt", L"\\\\?\\UNC\\srv\\share\\a.txt"},
      {L"\\\\?\\C:\\a.txt", L"\\\\?\\C:\\a.txt"},
      {L"\\\\?\\UNC\\srv\\share", L"\\\\?\\UNC\\srv\\share"},
      {L"\\\\.\\COM1", L"\\\\.\\COM1"},
  };
  for (const auto& c : cases) EXPECT_EQ(util::LongForm(c.path), c.longForm) << c.path;
}

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

TEST(PlainName, AForbiddenCharacterIsNamedAloneAndInAPath) {
  for (const wchar_t c :
       {L'<', L'>', L':', L'"', L'/', L'\\', L'|', L'?', L'*', L'\t', L'\x1F', L'\x01'}) {
    const std::wstring name = std::wstring(L"ab") + c + L"c";
    const util::PathCheck check = util::CheckName(name);
    EXPECT_EQ(check.fault, PathFault::kForbiddenCharacter) << static_cast<int>(c);
    EXPECT_EQ(check.character, c);
    if (c == L'\\') continue;  // in a path it separates two names
    const util::PathCheck inPath = util::CheckPlainFullPath(L"D:\\x\\" + name);
    EXPECT_EQ(inPath.fault, PathFault::kForbiddenCharacter) << static_cast<int>(c);
    EXPECT_EQ(inPath.character, c);
  }
}

// A path below a folder of the caller's, such as a shortcut's below the start menu's.
TEST(PlainRelativePath, NamesBetweenSingleBackslashes) {
  const struct {
    const wchar_t* path;
    PathFault fault;
  } cases[] = {
      {L"Sketrion 7.2\\Редактор схем.lnk", PathFault::kNone},
      {L"Sketrion 7.2.lnk", PathFault::kNone},
      {L"", PathFault::kEmptyName},
      {L"\\Sketrion.lnk", PathFault::kEmptyName},
      {L"Sketrion\\", PathFault::kEmptyName},
      {L"Sketrion\\\\a.lnk", PathFault::kEmptyName},
      {L"..\\..\\Windows\\a.lnk", PathFault::kEndsInSpaceOrDot},
      {L"Sketrion.\\a.lnk", PathFault::kEndsInSpaceOrDot},
      {L"C:\\a.lnk", PathFault::kForbiddenCharacter},
      {L"a/../b.lnk", PathFault::kForbiddenCharacter},
      {L"Sketrion\\clock$.lnk", PathFault::kDeviceName},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(util::CheckPlainRelativePath(c.path).fault, c.fault) << c.path;
    EXPECT_EQ(util::IsPlainRelativePath(c.path), c.fault == PathFault::kNone) << c.path;
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
