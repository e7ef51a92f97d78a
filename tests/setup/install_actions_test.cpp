// The installation actions over the in-memory platform: shortcuts and the uninstall record, the
// uninstall entry, the font.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "formats/install_log.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/faulty_file_system.h"
#include "platform/fake/scripted_message_boxes.h"
#include "setup/setup.h"
#include "setup/setup_error.h"
#include "tests/setup/test_fonts.h"
#include "util/codepage.h"
#include "util/text.h"

namespace {

using platform::RegRoot;
using platform::RegStatus;

const std::wstring kDest = L"C:\\Program files\\Sketrion\\Sketrion 7_2\\";
const std::wstring kPrograms = L"C:\\Users\\user\\Start Menu\\Programs";
const std::wstring kDesktop = L"C:\\Users\\user\\Desktop";
const std::wstring kRecord = kDest + L"UnInstall.ini";

class InstallActionsTest : public testing::Test {
 protected:
  InstallActionsTest() {
    system.modulePath = L"E:\\MEDIA\\Setup.exe";
    shell.programs = kPrograms;
    shell.desktop = kDesktop;
    files.MakeDirectory(L"C:\\Users\\user\\Start Menu\\Programs");
    files.MakeDirectory(kDesktop);
    files.MakeDirectory(L"C:\\Program files\\Sketrion\\Sketrion 7_2");
    files.MakeDirectory(L"C:\\WINDOWS\\Fonts");
    model = MakeModel(files);
  }

  std::unique_ptr<setup::TSetup> MakeModel(platform::FileSystem& over) {
    setup::SetupPlatform p{&over, &system, &registry, &boxes, nullptr, &shell};
    auto made = std::make_unique<setup::TSetup>(p);
    made->FDestDir = kDest;
    made->FNameApplication = L"Sketrion 7.2";
    made->FCaption = L"Установка Sketrion 7.2";
    made->SetApplicationWindow(&applicationWindow);
    return made;
  }

  void PutSetupIni(const std::wstring& text) { files.PutFile(L"E:\\MEDIA\\Setup.ini", util::ToCp1251(text)); }
  std::wstring Record() const {
    const std::string* bytes = files.FileBytes(kRecord);
    return bytes ? util::FromCp1251(*bytes) : L"<no record>";
  }
  std::wstring EntryValue(RegRoot root, const std::wstring& name) {
    platform::RegValue value;
    if (registry.ReadValue(root, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sketrion 7.2",
                           name, &value) != RegStatus::Ok)
      return L"<none>";
    return platform::ValueText(value);
  }
  // A DWORD of the entry; -1 when missing or of another type.
  int64_t EntryNumber(const std::wstring& name) {
    platform::RegValue value;
    if (registry.ReadValue(RegRoot::LocalMachine,
                           L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sketrion 7.2",
                           name, &value) != RegStatus::Ok ||
        value.type != platform::RegType::Dword || value.data.size() != 4)
      return -1;
    return value.data[0] | value.data[1] << 8 | value.data[2] << 16 | int64_t{value.data[3]} << 24;
  }

