// The uninstaller's rules over the in-memory platform: one installation recorded the way the
// installer records it, then each case changes something and checks what is left afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "formats/install_log.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/scripted_message_boxes.h"
#include "platform/file_io.h"
#include "uninstall/remover.h"
#include "uninstall/uninstaller.h"
#include "util/codepage.h"
#include "util/ini.h"
#include "util/paths.h"
#include "util/text.h"

namespace {

using platform::MsgAnswer;
using uninstall::Outcome;
using uninstall::RemoveOutcome;

const std::wstring kDest = L"C:\\Program files\\Sketrion\\Sketrion 7.2";
const std::wstring kPrograms = L"C:\\Users\\user\\Start Menu\\Programs";
const std::wstring kDesktop = L"C:\\Users\\user\\Desktop";
const std::wstring kEntry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sketrion 7.2";

// Removes from the fake file system; a file can be busy for a number of attempts, and any file
// or folder can answer as a test says.
class FakeRemover : public uninstall::Remover {
 public:
  explicit FakeRemover(platform::FakeFileSystem& files) : files_(files) {}

  std::map<std::wstring, int> busy;                // folded path -> attempts that still find it in use
  std::map<std::wstring, RemoveOutcome> answers;  // folded path -> what every attempt answers
  std::vector<std::wstring> atRestart;

  RemoveOutcome RemoveFile(const std::wstring& path) override {
    const std::wstring key = util::FoldCase(path);
    if (answers.count(key)) return answers[key];
    auto it = busy.find(key);
    if (it != busy.end() && it->second > 0) {
      --it->second;
      return RemoveOutcome::InUse;
    }
    return files_.Remove(path) ? RemoveOutcome::Removed : RemoveOutcome::Missing;
  }
  RemoveOutcome RemoveFolder(const std::wstring& path) override {
    if (answers.count(util::FoldCase(path))) return answers[util::FoldCase(path)];
    if (files_.Kind(path) != platform::PathKind::Directory) return RemoveOutcome::Missing;
    bool empty = true;
    if (!files_.List(path, [&](const platform::DirectoryEntry&) { return empty = false; }))
      return RemoveOutcome::Refused;
    if (!empty) return RemoveOutcome::NotEmpty;
    files_.RemoveTree(path);
    return RemoveOutcome::Removed;
  }
  bool RemoveAtRestart(const std::wstring& path) override {
    atRestart.push_back(path);
    return true;
  }

 private:
  platform::FakeFileSystem& files_;
};

// One installation in memory, as the installer leaves it.
class Installed {
 public:
  Installed() {
    shell.programs = kPrograms;
    shell.desktop = kDesktop;
    // What was there before the installation.
    files.MakeDirectory(L"C:\\Program files");
    files.MakeDirectory(kPrograms);
    files.MakeDirectory(kDesktop);
    files.PutFile(L"C:\\WINDOWS\\win.ini", "[windows]");
    files.PutFile(kDesktop + L"\\mine.txt", "the user's");
    before = files.FilePaths();

    // The installation, recorded by the installer's own log.
    formats::InstallLog log(files);
    log.Open(kDest + L"\\");
    Extract(log, L"BIN\\Sketrion.exe", "program");
    Extract(log, L"BIN\\UnInstall.exe", "uninstaller");
    Extract(log, L"DOC\\Руководство.txt", "guide");
    files.MakeDirectory(kPrograms + L"\\Sketrion 7.2");
    log.AddShortcutFolder(kPrograms + L"\\Sketrion 7.2");
    for (const std::wstring& link : {kPrograms + L"\\Sketrion 7.2\\Редактор.lnk", kDesktop + L"\\Sketrion 7.2.lnk"}) {
      files.PutFile(link, "link");
      log.AddShortcut(link);
    }
    EXPECT_TRUE(log.Flush());
    util::IniFile record;
    record.WriteString(L"GENERAL", L"NameApplication", L"Sketrion 7.2");
    record.WriteString(L"GENERAL", L"Link1", kPrograms + L"\\Sketrion 7.2\\Редактор.lnk");
    record.WriteString(L"GENERAL", L"Link2", kDesktop + L"\\Sketrion 7.2.lnk");
    EXPECT_TRUE(platform::SaveIniFile(files, kDest + L"\\UnInstall.ini", record));
    files.PutFile(kDest + L"\\GraphEditor.ini", "[GraphEditor]");
    registry.CreateKey(platform::RegRoot::LocalMachine, kEntry);
    registry.WriteValue(platform::RegRoot::LocalMachine, kEntry, L"UninstallString",
                        platform::StringValue(L"\"" + kDest + L"\\UnInstall.exe\" /UNINSTALL"));
    // The entry's other values, numbers among them, go with its key.
    registry.WriteValue(platform::RegRoot::LocalMachine, kEntry, L"DisplayVersion",
                        platform::StringValue(L"7.2"));
    registry.WriteValue(platform::RegRoot::LocalMachine, kEntry, L"EstimatedSize",
                        platform::DwordValue(40));
  }

