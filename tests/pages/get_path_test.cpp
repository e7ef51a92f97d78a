#include "pages/get_path.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <set>
#include <string>

#include "page_fixture.h"
#include "pages/dlg_path.h"
#include "platform/fake/fake_drives.h"
#include "util/strings.h"
#include "util/text.h"

namespace pages::testing {
namespace {

class GetPathPageTest : public PageTest {
 protected:
  GetPathPageTest() : page(model, drives) {
    drives.drives[L'C'].type = platform::dtFixed;
    drives.drives[L'D'].type = platform::dtFixed;
    drives.drives[L'E'].type = platform::dtRemovable;
    drives.drives[L'F'].type = platform::dtCdRom;
    drives.drives[L'G'].type = platform::dtRemote;
    drives.drives[L'R'].type = platform::dtRamDisk;
    page.AttachHost(&host);
    model.FDestDir = L"C:\\Program files\\Firm\\Sketrion 2_1\\";
    page.FormCreate(model.FNameApplication);
    page.FormShow();
  }

  // What the view does when the user edits the field.
  void Type(const std::wstring& text) {
    page.edPath.text = text;
    page.edPathChange();
  }

  // Next and the reason line agree: a reason shows exactly while next is off, in one line.
  void ExpectConsistent(const std::wstring& what) {
    EXPECT_EQ(page.btNext.enabled, page.lbPathError.text.empty()) << what;
    EXPECT_EQ(page.lbPathError.visible, !page.btNext.enabled) << what;
    EXPECT_EQ(page.lbPathError.text.find_first_of(L"\r\n"), std::wstring::npos) << what;
  }