  int applicationWindow = 0;
  platform::FakeFileSystem files;
  platform::FakeSystem system;
  platform::FakeRegistry registry;
  platform::FakeShell shell{files};
  platform::ScriptedMessageBoxes boxes;
  std::unique_ptr<setup::TSetup> model;
};

TEST_F(InstallActionsTest, LinkSectionsAreReadInOrderUpToTheFirstGap) {
  PutSetupIni(
      L"[Link1]\r\nFileLink=Sketrion 7.2\\Редактор схем.lnk\r\nDirLink=PROGRAMS\r\nFilename=BIN\\Sketrion.exe\r\n"
      L"WorkDir=BIN\r\nFileIcon=BIN\\Sketrion.ico\r\n"
      L"[Link2]\r\nFileLink=Sketrion 7.2.lnk\r\nDirLink=DESKTOP\r\nFilename=BIN\\Sketrion.exe\r\n"
      L"[Link4]\r\nFileLink=Never.lnk\r\n");
  model->CreateLinks();

  const std::wstring first = kPrograms + L"\\Sketrion 7.2\\Редактор схем.lnk";
  const std::wstring second = kDesktop + L"\\Sketrion 7.2.lnk";
  ASSERT_EQ(shell.SavedCount(), 2u);
  ASSERT_NE(shell.SavedLink(first), nullptr);
  EXPECT_EQ(shell.SavedLink(first)->path, kDest + L"BIN\\Sketrion.exe");
  EXPECT_EQ(shell.SavedLink(first)->workingDirectory, kDest + L"BIN");
  EXPECT_EQ(shell.SavedLink(first)->iconPath, kDest + L"BIN\\Sketrion.ico");
  EXPECT_EQ(shell.SavedLink(first)->iconIndex, 0);
  ASSERT_NE(shell.SavedLink(second), nullptr);
  EXPECT_EQ(shell.SavedLink(second)->workingDirectory, kDest);
  EXPECT_EQ(shell.SavedLink(second)->iconPath, L"");
  EXPECT_EQ(files.Kind(kPrograms + L"\\Sketrion 7.2"), platform::PathKind::Directory);
  EXPECT_EQ(Record(), L"[GENERAL]\r\nNameApplication=Sketrion 7.2\r\nLink1=" + first + L"\r\nLink2=" +
                          second + L"\r\n");
  EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(InstallActionsTest, TheLogNamesEachShortcutAndTheShortcutFoldersMadeForIt) {
  files.MakeDirectory(kPrograms + L"\\Old");
  PutSetupIni(L"[Link1]\nFileLink=Sketrion 7.2\\Tools\\A.lnk\n[Link2]\nFileLink=Old\\B.lnk\n");
  model->CreateLinks();
  std::vector<formats::LogItem> items;
  ASSERT_NE(files.FileBytes(kDest + L"UnInstall.log"), nullptr);
  ASSERT_TRUE(formats::ParseInstallLog(*files.FileBytes(kDest + L"UnInstall.log"), &items));
  std::vector<std::wstring> lines;
  for (const formats::LogItem& item : items) {
    lines.push_back((item.kind == formats::LogItemKind::Shortcut ? L"L " : L"S ") + item.path);
    if (item.kind != formats::LogItemKind::Shortcut) continue;
    // Each shortcut with the size and CRC of the file saved, so the uninstaller knows a change.
    uint64_t size = 0;
    uint32_t crc = 0;
    ASSERT_TRUE(formats::FileCrc32(files, item.path, &size, &crc));
    EXPECT_EQ(item.size, size);
    EXPECT_EQ(item.crc, crc);
  }
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"S " + kPrograms + L"\\Sketrion 7.2",
                                              L"S " + kPrograms + L"\\Sketrion 7.2\\Tools",
                                              L"L " + kPrograms + L"\\Sketrion 7.2\\Tools\\A.lnk",
                                              L"L " + kPrograms + L"\\Old\\B.lnk"}));
}

TEST_F(InstallActionsTest, ASectionWithoutKeysEndsTheReadingLikeAMissingOne) {
  PutSetupIni(L"[Link1]\nFileLink=A.lnk\n[Link2]\n; only a comment\n[Link3]\nFileLink=C.lnk\n");
  model->CreateLinks();
  EXPECT_EQ(shell.SavedCount(), 1u);
  EXPECT_EQ(Record(), L"[GENERAL]\r\nNameApplication=Sketrion 7.2\r\nLink1=" + kPrograms + L"\\A.lnk\r\n");
}

TEST_F(InstallActionsTest, TheShellFolderAndTheDefaultsOfEachKey) {
  struct Case {
    const wchar_t* section;  // the keys of [Link1]
    std::wstring file;       // where the shortcut lands
    std::wstring target;
  };
  const Case cases[] = {
      {L"FileLink=a.lnk\nDirLink=programs\nFilename=x.exe", kPrograms + L"\\a.lnk", kDest + L"x.exe"},
      {L"FileLink=a.lnk\nDirLink=DESKTOP\nFilename=x.exe", kDesktop + L"\\a.lnk", kDest + L"x.exe"},
      {L"FileLink=a.lnk\nDirLink=\nFilename=x.exe", kDesktop + L"\\a.lnk", kDest + L"x.exe"},
      {L"FileLink=a.lnk\nDirLink=Start\nFilename=x.exe", kDesktop + L"\\a.lnk", kDest + L"x.exe"},
      {L"FileLink=a.lnk", kPrograms + L"\\a.lnk", kDest + L"NoName.lnk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    files.Remove(kRecord);
    PutSetupIni(std::wstring(L"[Link1]\n") + c.section + L"\n");
    model->CreateLinks();
    const platform::ShellLinkData* link = shell.SavedLink(c.file);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->path, c.target);
    EXPECT_EQ(link->workingDirectory, kDest);
    EXPECT_NE(Record().find(L"Link1=" + c.file + L"\r\n"), std::wstring::npos);
    files.Remove(c.file);
  }
}