  // As the library extracts: the entry's folders made, then the file.
  void Extract(formats::InstallLog& log, const std::wstring& name, const std::string& bytes) {
    log.EntryStarting(name, false);
    for (size_t cut = kDest.find(L'\\', 3); cut != std::wstring::npos; cut = kDest.find(L'\\', cut + 1))
      files.MakeDirectory(kDest.substr(0, cut));
    files.MakeDirectory(kDest);
    files.MakeDirectory(kDest + L"\\" + name.substr(0, name.rfind(L'\\')));
    files.PutFile(kDest + L"\\" + name, bytes);
    log.EntryDone(name, false, true, static_cast<uint32_t>(bytes.size()), 0);
  }

  bool EntryExists() {
    return registry.OpenKey(platform::RegRoot::LocalMachine, kEntry, platform::RegAccess::Read) ==
           platform::RegStatus::Ok;
  }

  // Runs the uninstaller of kDest from the temporary copy (or from `self`).
  bool Uninstall(const std::wstring& self = L"C:\\TEMP\\UnInstall.exe") {
    uninstall::UninstallPlatform p{&files, &registry, &shell, &boxes, &remover};
    uninstall::Uninstaller uninstaller(p, kDest, self);
    const bool ran = uninstaller.Run(nullptr);
    kept = uninstaller.KeptItems();
    return ran;
  }

  std::set<std::wstring> Left() const {
    std::set<std::wstring> left;
    for (const std::wstring& path : files.FilePaths())
      if (!before.count(path)) left.insert(path);
    return left;
  }
  std::map<std::wstring, Outcome> KeptMap() const {
    std::map<std::wstring, Outcome> map;
    for (const uninstall::Kept& k : kept) map[k.path] = k.reason;
    return map;
  }