  platform::FakeDrives drives;
  TfmGetPath page;
};

TEST_F(GetPathPageTest, ShowsTheModelsFolderUnderItsCaption) {
  EXPECT_EQ(page.Caption(), L"Размещение Sketrion");
  EXPECT_EQ(page.edPath.text, L"C:\\Program files\\Firm\\Sketrion 2_1\\");
  EXPECT_TRUE(page.btNext.enabled);
  EXPECT_FALSE(page.lbPathError.visible);
  EXPECT_TRUE(page.btPrior.enabled);
  EXPECT_TRUE(page.Button1.enabled);
}

// Every kind of folder the installation cannot use keeps next off and says why; the reasons of
// two kinds never read alike, and a reason names the character, name or drive at fault.
TEST_F(GetPathPageTest, EachRefusedFolderSaysWhyAndKeepsNextOff) {
  const struct {
    const wchar_t* folder;
    const char* kind;      // nullptr: accepted
    const wchar_t* named;  // what the reason names, when it names something
  } cases[] = {
      {L"C:\\Program Files\\Sketrion", nullptr, nullptr},
      {L"c:\\program files\\sketrion", nullptr, nullptr},
      {L"D:\\My_CAD-2\\", nullptr, nullptr},
      {L"e:\\Sketrion", nullptr, nullptr},  // a removable disk
      {L"C:\\qwertyuiopasdfghjklzxcvbnm_-0123456789 QWERTYUIOPASDFGHJKLZXCVBNM\\x", nullptr,
       nullptr},
      {L"Common\\Sketrion", "not full", nullptr},
      {L"Sketrion", "not full", nullptr},
      {L"", "not full", nullptr},
      {L"C:Sketrion", "not full", nullptr},
      {L"\\Sketrion", "not full", nullptr},
      {L"\\\\server\\share\\cad", "not full", nullptr},
      {L"C:\\", "root", L"C:"},
      {L"d:\\", "root", L"D:"},
      {L"C:\\\\", "root", L"C:"},
      {L"F:\\Sketrion", "drive type", L"F:"},  // a CD drive
      {L"G:\\Sketrion", "drive type", L"G:"},  // a network drive
      {L"R:\\Sketrion", "drive type", L"R:"},  // a RAM disk
      {L"Q:\\Sketrion", "no drive", L"Q:"},
      {L"C:\\CON\\Sketrion", "device", L"CON"},
      {L"C:\\Firm\\com1", "device", L"com1"},
      {L"C:\\Sketrion \\Bin", "trailing", L"Sketrion "},
      {L"C:\\Firm\\ ", "trailing", nullptr},
      {L"C:\\Firm\\\\Sketrion", "empty name", nullptr},
      {L"C:\\Firm\\Sketrion\\\\", "empty name", nullptr},
      {L"C:\\Firm:Sketrion", "character", L":"},
      {L"C:\\Sketrion 2.1", "character", L"."},
      {L"C:\\Program Files (x86)\\Sketrion", "character", L"("},
      {L"C:\\Программы", "character", L"П"},
      {L"C:/Sketrion", "character", L"/"},
      {L"C:\\Sketrion!", "character", L"!"},
      {L"C:\\Ёлка", "character", L"Ё"},
      {L"C:\\Sk\x00e9trion", "character", L"\x00e9"},
      {L"C:\\Sketrion\t", "character", nullptr},
      {L"Мой компьютер", "character", L"М"},
      {L"C:\\Firm\\notes", "file", L"C:\\Firm\\notes"},
      {L"C:\\Firm\\notes\\Sketrion", "file", L"C:\\Firm\\notes"},
      {L"C:\\Firm\\note", nullptr, nullptr},
  };
  files.PutFile(L"C:\\Firm\\notes", "a file, not a folder");
  std::map<std::wstring, std::string> kindOfReason;
  for (const auto& c : cases) {
    Type(c.folder);
    ExpectConsistent(c.folder);
    EXPECT_EQ(page.btNext.enabled, c.kind == nullptr) << c.folder;
    if (!c.kind) continue;
    const std::wstring& reason = page.lbPathError.text;
    if (c.named) {
      EXPECT_NE(reason.find(c.named), std::wstring::npos) << c.folder << ": " << reason;
    }
    // Texts with a name in them differ by that name; what stays is told apart by the kind.
    std::wstring general = reason;
    const size_t named = c.named ? general.find(c.named) : std::wstring::npos;
    if (named != std::wstring::npos) general.replace(named, wcslen(c.named), L"*");
    auto [at, added] = kindOfReason.emplace(general, c.kind);
    EXPECT_EQ(at->second, c.kind) << c.folder << ": the reason reads as for " << at->second;
  }
  std::set<std::string> kinds;
  for (const auto& reason : kindOfReason) kinds.insert(reason.second);
  EXPECT_EQ(kinds.size(), 9u);
  EXPECT_TRUE(page.btPrior.enabled);
  EXPECT_TRUE(page.btCancel.enabled);
  EXPECT_TRUE(boxes.Asked().empty());

  Type(L"C:\\Sketrion");  // mending the text enables next and hides the reason
  ExpectConsistent(L"mended");
  EXPECT_TRUE(page.btNext.enabled);
}

// Windows starts no program from a path past its classic limit: the folder leaves room for the
// longest name the installation starts below it (the uninstaller, each shortcut's target).
TEST_F(GetPathPageTest, AFolderLeavesRoomForTheLongestProgramItsInstallationStarts) {
  // A folder of `length` characters in names of 50.
  auto folderOf = [](size_t length) {
    std::wstring folder = L"C:\\";
    while (folder.size() < length) folder += folder.size() % 51 == 2 ? L'\\' : L'a';
    return folder;
  };
  // The longest folder accepted, with its trailing backslash.
  auto longestAccepted = [&] {
    size_t longest = 0;
    for (size_t length = 150; length < 300; ++length) {
      Type(folderOf(length));
      ExpectConsistent(page.edPath.text);
      if (page.btNext.enabled) longest = std::max(longest, util::AddBackslash(page.edPath.text).size());
    }
    return longest;
  };
  // The entry starts "<folder>\UnInstall.exe"; Windows starts nothing past 259 characters.
  EXPECT_EQ(longestAccepted() + std::wcslen(L"UnInstall.exe"), 259u);
  const std::wstring target = L"BIN\\Sketrion Schematic Editor.exe";
  files.PutFile(model.FSetupDir + L"Setup.ini",
                "[Link1]\r\nFileName=BIN\\Sketrion Schematic Editor.exe\r\nFileLink=S.lnk\r\n");
  model.ReadSetupIni();
  EXPECT_EQ(longestAccepted() + target.size(), 259u);
}

// An existing folder that ordinary users may change is accepted with a warning: any of them could
// replace what an administrator later runs from there.
TEST_F(GetPathPageTest, AFolderOthersMayChangeIsAcceptedWithAWarning) {
  files.MakeDirectory(L"C:\\Shared\\Guarded");
  system.changeableByOthers.insert(L"C:\\Shared");
  Type(L"C:\\Shared\\");
  EXPECT_TRUE(page.btNext.enabled);
  EXPECT_TRUE(page.lbPathError.visible);
  EXPECT_FALSE(page.lbPathError.text.empty());
  EXPECT_NE(page.lbPathError.color, kRed);
  // A refusal there is red and turns next off.
  Type(L"C:\\Shared\\a*b");
  EXPECT_FALSE(page.btNext.enabled);
  EXPECT_EQ(page.lbPathError.color, kRed);
  // A folder others may not change, or one the installation will make, shows nothing.
  for (const wchar_t* folder : {L"C:\\Shared\\Guarded", L"C:\\Shared\\New"}) {
    Type(folder);
    EXPECT_TRUE(page.btNext.enabled) << util::ToUtf8(folder);
    EXPECT_FALSE(page.lbPathError.visible) << util::ToUtf8(folder);
  }
}

TEST_F(GetPathPageTest, APermittedCharacterPassesAndAnyOtherIsNamed) {
  for (wchar_t c = 1; c < 0x500; ++c) {
    const bool permitted = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                           (c >= L'0' && c <= L'9') || c == L'_' || c == L'\\' || c == L':' ||
                           c == L'-' || c == L' ';
    Type(std::wstring(L"C:\\Sketrion\\a") + c + L"b");
    ExpectConsistent(std::to_wstring(c));
    // The colon is permitted after the drive letter only.
    ASSERT_EQ(page.btNext.enabled, permitted && c != L':') << static_cast<int>(c);
    // The reason names the character itself, or its code where it has no shape.
    const std::wstring& reason = page.lbPathError.text;
    if (!permitted) {
      EXPECT_TRUE(reason.find(c) != std::wstring::npos ||
                  reason.find(std::to_wstring(static_cast<int>(c))) != std::wstring::npos)
          << static_cast<int>(c);
    }
  }
}

TEST_F(GetPathPageTest, ALongNameAtFaultIsShortenedButKeepsItsEnd) {
  const std::wstring name = std::wstring(200, L'x') + L"tail ";
  Type(L"C:\\" + name);
  EXPECT_FALSE(page.btNext.enabled);
  EXPECT_LT(page.lbPathError.text.size(), 100u);
  EXPECT_NE(page.lbPathError.text.find(L"xtail \""), std::wstring::npos) << page.lbPathError.text;
}

TEST_F(GetPathPageTest, NextStoresTheFolderWithOneTrailingBackslash) {
  Type(L"C:\\Program Files\\Sketrion");
  ASSERT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model.FDestDir, L"C:\\Program Files\\Sketrion\\");