TEST_F(InstallActionsTest, AShortcutNotSavedGetsNoRecordKey) {
  // 1: no file name; 2: leads out of the shell folder; 3: made; 4: its shell folder is unknown;
  // 5, 6: names the uninstaller would not remove (Windows trims the dot; a device).
  PutSetupIni(
      L"[Link1]\nDirLink=PROGRAMS\n[Link2]\nFileLink=..\\..\\Windows\\evil.lnk\n"
      L"[Link3]\nFileLink=ok.lnk\n[Link4]\nFileLink=b.lnk\nDirLink=DESKTOP\n"
      L"[Link5]\nFileLink=Sketrion.\\c.lnk\n[Link6]\nFileLink=Sketrion\\aux.lnk\n");
  shell.desktop.clear();
  model->CreateLinks();
  EXPECT_EQ(shell.SavedCount(), 1u);
  EXPECT_EQ(Record(), L"[GENERAL]\r\nNameApplication=Sketrion 7.2\r\nLink3=" + kPrograms + L"\\ok.lnk\r\n");
  EXPECT_EQ(files.Kind(L"C:\\Users\\Windows\\evil.lnk"), platform::PathKind::Missing);
  EXPECT_EQ(files.Kind(kPrograms + L"\\Sketrion."), platform::PathKind::Missing);
  EXPECT_TRUE(boxes.Asked().empty());

  shell.refuseSave = true;
  files.Remove(kRecord);
  model->CreateLinks();
  EXPECT_EQ(Record(), L"[GENERAL]\r\nNameApplication=Sketrion 7.2\r\n");
}

TEST_F(InstallActionsTest, NoSetupIniGivesARecordWithTheNameOnlyAndAnExistingRecordIsUpdated) {
  files.PutFile(kRecord, "[General]\r\nLink1=old\r\nLink9=kept\r\n[Other]\r\nx=1\r\n");
  model->CreateLinks();
  EXPECT_EQ(Record(), L"[General]\r\nLink1=old\r\nLink9=kept\r\nNameApplication=Sketrion 7.2\r\n[Other]\r\nx=1\r\n");
  PutSetupIni(L"[LINK1]\nfilelink=N.lnk\n");
  model->CreateLinks();
  EXPECT_EQ(Record(), L"[General]\r\nLink1=" + kPrograms + L"\\N.lnk\r\nLink9=kept\r\n"
                      L"NameApplication=Sketrion 7.2\r\n[Other]\r\nx=1\r\n");
}