  platform::FakeFileSystem files;
  platform::FakeRegistry registry;
  platform::FakeShell shell{files};
  platform::ScriptedMessageBoxes boxes;
  FakeRemover remover{files};
  std::set<std::wstring> before;
  std::vector<uninstall::Kept> kept;
};

class UninstallerTest : public testing::Test, public Installed {};

TEST_F(UninstallerTest, RemovesEverythingItLoggedAndTheFoldersItMade) {
  boxes.Answer(MsgAnswer::Yes);
  boxes.Answer(MsgAnswer::Ok);
  ASSERT_TRUE(Uninstall());
  EXPECT_TRUE(Left().empty());
  EXPECT_EQ(files.FilePaths(), before);
  EXPECT_EQ(files.Kind(kDest), platform::PathKind::Missing);
  EXPECT_EQ(files.Kind(L"C:\\Program files\\Sketrion"), platform::PathKind::Missing);
  EXPECT_EQ(files.Kind(kPrograms + L"\\Sketrion 7.2"), platform::PathKind::Missing);
  EXPECT_EQ(files.Kind(kPrograms), platform::PathKind::Directory);  // the shell folder stays
  EXPECT_EQ(files.Kind(L"C:\\Program files"), platform::PathKind::Directory);
  EXPECT_FALSE(EntryExists());
  EXPECT_TRUE(kept.empty());
  ASSERT_EQ(boxes.Asked().size(), 2u);
  EXPECT_EQ(boxes.Asked()[0].text, L"Удалить Sketrion 7.2?");
  EXPECT_EQ(boxes.Asked()[0].buttons, platform::MsgButtons::YesNo);
}

// An installation for all users put its shortcuts on every user's desktop and Start menu: they go
// as the user's own do, and a file there the installation did not log stays.
TEST_F(UninstallerTest, ShortcutsForAllUsersGoFromTheCommonFolders) {
  const std::wstring folder = shell.commonPrograms + L"\\Sketrion 7.2";
  const std::wstring link = folder + L"\\Редактор.lnk", desktopLink = shell.commonDesktop + L"\\Sketrion 7.2.lnk";
  files.MakeDirectory(shell.commonDesktop);
  files.PutFile(shell.commonDesktop + L"\\someone's.lnk", "theirs");
  files.MakeDirectory(folder);
  formats::InstallLog log(files);
  log.Open(kDest + L"\\");
  log.AddShortcutFolder(folder);
  for (const std::wstring& made : {link, desktopLink}) {
    files.PutFile(made, "link");
    log.AddShortcut(made);
  }
  ASSERT_TRUE(log.Flush());
  boxes.Answer(MsgAnswer::Yes);
  boxes.Answer(MsgAnswer::Ok);
  ASSERT_TRUE(Uninstall());
  EXPECT_TRUE(kept.empty());
  EXPECT_EQ(files.Kind(link), platform::PathKind::Missing);
  EXPECT_EQ(files.Kind(desktopLink), platform::PathKind::Missing);
  EXPECT_EQ(files.Kind(folder), platform::PathKind::Missing);
  EXPECT_EQ(files.Kind(shell.commonDesktop + L"\\someone's.lnk"), platform::PathKind::File);
}

// The message names this path itself, not only paths under it.
bool Names(const std::wstring& text, const std::wstring& path) {
  for (size_t at = text.find(path); at != std::wstring::npos; at = text.find(path, at + 1))
    if (at + path.size() == text.size() || text[at + path.size()] != L'\\') return true;
  return false;
}

// The log as installations before the shortcuts' checksums wrote it: shortcuts by their path.
std::string AsVersion1(const std::vector<formats::LogItem>& items) {
  std::wstring text;
  for (const formats::LogItem& item : items) {
    switch (item.kind) {
      case formats::LogItemKind::File: {
        wchar_t crc[9];
        swprintf(crc, 9, L"%08x", static_cast<unsigned>(item.crc));
        text += L"F\t" + std::to_wstring(item.size) + L"\t" + crc + L"\t" + item.path;
        break;
      }
      case formats::LogItemKind::Folder:
        text += L"D\t" + item.path;
        break;
      case formats::LogItemKind::Shortcut:
        text += L"L\t" + item.path;
        break;
      case formats::LogItemKind::ShortcutFolder:
        text += L"S\t" + item.path;
        break;
    }
    text += L"\r\n";
  }
  return "\xEF\xBB\xBF# UnInstall.log 1\r\n" + util::ToUtf8(text);
}

// Rewrites the installation's log through `change`.
void ChangeLog(Installed& t,
               const std::function<std::string(std::vector<formats::LogItem>&)>& change) {
  std::vector<formats::LogItem> items;
  ASSERT_TRUE(formats::ParseInstallLog(*t.files.FileBytes(kDest + L"\\UnInstall.log"), &items));
  t.files.PutFile(kDest + L"\\UnInstall.log", change(items));
}

TEST_F(UninstallerTest, EachCaseKeepsWhatItMustAndSaysWhy) {
  const std::wstring company = L"C:\\Program files\\Sketrion";
  const std::wstring bin = kDest + L"\\BIN", doc = kDest + L"\\DOC";
  const std::wstring guide = doc + L"\\Руководство.txt";
  const std::wstring program = bin + L"\\Sketrion.exe";
  const std::wstring record = kDest + L"\\UnInstall.ini";
  const std::wstring logFile = kDest + L"\\UnInstall.log";
  const std::wstring linkFolder = kPrograms + L"\\Sketrion 7.2";
  const std::wstring link1 = linkFolder + L"\\Редактор.lnk";
  const std::wstring link2 = kDesktop + L"\\Sketrion 7.2.lnk";
  // What the final message says when nothing stayed.
  Installed clean;
  clean.boxes.Answer(MsgAnswer::Yes);
  clean.boxes.Answer(MsgAnswer::Ok);
  ASSERT_TRUE(clean.Uninstall());
  ASSERT_TRUE(clean.kept.empty());
  const std::wstring removed = clean.boxes.Asked().back().text;

  const Outcome kHeld = Outcome::HoldsKept;
  struct Case {
    const char* what;
    std::function<void(Installed&)> change;
    std::vector<MsgAnswer> answers;
    std::set<std::wstring> left;                  // files of the installation left afterwards
    std::map<std::wstring, Outcome> reasons;   // what the final message lists
    bool entryGone;
  };
  const Case cases[] = {
      {"a file the user added and one he changed stay, with their folders",
       [&](Installed& t) {
         t.files.PutFile(bin + L"\\my.dwg", "mine");
         t.files.PutFile(guide, "guide, edited");
       },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {bin + L"\\my.dwg", guide},
       {{guide, Outcome::Changed},
        {doc, kHeld},
        {bin, Outcome::HoldsUsersFiles},
        {kDest, kHeld},
        {company, kHeld}},
       true},
      {"the same size with other bytes is a change",
       [&](Installed& t) { t.files.PutFile(guide, "GUIDE"); },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {guide},
       {{guide, Outcome::Changed}, {doc, kHeld}, {kDest, kHeld}, {company, kHeld}},
       true},
      {"a folder of the user's in the destination keeps it",
       [&](Installed& t) { t.files.MakeDirectory(kDest + L"\\Проекты"); },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {},
       {{kDest, Outcome::HoldsUsersFiles}, {company, kHeld}},
       true},
      {"files already gone are no matter",
       [&](Installed& t) {
         t.files.Remove(guide);
         t.files.RemoveTree(bin);
       },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {},
       {},
       true},
      {"No removes nothing", [](Installed&) {}, {MsgAnswer::No}, {}, {}, false},
      {"a file in use once goes on the retry",
       [&](Installed& t) { t.remover.busy[util::FoldCase(program)] = 1; },
       {MsgAnswer::Yes, MsgAnswer::Retry, MsgAnswer::Ok},
       {},
       {},
       true},
      {"a file still in use after the one retry stays",
       [&](Installed& t) { t.remover.busy[util::FoldCase(program)] = 5; },
       {MsgAnswer::Yes, MsgAnswer::Retry, MsgAnswer::Ok},
       {program},
       {{program, Outcome::InUse}, {bin, kHeld}, {kDest, kHeld}, {company, kHeld}},
       true},
      {"skipping a file in use keeps it",
       [&](Installed& t) { t.remover.busy[util::FoldCase(program)] = 1; },
       {MsgAnswer::Yes, MsgAnswer::Cancel, MsgAnswer::Ok},
       {program},
       {{program, Outcome::InUse}, {bin, kHeld}, {kDest, kHeld}, {company, kHeld}},
       true},
      {"a folder holding the user's file that cannot be listed stays as refused",
       [&](Installed& t) {
         t.files.PutFile(bin + L"\\my.dwg", "mine");
         t.files.DenyList(bin);
       },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {bin + L"\\my.dwg"},
       {{bin, Outcome::Refused}, {kDest, kHeld}, {company, kHeld}},
       true},
      {"a refused file stays and is named",
       [&](Installed& t) { t.remover.answers[util::FoldCase(program)] = RemoveOutcome::Refused; },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {program},
       {{program, Outcome::Refused}, {bin, kHeld}, {kDest, kHeld}, {company, kHeld}},
       true},
      {"a changed desktop shortcut stays, named as changed",
       [&](Installed& t) { t.files.PutFile(link2, "link, edited"); },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {link2},
       {{link2, Outcome::Changed}},
       true},
      {"a changed Start-menu shortcut keeps its folder",
       [&](Installed& t) { t.files.PutFile(link1, "LINK"); },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {link1},
       {{link1, Outcome::Changed}, {linkFolder, kHeld}},
       true},
      {"the user's own shortcut in the program's Start-menu folder keeps it",
       [&](Installed& t) { t.files.PutFile(linkFolder + L"\\Мой.lnk", "mine"); },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {linkFolder + L"\\Мой.lnk"},
       {{linkFolder, Outcome::HoldsUsersFiles}},
       true},
      {"an older log: its shortcuts go by their place, changed or not; its files are checked",
       [&](Installed& t) {
         ChangeLog(t, [](std::vector<formats::LogItem>& items) { return AsVersion1(items); });
         t.files.PutFile(link1, "LINK");
         t.files.PutFile(guide, "GUIDE");
       },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {guide},
       {{guide, Outcome::Changed}, {doc, kHeld}, {kDest, kHeld}, {company, kHeld}},
       true},
      {"a shortcut only the record names goes by its place",
       [&](Installed& t) {
         ChangeLog(t, [&](std::vector<formats::LogItem>& items) {
           items.erase(std::remove_if(items.begin(), items.end(),
                                      [&](const formats::LogItem& i) { return i.path == link2; }),
                       items.end());
           return formats::FormatInstallLog(items);
         });
         t.files.PutFile(link2, "link, edited");
       },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {},
       {},
       true},
      {"a damaged log: only the shortcuts, the record and the entry go",
       [&](Installed& t) {
         t.files.PutFile(logFile, "\xEF\xBB\xBF# UnInstall.log 2\r\nF\tbroken\r\n");
       },
       {MsgAnswer::Ok, MsgAnswer::Yes, MsgAnswer::Ok},
       {program, bin + L"\\UnInstall.exe", guide},
       {{kDest, Outcome::NoLog}},
       true},
      {"a missing log: the same",
       [&](Installed& t) { t.files.Remove(logFile); },
       {MsgAnswer::Ok, MsgAnswer::Yes, MsgAnswer::Ok},
       {program, bin + L"\\UnInstall.exe", guide},
       {{kDest, Outcome::NoLog}},
       true},
      {"an entry naming another folder's uninstaller is not ours",
       [&](Installed& t) {
         t.registry.WriteValue(platform::RegRoot::LocalMachine, kEntry, L"UninstallString",
                               platform::StringValue(L"\"D:\\Other\\UnInstall.exe\" /UNINSTALL"));
       },
       {MsgAnswer::Yes, MsgAnswer::Ok},
       {},
       {},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installed t;
    c.change(t);
    for (MsgAnswer answer : c.answers) t.boxes.Answer(answer);
    const std::set<std::wstring> installed = t.Left();
    t.Uninstall();
    EXPECT_EQ(t.Left(), c.answers.front() == MsgAnswer::No ? installed : c.left);
    EXPECT_EQ(t.KeptMap(), c.reasons);
    EXPECT_EQ(!t.EntryExists(), c.entryGone);
    EXPECT_EQ(t.boxes.Asked().size(), c.answers.size());
    EXPECT_EQ(t.boxes.Unanswered(), 0u);
    const bool removedAnything = !t.files.FileBytes(record);
    EXPECT_EQ(removedAnything, c.entryGone || c.answers.size() > 1);
    if (!removedAnything) continue;
    // The final message says "removed" only when nothing stayed, and then as the clean run did;
    // otherwise it names what stayed, and a file left in a named folder only through it.
    const std::wstring text = t.boxes.Asked().back().text;
    if (c.reasons.empty()) {
      EXPECT_EQ(text, removed);
    } else {
      EXPECT_EQ(text.find(removed.substr(0, removed.size() - 1)), std::wstring::npos) << util::ToUtf8(text);
    }
    for (const auto& kept : c.reasons) EXPECT_TRUE(Names(text, kept.first)) << util::ToUtf8(kept.first);
    for (const std::wstring& path : c.left)
      if (!c.reasons.count(path)) {
        EXPECT_EQ(text.find(path), std::wstring::npos) << util::ToUtf8(text);
      }
  }
}

// Whichever step removes a thing, the remover's answer names it for the same reason, and the
// folders holding it stay for what stayed in them.
TEST(UninstallerOutcomes, EachKindOfThingStaysForTheSameReason) {
  const std::wstring company = L"C:\\Program files\\Sketrion", bin = kDest + L"\\BIN";
  struct Thing {
    std::wstring path;
    std::vector<std::wstring> holders;
    bool retried;  // offered the one retry when in use
  };
  const Thing things[] = {
      {bin + L"\\Sketrion.exe", {bin, kDest, company}, true},  // a logged file
      {kDesktop + L"\\Sketrion 7.2.lnk", {}, true},             // a logged shortcut
      {kDest + L"\\GraphEditor.ini", {kDest, company}, false},  // the installation's own file
      {bin, {kDest, company}, false},                            // a logged folder
      {kPrograms + L"\\Sketrion 7.2", {}, false},               // a Start-menu folder
  };
  const std::pair<RemoveOutcome, Outcome> answers[] = {{RemoveOutcome::InUse, Outcome::InUse},
                                                       {RemoveOutcome::Refused, Outcome::Refused}};
  for (const auto& answer : answers)
    for (const Thing& thing : things) {
      SCOPED_TRACE(util::ToUtf8(thing.path));
      Installed t;
      t.remover.answers[util::FoldCase(thing.path)] = answer.first;
      t.boxes.Answer(MsgAnswer::Yes);
      if (answer.first == RemoveOutcome::InUse && thing.retried) t.boxes.Answer(MsgAnswer::Retry);
      t.boxes.Answer(MsgAnswer::Ok);
      ASSERT_TRUE(t.Uninstall());
      std::map<std::wstring, Outcome> expected{{thing.path, answer.second}};
      for (const std::wstring& holder : thing.holders) expected[holder] = Outcome::HoldsKept;
      EXPECT_EQ(t.KeptMap(), expected);
      EXPECT_EQ(t.boxes.Unanswered(), 0u);
    }
}

TEST_F(UninstallerTest, HostileLogLinesAreRefusedNotFollowed) {
  // Lines that match files outside in size and CRC, so only the place rule keeps them.
  files.PutFile(L"C:\\WINDOWS\\system.ini", "sys");
  files.PutFile(L"C:\\Program files\\Sketrion\\other.txt", "sys");
  files.PutFile(kDesktop + L"\\notes.txt", "sys");
  files.MakeDirectory(L"C:\\Empty");
  before.insert({L"C:\\WINDOWS\\system.ini", L"C:\\Program files\\Sketrion\\other.txt", kDesktop + L"\\notes.txt"});
  uint64_t size = 0;
  uint32_t crc = 0;
  ASSERT_TRUE(formats::FileCrc32(files, L"C:\\WINDOWS\\system.ini", &size, &crc));
  std::vector<formats::LogItem> items;
  ASSERT_TRUE(formats::ParseInstallLog(*files.FileBytes(kDest + L"\\UnInstall.log"), &items));
  const std::vector<formats::LogItem> hostile = {
      {formats::LogItemKind::File, L"C:\\WINDOWS\\system.ini", size, crc},
      {formats::LogItemKind::File, kDest + L"\\..\\other.txt", size, crc},
      {formats::LogItemKind::File, L"..\\other.txt", size, crc},
      {formats::LogItemKind::File, kDest + L"\\NUL", 0, 0},
      {formats::LogItemKind::Shortcut, kDesktop + L"\\notes.txt"},  // not a shortcut
      {formats::LogItemKind::Shortcut, L"C:\\WINDOWS\\win.ini"},
      {formats::LogItemKind::Folder, L"C:\\Empty"},
      {formats::LogItemKind::Folder, L"C:\\"},  // above the destination, but a drive's root
      {formats::LogItemKind::ShortcutFolder, kDesktop},  // the shell folder itself
  };
  items.insert(items.end(), hostile.begin(), hostile.end());
  files.PutFile(kDest + L"\\UnInstall.log", formats::FormatInstallLog(items));
  boxes.Answer(MsgAnswer::Yes);
  boxes.Answer(MsgAnswer::Ok);
  ASSERT_TRUE(Uninstall());
  EXPECT_EQ(files.FilePaths(), before);
  EXPECT_EQ(files.Kind(L"C:\\Empty"), platform::PathKind::Directory);
  EXPECT_EQ(files.Kind(kDesktop), platform::PathKind::Directory);
  // Each refused line is named; so is the company's folder, which holds a file it did not make.
  std::map<std::wstring, Outcome> expected{{L"C:\\Program files\\Sketrion", Outcome::HoldsUsersFiles}};
  for (const formats::LogItem& item : hostile) expected[item.path] = Outcome::Outside;
  EXPECT_EQ(KeptMap(), expected);
  EXPECT_EQ(kept.size(), expected.size());
  EXPECT_FALSE(EntryExists());
}

TEST_F(UninstallerTest, WithoutARecordNothingIsTouched) {
  files.Remove(kDest + L"\\UnInstall.ini");
  before = files.FilePaths();
  boxes.Answer(MsgAnswer::Ok);
  EXPECT_FALSE(Uninstall());
  EXPECT_EQ(files.FilePaths(), before);
  EXPECT_TRUE(EntryExists());
  EXPECT_EQ(boxes.Asked().size(), 1u);
}

TEST_F(UninstallerTest, RunningFromTheDestinationLeavesItselfAndItsFolderToTheRestart) {
  const std::wstring self = kDest + L"\\BIN\\UnInstall.exe";
  remover.busy[util::FoldCase(self)] = 1;  // a running program cannot remove its own file
  boxes.Answer(MsgAnswer::Yes);
  boxes.Answer(MsgAnswer::Ok);
  ASSERT_TRUE(Uninstall(self));
  EXPECT_EQ(Left(), (std::set<std::wstring>{self}));
  EXPECT_EQ(KeptMap(), (std::map<std::wstring, Outcome>{{self, Outcome::AtRestart}}));
  // What Windows removes at its start is gone for the user: the message says the program was
  // removed, as it says when nothing is left, and names what waits for the restart.
  ASSERT_EQ(boxes.Asked().size(), 2u);
  const platform::AskedMessageBox& last = boxes.Asked()[1];
  EXPECT_EQ(last.icon, platform::MsgIcon::Information);
  EXPECT_NE(last.text.find(self), std::wstring::npos);
  Installed whole;
  whole.boxes.Answer(MsgAnswer::Yes);
  whole.boxes.Answer(MsgAnswer::Ok);
  ASSERT_TRUE(whole.Uninstall());
  EXPECT_EQ(last.text.substr(0, last.text.find(L'\n')), whole.boxes.Asked().back().text);
  // Deepest first, so each folder is empty when its turn comes.
  EXPECT_EQ(remover.atRestart, (std::vector<std::wstring>{self, kDest + L"\\BIN", kDest,
                                                          L"C:\\Program files\\Sketrion"}));
}

}  // namespace

namespace {

// Every file below C:\Outside with its bytes, however it was named when written.
std::map<std::wstring, std::string> OutsideFiles(const platform::FakeFileSystem& files) {
  std::map<std::wstring, std::string> found;
  for (const std::wstring& path : files.FilePaths())
    if (util::FoldCase(path).rfind(util::FoldCase(L"C:\\Outside\\"), 0) == 0)
      found[util::FoldCase(path)] = *files.FileBytes(path);
  return found;
}

// A link an ordinary user put in a folder the uninstaller owns, at any depth, leading to what
// was there moved outside, so every logged size and CRC still matches: neither the link nor
// what it leads to is touched, each logged thing whose way passes it is named for it, and the
// rest goes as usual.
TEST(UninstallerLinks, NothingIsRemovedThroughALinkAtAnyDepth) {
  const std::wstring bin = kDest + L"\\BIN";
  const std::wstring places[] = {
      kDest,                              // the destination itself
      bin,                                // a logged folder on the way to logged files
      bin + L"\\Sketrion.exe",            // a logged file's own place
      kPrograms + L"\\Sketrion 7.2",      // a logged shortcut folder
      kDesktop + L"\\Sketrion 7.2.lnk",  // a logged shortcut's own place
  };
  for (const std::wstring& place : places) {
    SCOPED_TRACE(util::ToUtf8(place));
    Installed t;
    std::vector<formats::LogItem> logged;
    ASSERT_TRUE(formats::ParseInstallLog(*t.files.FileBytes(kDest + L"\\UnInstall.log"), &logged));
    for (const wchar_t* own : {L"\\UnInstall.ini", L"\\UnInstall.log", L"\\GraphEditor.ini"})
      logged.push_back({formats::LogItemKind::File, kDest + own});
    const std::wstring outside = L"C:\\Outside\\" + util::NameOf(place);
    ASSERT_TRUE(t.files.Rename(place, outside));
    t.files.PutLink(place, outside);
    const std::map<std::wstring, std::string> outsideBefore = OutsideFiles(t.files);
    ASSERT_FALSE(outsideBefore.empty());

    t.boxes.Answer(MsgAnswer::Yes);
    t.boxes.Answer(MsgAnswer::Ok);
    ASSERT_TRUE(t.Uninstall());
    EXPECT_EQ(OutsideFiles(t.files), outsideBefore);
    EXPECT_EQ(t.files.Kind(place), platform::PathKind::Other);
    const std::map<std::wstring, Outcome> kept = t.KeptMap();
    for (const formats::LogItem& item : logged) {
      const bool onTheWay = util::IsInsideOrSame(item.path, place);
      const auto found = kept.find(item.path);
      EXPECT_EQ(found != kept.end() && found->second == Outcome::ThroughLink, onTheWay) << util::ToUtf8(item.path);
      const bool file =
          item.kind == formats::LogItemKind::File || item.kind == formats::LogItemKind::Shortcut;
      if (!onTheWay && file) {
        EXPECT_EQ(t.files.Kind(item.path), platform::PathKind::Missing) << util::ToUtf8(item.path);
      }
    }
    EXPECT_TRUE(Names(t.boxes.Asked().back().text, place));
  }
}

}  // namespace