  page.FormShow();
  Type(L"D:\\CAD\\");
  ASSERT_TRUE(page.FormClose(mrNext));
  EXPECT_EQ(model.FDestDir, L"D:\\CAD\\");
}

TEST_F(GetPathPageTest, BackStoresTheFolderAndTheNextVisitShowsIt) {
  Type(L"E:\\Sketrion");
  ASSERT_TRUE(page.FormClose(mrBack));
  EXPECT_EQ(model.FDestDir, L"E:\\Sketrion\\");
  Type(L"something else");
  page.FormShow();
  EXPECT_EQ(page.edPath.text, L"E:\\Sketrion\\");
}

TEST_F(GetPathPageTest, ComingBackWithARefusedFolderShowsNextOffAndWhy) {
  for (const wchar_t* folder : {L"C:\\Program files\\Фирма\\", L"Sketrion\\"}) {
    model.FDestDir = folder;
    page.FormShow();
    ExpectConsistent(folder);
    EXPECT_FALSE(page.btNext.enabled) << folder;
  }
}

TEST_F(GetPathPageTest, CancelStoresNothing) {
  Type(L"F:\\Other");
  boxes.Answer(platform::MsgAnswer::No);
  EXPECT_FALSE(page.FormClose(mrCancel));
  EXPECT_EQ(page.edPath.text, L"F:\\Other");
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Прекратить установку программы?");

  boxes.Answer(platform::MsgAnswer::Yes);
  EXPECT_TRUE(page.FormClose(mrCancel));
  EXPECT_EQ(model.FDestDir, L"C:\\Program files\\Firm\\Sketrion 2_1\\");
}

TEST_F(GetPathPageTest, BrowseOpensTheChooserAtTheFieldAndTakesOnlyAConfirmedChoice) {
  const struct {
    bool confirmed;
    const wchar_t* chosen;
    const wchar_t* field;
    bool nextEnabled;
  } cases[] = {
      {true, L"C:\\Program Files\\", L"C:\\Program Files\\", true},
      {false, L"C:\\Ignored\\", L"D:\\typed", true},  // "Отмена" leaves the field as it was
      {true, L"D:\\", L"D:\\", false},                // a drive picked: its root
      {true, L"C:\\Sketrion 2.1\\", L"C:\\Sketrion 2.1\\", false},
  };
  for (const auto& c : cases) {
    Type(L"D:\\typed");
    std::wstring opened;
    page.ChooseFolder = [&](const std::wstring& start, std::wstring* chosen) {
      opened = start;
      *chosen = c.chosen;
      return c.confirmed;
    };
    page.Button1Click();
    EXPECT_EQ(opened, L"D:\\typed");
    EXPECT_EQ(page.edPath.text, c.field);
    EXPECT_EQ(page.btNext.enabled, c.nextEnabled) << c.chosen;
    ExpectConsistent(c.chosen);
  }
  Type(L"D:\\typed");
  page.ChooseFolder = nullptr;  // no chooser: nothing happens
  page.Button1Click();
  EXPECT_EQ(page.edPath.text, L"D:\\typed");
}

// The chooser's field follows the folders selected in its tree; the desktop and the computer,
// which are no folders, leave it as it was.
TEST(DlgPathTest, OnlyFoldersAndDrivesFillTheField) {
  TfmDlgPath chooser;
  const struct {
    const wchar_t* directory;
    bool isFolder;
    const wchar_t* field;
  } selections[] = {
      {L"C:\\Program Files\\", true, L"C:\\Program Files\\"},
      {L"Рабочий стол", false, L"C:\\Program Files\\"},
      {L"D:\\", true, L"D:\\"},
      {L"Мой компьютер", false, L"D:\\"},
  };
  for (const auto& s : selections) {
    chooser.kpftvPathChange(s.directory, s.isFolder);
    EXPECT_EQ(chooser.edPath.text, s.field) << s.directory;
  }
}

}  // namespace
}  // namespace pages::testing