TEST_F(InstallActionsTest, TheFirstErrorEndsTheWorkAndIsShownOnce) {
  PutSetupIni(L"[Link1]\nFileLink=a.lnk\n[Link2]\nFileLink=b.lnk\n");
  // No link object: the name is written, no shortcut is made, one box.
  shell.refuseLinkObject = true;
  model->CreateLinks();
  EXPECT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(Record(), L"[GENERAL]\r\nNameApplication=Sketrion 7.2\r\n");

  // The record cannot be written (a folder stands in its place): nothing else is tried.
  boxes.Clear();
  shell.refuseLinkObject = false;
  files.Remove(kRecord);
  files.MakeDirectory(kRecord);
  model->CreateLinks();
  ASSERT_EQ(boxes.Asked().size(), 1u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Unable to write to " + kRecord);
  EXPECT_EQ(boxes.Asked()[0].caption, L"Установка Sketrion 7.2");
  EXPECT_EQ(boxes.Asked()[0].owner, &applicationWindow);
  EXPECT_EQ(shell.SavedCount(), 0u);
}

// A link an ordinary user put in the destination, the destination itself or a file's own place:
// the record, GraphEditor.ini and the log are never written through it, and a refused record or
// log is shown as any other failure to write it.
TEST_F(InstallActionsTest, TheRecordGraphEditorIniAndLogAreNeverWrittenThroughALink) {
  const std::wstring dest = kDest.substr(0, kDest.size() - 1), outside = L"C:\\Outside";
  for (const std::wstring name : {L"", L"UnInstall.ini", L"GraphEditor.ini", L"UnInstall.log"}) {
    SCOPED_TRACE(util::ToUtf8(name));
    platform::FakeFileSystem caseFiles;
    const std::wstring place = name.empty() ? dest : kDest + name;
    caseFiles.MakeDirectory(place.substr(0, place.rfind(L'\\')));
    if (name.empty()) {
      caseFiles.MakeDirectory(outside);
      caseFiles.PutLink(place, outside);
    } else {
      caseFiles.PutFile(outside + L"\\" + name, "outside");
      caseFiles.PutLink(place, outside + L"\\" + name);
    }
    auto outsideFiles = [&] {
      std::set<std::wstring> found;
      for (const std::wstring& path : caseFiles.FilePaths())
        if (util::FoldCase(path).rfind(util::FoldCase(outside), 0) == 0) found.insert(path);
      return found;
    };
    const std::set<std::wstring> before = outsideFiles();
    boxes.Clear();
    std::unique_ptr<setup::TSetup> caseModel = MakeModel(caseFiles);
    caseModel->CreateLinks();
    const bool graphWritten = caseModel->WriteDestIniString(L"GraphEditor.ini", L"GENERAL", L"Editor", L"x");

    EXPECT_EQ(outsideFiles(), before) << "nothing lands outside";
    if (!name.empty()) EXPECT_EQ(*caseFiles.FileBytes(outside + L"\\" + name), "outside");
    EXPECT_EQ(caseFiles.Kind(place), platform::PathKind::Other);
    const bool all = name.empty();
    EXPECT_EQ(graphWritten, !all && name != L"GraphEditor.ini");
    const std::wstring refused = all || name == L"UnInstall.ini" ? L"UnInstall.ini" : name == L"UnInstall.log" ? name : L"";
    ASSERT_EQ(boxes.Asked().size(), refused.empty() ? 0u : 1u);
    if (!refused.empty()) EXPECT_EQ(boxes.Asked()[0].text, L"Unable to write to " + kDest + refused);
  }
}

TEST_F(InstallActionsTest, TheUninstallEntryQuotesItsCommandInThe32BitView) {
  model->RegisterUninstall();
  EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"DisplayName"), L"Sketrion 7.2 (только удаление)");
  EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"UninstallString"),
            L"\"C:\\Program files\\Sketrion\\Sketrion 7_2\\UnInstall.exe\" /UNINSTALL");
  EXPECT_EQ(EntryValue(RegRoot::LocalMachineNative, L"DisplayName"), L"<none>");
  // Again: both values are overwritten.
  model->FDestDir = L"D:\\S\\";
  model->RegisterUninstall();
  EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"UninstallString"), L"\"D:\\S\\UnInstall.exe\" /UNINSTALL");
}

TEST_F(InstallActionsTest, TheEntryTellsVersionPublisherPlaceIconAndDate) {
  const std::wstring kLink = L"[Link1]\r\nFileLink=S.lnk\r\nFilename=BIN\\SK.EXE\r\n";
  const struct {
    std::wstring general;  // the lines of [GENERAL] besides NameApplication
    std::wstring links;
    std::wstring version, publisher, icon;
  } cases[] = {
      {L"NameCompany=Sketrion\r\n", kLink + L"FileIcon=BIN\\SK.ICO\r\n", L"<none>", L"Sketrion",
       kDest + L"BIN\\SK.ICO"},
      {L"Version=7.2.1.40\r\nNameCompany=Sketrion\\Schemes\r\n", kLink, L"7.2.1.40",
       L"Sketrion Schemes", kDest + L"UnInstall.exe"},
      {L"Version = 7 \r\nNameCompany=Sketrion\\\\CAD\\Schemes\r\n", L"", L"7",
       L"Sketrion CAD Schemes", kDest + L"UnInstall.exe"},
      {L"Version=0.0.0\r\n", kLink + L"[Link2]\r\nFilename=A.EXE\r\nFileIcon=A.ICO\r\n", L"0.0.0",
       L"NameCompany", kDest + L"UnInstall.exe"},
      {L"Version=7.2a\r\n", L"", L"<none>", L"NameCompany", kDest + L"UnInstall.exe"},
      {L"Version=1.2.3.4.5\r\n", L"", L"<none>", L"NameCompany", kDest + L"UnInstall.exe"},
      {L"Version=7..2\r\n", L"", L"<none>", L"NameCompany", kDest + L"UnInstall.exe"},
      {L"Version=7.\r\n", L"", L"<none>", L"NameCompany", kDest + L"UnInstall.exe"},
      {L"Version=.7\r\n", L"", L"<none>", L"NameCompany", kDest + L"UnInstall.exe"},
      {L"Version=v7\r\n", L"", L"<none>", L"NameCompany", kDest + L"UnInstall.exe"},
      {L"Version=7 2\r\n", L"", L"<none>", L"NameCompany", kDest + L"UnInstall.exe"},
      {L"Version=1234567890\r\n", L"", L"<none>", L"NameCompany", kDest + L"UnInstall.exe"},
      {L"Version=\r\n", L"", L"<none>", L"NameCompany", kDest + L"UnInstall.exe"},
  };
  system.today = {2027, 11, 5};
  // One entry over all cases, as installations of one product over each other write it: a
  // medium without a version leaves no version of the one before.
  for (const auto& c : cases) {
    SCOPED_TRACE(util::ToUtf8(c.general + c.links));
    PutSetupIni(L"[GENERAL]\r\nNameApplication=Sketrion 7.2\r\n" + c.general + c.links);
    model->ReadSetupIni();
    model->FDestDir = kDest;  // the destination chosen
    model->RegisterUninstall();
    EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"DisplayName"), L"Sketrion 7.2 (только удаление)");
    EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"UninstallString"),
              L"\"" + kDest + L"UnInstall.exe\" /UNINSTALL");
    EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"QuietUninstallString"),
              L"\"" + kDest + L"UnInstall.exe\" /UNINSTALL /VERYSILENT");
    EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"DisplayVersion"), c.version);
    EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"Publisher"), c.publisher);
    EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"InstallLocation"), kDest);
    EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"DisplayIcon"), c.icon);
    EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"InstallDate"), L"20271105");
    EXPECT_EQ(EntryNumber(L"EstimatedSize"), 0);  // nothing logged
    EXPECT_EQ(EntryNumber(L"NoModify"), 1);
    EXPECT_EQ(EntryNumber(L"NoRepair"), 1);
  }
}

TEST_F(InstallActionsTest, TheEstimatedSizeIsTheLoggedFilesAndShortcutsInKiBRoundedUp) {
  using formats::LogItemKind;
  const struct {
    std::vector<formats::LogItem> items;
    int64_t kib;
  } cases[] = {
      {{}, 0},
      {{{LogItemKind::File, kDest + L"A.EXE", 2048}}, 2},
      {{{LogItemKind::File, kDest + L"A.EXE", 2049}}, 3},
      {{{LogItemKind::File, kDest + L"A.EXE", 1000},
        {LogItemKind::Folder, kDest + L"BIN"},
        {LogItemKind::File, kDest + L"BIN\\B.DLL", 1025},
        {LogItemKind::Shortcut, kPrograms + L"\\S.lnk", 500},
        {LogItemKind::ShortcutFolder, kPrograms + L"\\Schemes"}},
       3},
      {{{LogItemKind::File, kDest + L"BIG.DAT", uint64_t{5} << 40}}, 0xFFFFFFFF},
  };
  for (const auto& c : cases) {
    files.PutFile(kDest + L"UnInstall.log", formats::FormatInstallLog(c.items));
    auto installation = MakeModel(files);
    installation->RegisterUninstall();
    EXPECT_EQ(EntryNumber(L"EstimatedSize"), c.kib) << c.items.size() << " items";
  }
}

TEST_F(InstallActionsTest, TheEndOfTheCopyingSizesAnEntryAlreadyThereAndMakesNoneOtherwise) {
  const std::vector<formats::LogItem> oneKib = {
      {formats::LogItemKind::File, kDest + L"A.EXE", 1024}};
  files.PutFile(kDest + L"UnInstall.log", formats::FormatInstallLog(oneKib));
  model->CreateLinks();
  EXPECT_EQ(EntryValue(RegRoot::LocalMachine, L"DisplayName"), L"<none>");
  EXPECT_EQ(EntryNumber(L"EstimatedSize"), -1);
  model->RegisterUninstall();
  EXPECT_EQ(EntryNumber(L"EstimatedSize"), 1);

  // A second installation into the folder: its copying logs more, and the entry learns it at once.
  std::vector<formats::LogItem> more = oneKib;
  more.push_back({formats::LogItemKind::File, kDest + L"B.EXE", 4096});
  files.PutFile(kDest + L"UnInstall.log", formats::FormatInstallLog(more));
  auto second = MakeModel(files);
  second->CreateLinks();
  EXPECT_EQ(EntryNumber(L"EstimatedSize"), 5);
  EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(InstallActionsTest, ARefusedEntryNamesTheValueThatFailed) {
  auto failure = [&] {
    try {
      model->RegisterUninstall();
    } catch (const setup::SetupError& e) {
      return e.Text();
    }
    return std::wstring(L"<no error>");
  };
  // A product name that is no single subkey never writes into the list's key or another entry.
  for (const wchar_t* name : {L"", L"Other\\Product"}) {
    model->FNameApplication = name;
    EXPECT_EQ(failure(), L"Failed to set data for 'DisplayName'");
  }
  std::vector<std::wstring> values;
  registry.ListValues(RegRoot::LocalMachine, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", &values);
  EXPECT_TRUE(values.empty());

  model->FNameApplication = L"Sketrion 7.2";
  registry.DenyAccess(RegRoot::LocalMachine, L"SOFTWARE\\Microsoft", platform::RegAccess::Full);
  EXPECT_EQ(failure(), L"Failed to set data for 'DisplayName'");
}

// ---- the font ----

class InstallFontTest : public InstallActionsTest {
 protected:
  const std::wstring kSource = L"E:\\MEDIA\\SERVICE\\FONT\\GOST.TTF";
  const std::wstring kInstalled = L"C:\\WINDOWS\\Fonts\\GOST.TTF";
  const std::wstring kFonts = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

  std::wstring FontValue(RegRoot root, const std::wstring& name) {
    platform::RegValue value;
    if (registry.ReadValue(root, kFonts, name, &value) != RegStatus::Ok) return L"<none>";
    return platform::ValueText(value);
  }
  size_t FontValues() {
    std::vector<std::wstring> names;
    registry.ListValues(RegRoot::LocalMachineNative, kFonts, &names);
    return names.size();
  }
  const std::string font = testfonts::MinimalFont(L"GOST type A");
};

TEST_F(InstallFontTest, IsCopiedRegisteredUnderItsFullNameAndLoaded) {
  files.PutFile(kSource, font);
  model->InstallFont(kSource);
  ASSERT_NE(files.FileBytes(kInstalled), nullptr);
  EXPECT_EQ(*files.FileBytes(kInstalled), font);
  EXPECT_EQ(FontValue(RegRoot::LocalMachineNative, L"GOST type A (TrueType)"), L"GOST.TTF");
  EXPECT_EQ(FontValue(RegRoot::LocalMachine, L"GOST type A (TrueType)"), L"<none>");
  EXPECT_EQ(system.fontsAdded, std::vector<std::wstring>{L"GOST.TTF"});
  EXPECT_EQ(system.fontChangeBroadcasts, 1);
  EXPECT_EQ(files.FilePaths().size(), 2u);  // no temporary left behind

  // Installing twice: found in the folder, registered, left alone.
  model->InstallFont(kSource);
  EXPECT_EQ(system.fontsAdded.size(), 1u);
  EXPECT_EQ(FontValues(), 1u);
}

TEST_F(InstallFontTest, AFontInTheFolderButNotRegisteredIsRegisteredNotCopied) {
  files.PutFile(kInstalled, font);
  files.PutFile(kSource, testfonts::MinimalFont(L"Other"));
  model->InstallFont(kSource);
  EXPECT_EQ(*files.FileBytes(kInstalled), font);
  EXPECT_EQ(FontValue(RegRoot::LocalMachineNative, L"GOST type A (TrueType)"), L"GOST.TTF");
  EXPECT_EQ(system.fontsAdded.size(), 1u);
}

TEST_F(InstallFontTest, EveryFailureIsSilentAndLeavesNoBrokenFont) {
  struct Case {
    const char* what;
    std::string source;  // empty: no source file
    bool noFontsFolder, refuseRename, refuseFonts;
  };
  const Case cases[] = {
      {"not a TrueType font", "just text, not a font", false, false, false},
      {"no source", "", false, false, false},
      {"no fonts folder", font, true, false, false},
      {"the copy cannot be renamed into place", font, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::FakeFileSystem disk;
    if (!c.noFontsFolder) disk.MakeDirectory(L"C:\\WINDOWS\\Fonts");
    if (!c.source.empty()) disk.PutFile(kSource, c.source);
    platform::FaultyFileSystem faulty(disk);
    faulty.refuse_rename = c.refuseRename;
    system.fontsAdded.clear();
    auto m = MakeModel(faulty);
    m->InstallFont(kSource);
    EXPECT_EQ(disk.FilePaths().size(), c.source.empty() ? 0u : 1u);
    EXPECT_EQ(FontValues(), 0u);
    EXPECT_TRUE(system.fontsAdded.empty());
  }
  EXPECT_TRUE(boxes.Asked().empty());
}

// Before the copying the destination is made with the folders above it that are missing, each
// logged; the topmost one made gets Program Files' permissions unless it lies in Program Files
// or the Windows folder already.
TEST_F(InstallActionsTest, TheDestinationIsMadeLoggedAndGuardedBeforeTheCopying) {
  struct Case {
    std::wstring dest;
    std::vector<std::wstring> made;
    std::vector<std::wstring> guarded;
  };
  const Case cases[] = {
      {L"D:\\Firm\\App\\", {L"D:\\Firm", L"D:\\Firm\\App"}, {L"D:\\Firm"}},
      {L"C:\\Program files\\Firm\\App\\", {L"C:\\Program files\\Firm", L"C:\\Program files\\Firm\\App"}, {}},
      {L"C:\\WINDOWS\\Sketrion\\", {L"C:\\WINDOWS\\Sketrion"}, {}},
      {kDest, {}, {}},  // there already: nothing made, nothing changed
  };
  for (const Case& c : cases) {
    system.protectedFolders.clear();
    std::unique_ptr<setup::TSetup> installation = MakeModel(files);
    installation->FDestDir = c.dest;
    installation->Log().Open(c.dest);
    installation->MakeDestination();
    EXPECT_EQ(system.protectedFolders, c.guarded) << util::ToUtf8(c.dest);
    ASSERT_TRUE(installation->Log().Flush());
    std::vector<formats::LogItem> items;
    const std::string* log = files.FileBytes(c.dest + formats::kInstallLogName);
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(formats::ParseInstallLog(*log, &items));
    std::vector<std::wstring> logged;
    for (const formats::LogItem& item : items)
      if (item.kind == formats::LogItemKind::Folder) logged.push_back(item.path);
    EXPECT_EQ(logged, c.made) << util::ToUtf8(c.dest);
    for (const std::wstring& folder : c.made) EXPECT_EQ(files.Kind(folder), platform::PathKind::Directory);
  }
  // Permissions the system refuses leave the folders made: the copying goes on.
  system.refuseProtection = true;
  std::unique_ptr<setup::TSetup> installation = MakeModel(files);
  installation->FDestDir = L"E:\\Other\\";
  installation->Log().Open(installation->FDestDir);
  installation->MakeDestination();
  EXPECT_EQ(files.Kind(L"E:\\Other"), platform::PathKind::Directory);
}

}  // namespace
